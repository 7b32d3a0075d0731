#include "publish/PublishSettings.h"

#include "common/IniFile.h"

#include <QSysInfo>

#include <algorithm>

namespace qemra {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
constexpr int kDefaultKeepAlive = 30;
// The client library refuses shorter keep-alive intervals than this; the protocol has 16 bits for it.
constexpr int kShortestKeepAlive = 5;
constexpr int kLongestKeepAlive = 65535;

}  // namespace

PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portFileBase)
{
    return LoadPublishSettings(iniPath, portFileBase, QSysInfo::machineHostName());
}

PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portFileBase, const QString& hostName)
{
    const IniFile ini(iniPath);
    const auto text = [&](const char* key) { return ini.ReadString(kPublishSection, QString::fromLatin1(key), {}); };

    PublishSettings settings;
    settings.Host = text("Host");
    settings.CaFile = text("CaFile");
    settings.CertFile = text("CertFile");
    settings.KeyFile = text("KeyFile");
    settings.Username = text("Username");
    settings.Password = text("Password");

    const int defaultPort = settings.Tls() ? kTlsPort : kPlainPort;
    settings.Port = ini.ReadInteger(kPublishSection, QStringLiteral("Port"), defaultPort);
    if (settings.Port <= 0 || settings.Port > 65535)
        settings.Port = defaultPort;

    settings.TopicPrefix = text("TopicPrefix");
    while (settings.TopicPrefix.endsWith(u'/'))
        settings.TopicPrefix.chop(1);
    if (settings.TopicPrefix.isEmpty())
        settings.TopicPrefix = QStringLiteral("qemra/") + hostName + u'-' + portFileBase;

    settings.ClientId = text("ClientId");
    if (settings.ClientId.isEmpty())
        settings.ClientId = QString(settings.TopicPrefix).replace(u'/', u'-');

    settings.Discovery = text("Discovery");
    while (settings.Discovery.endsWith(u'/'))
        settings.Discovery.chop(1);

    settings.KeepAlive = ini.ReadInteger(kPublishSection, QStringLiteral("KeepAlive"), kDefaultKeepAlive);
    settings.KeepAlive = std::clamp(settings.KeepAlive, kShortestKeepAlive, kLongestKeepAlive);
    return settings;
}

}  // namespace qemra
