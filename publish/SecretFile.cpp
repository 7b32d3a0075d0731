#include "publish/SecretFile.h"

#include "common/IniFile.h"
#include "publish/PublishSettings.h"

#include <QFile>

#include <sys/stat.h>

namespace qemra {

QString PublishIniPath(const QString& baseFolder) { return baseFolder + QStringLiteral("Publish.ini"); }

QString ReadableSecretWarning(const QString& iniPath)
{
    struct stat status {};
    if (::stat(QFile::encodeName(iniPath).constData(), &status) != 0 || (status.st_mode & (S_IRGRP | S_IROTH)) == 0)
        return {};
    if (IniFile(iniPath).ReadString(kPublishSection, QStringLiteral("Password"), {}).isEmpty())
        return {};
    return QStringLiteral("%1 holds a broker password and can be read by %2 (mode %3); "
                          "make it private with: chmod 600 %1")
        .arg(iniPath, (status.st_mode & S_IROTH) != 0 ? QStringLiteral("others") : QStringLiteral("its group"),
             QStringLiteral("%1").arg(status.st_mode & 0777, 4, 8, QLatin1Char('0')));
}

}  // namespace qemra
