#pragma once

#include "common/DateTime.h"
#include "common/FileIo.h"

#include <QString>

#include <optional>

namespace qemra {

// The time of the last minute row the broker acknowledged, kept in a small file beside "Publish.ini"
// as one line with the row's `time` text ("2026-12-11T09:41:00+09:00"). Replaced whole through a
// temporary file, so a crash leaves either the old time or the new one.
class AckedMinuteFile {
public:
    explicit AckedMinuteFile(QString path);

    const QString& Path() const { return path_; }
    // Nothing when the file is missing or does not hold a time.
    std::optional<TDateTime> Load() const;
    bool Save(TDateTime time);

    // "Publish.state" in the folder of the given "Publish.ini".
    static QString BesidePublishIni(const QString& publishIniPath);

private:
    QString path_;
    FileIo io_;
};

}  // namespace qemra
