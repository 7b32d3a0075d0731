#pragma once

#include "common/DateTime.h"

#include <QString>

namespace qemra {

// A log of one file per day: folder + "yymmdd" + fixed name (e.g. "240115QemraCom.log"), UTF-8
// without byte-order mark, each line "yyyy/mm/dd hh:nn.ss,<text>," and CR LF. The file is opened,
// appended and closed for every line; a line that cannot be written is lost silently.
class DailyLog {
public:
    DailyLog(QString folder, QString fixedName, const Clock& clock);

    void Write(const QString& text) const;
    QString FileNameFor(TDateTime when) const;  // full path

private:
    QString folder_;
    QString fixedName_;
    const Clock& clock_;
};

}  // namespace qemra
