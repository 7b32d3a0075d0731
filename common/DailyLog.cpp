#include "common/DailyLog.h"

#include "common/AppFolder.h"

#include <QFile>

namespace qemra {

DailyLog::DailyLog(QString folder, QString fixedName, const Clock& clock)
    : folder_(std::move(folder)), fixedName_(std::move(fixedName)), clock_(clock)
{
}

QString DailyLog::FileNameFor(TDateTime when) const
{
    return WithTrailingSlash(folder_) + FormatDateTime(QStringLiteral("yymmdd"), when) + fixedName_;
}

void DailyLog::Write(const QString& text) const
{
    // One reading of the clock names the file and stamps the line, so a line just after midnight
    // carries the new date and goes into the new day's file.
    const TDateTime now = clock_.Now();
    const QByteArray line =
        (FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn.ss"), now) + u',' + text + u',').toUtf8() + "\r\n";
    QFile file(FileNameFor(now));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    const qint64 before = file.size();
    if (file.write(line) != line.size())
        file.resize(before);  // no half line stays behind to run into the next one
}

}  // namespace qemra
