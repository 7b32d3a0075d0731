#include "sim/PortIni.h"

#include "common/IniFile.h"

namespace qemra::sim {

bool WritePortSetting(const std::string& iniPath, const std::string& port)
{
    IniFile file(QString::fromStdString(iniPath));
    return file.WriteString(QStringLiteral("ComPortM"), QStringLiteral("Port"), QString::fromStdString(port));
}

}  // namespace qemra::sim
