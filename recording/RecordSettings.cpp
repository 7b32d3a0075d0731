#include "recording/RecordSettings.h"

#include "common/IniFile.h"

namespace qemra {

void LoadRecordSettings(const QString& path, TMySts& status)
{
    const IniFile ini(path);
    status.SecRec = ini.ReadInteger(kRecordSection, kSecRecKey, 0) != 0 ? 1 : 0;
}

void SaveRecordSettings(const QString& path, const TMySts& status)
{
    IniFile ini(path);
    ini.WriteString(kRecordSection, kSecRecKey, status.SecRec != 0 ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace qemra
