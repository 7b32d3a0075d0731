#pragma once

#include "survey/HistoryIndex.h"

#include <QString>

#include <optional>
#include <vector>

namespace qemra {

// Day reductions kept on disk so a range opens again without reading its record files: one cache
// file per record file, named after its path and holding the path, size and modification time it
// was made from, the series it reduces, a format version and a checksum over all of it. A cache
// file that disagrees with any of them, or is cut or damaged, is not used; writing goes through a
// temporary file and a rename, and a folder that cannot be written only costs the speed.
// Safe to use from several threads at once for different record files.
class HistoryCache {
public:
    static constexpr quint32 kVersion = 1;

    // An empty folder keeps nothing.
    explicit HistoryCache(QString folder);

    QString Folder() const { return folder_; }
    // The cache file of a record file.
    QString FileFor(const QString& recordFile, bool minutes) const;

    // The reduction stored for the record file as it is now, if there is a sound one.
    std::optional<HistoryDayReduction> Load(const QString& recordFile, bool minutes,
                                            const std::vector<HistorySeries>& series) const;
    // Stores the reduction of the record file with the size and time it had before it was read,
    // `before`; nothing when the file has changed since. False when it could not be written.
    struct Stamp {
        qint64 size = -1;
        qint64 modifiedNs = -1;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> StampOf(const QString& recordFile);
    bool Store(const QString& recordFile, bool minutes, const std::vector<HistorySeries>& series, const Stamp& before,
               const HistoryDayReduction& day) const;

private:
    QString folder_;
};

}  // namespace qemra
