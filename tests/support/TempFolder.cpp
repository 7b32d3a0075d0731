#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempFolder::TempFolder() : dir_(QDir::tempPath() + "/qemra-test-XXXXXX") {}

QString TempFolder::path() const { return dir_.path() + "/"; }

QString TempFolder::file(const QString& name) const { return path() + name; }

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFileInfo info(file(name));
    QDir().mkpath(info.absolutePath());
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

bool TempFolder::exists(const QString& name) const { return QFileInfo::exists(file(name)); }
