// Settings files: any file content reads without harm, and a key written into it reads back
// as written while every other line stays.
#include "FuzzInput.h"
#include "common/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

using namespace qemra;

namespace {

const QString& FilePath()
{
    static const QTemporaryDir folder;
    static const QString path = folder.path() + QStringLiteral("/Fuzz.ini");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int which = input.Byte();
    const QByteArray bytes(reinterpret_cast<const char*>(input.Data()), static_cast<qsizetype>(input.Size()));
    {
        QFile file(FilePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return 0;
    }

    // Names the settings files use, in other letter cases too.
    static const char* const kSections[] = {"ComPortM", "Early", "System", "Record", "comportm", ""};
    static const char* const kKeys[] = {"Port", "BaudRate", "CustomBaudRate", "DifT0m", "DIV9", "port", ""};
    const QString section = QString::fromLatin1(kSections[which % 6]);
    const QString key = QString::fromLatin1(kKeys[(which / 6) % 7]);

    IniFile ini(FilePath());
    (void)ini.ReadString(section, key, QStringLiteral("default"));
    (void)ini.ReadInteger(section, key, 7);
    (void)ini.KeyExists(section, key);

    // Only names a file can hold are written: a section with a name, a key with one.
    if (section.isEmpty() || key.isEmpty())
        return 0;
    if (!ini.WriteString(section, key, QStringLiteral("12.5")))
        return 0;
    if (ini.ReadString(section, key, QString()) != QStringLiteral("12.5"))
        std::abort();
    return 0;
}
