#include "common/AppFolder.h"

#include <QCoreApplication>

namespace qemra {

QString ExecutableFolder() { return WithTrailingSlash(QCoreApplication::applicationDirPath()); }

QString DefaultParameterFilePath(const QString& baseFolder)
{
    return WithTrailingSlash(baseFolder) + QStringLiteral("DefaultPrm.qemra");
}

QString WithTrailingSlash(const QString& folder)
{
    // An empty folder stays empty (the working folder) rather than becoming the root "/".
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

}  // namespace qemra
