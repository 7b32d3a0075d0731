#include "publish/AckedMinuteFile.h"

#include "common/FileReplace.h"
#include "publish/Payloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qemra {

AckedMinuteFile::AckedMinuteFile(QString path) : path_(std::move(path)) {}

std::optional<TDateTime> AckedMinuteFile::Load() const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The offset in the text makes the time exact even if the zone has changed since.
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(file.read(128)).trimmed(), Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return ToDateTime(time);
}

bool AckedMinuteFile::Save(TDateTime time) { return ReplaceFile(path_, IsoLocalTime(time).toLatin1() + '\n', io_); }

QString AckedMinuteFile::BesidePublishIni(const QString& publishIniPath)
{
    return QFileInfo(publishIniPath).dir().filePath(QStringLiteral("Publish.state"));
}

}  // namespace qemra
