#include "publish/PublishSettings.h"

#include "common/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <optional>

namespace qemra {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
constexpr int kDefaultKeepAlive = 30;

bool HasControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

// Why a settings file that is there cannot be read as text.
QString UnreadableReason(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("is a folder");
    if (!info.isFile())
        return QStringLiteral("is not a regular file");
    if (info.size() > IniFile::kMaxBytes)
        return QStringLiteral("is larger than 1 MB");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read: ") + file.errorString();
    const QByteArray bytes = file.read(IniFile::kMaxBytes + 1);
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return QStringLiteral("is UTF-16 text, not UTF-8");
    if (bytes.contains('\0'))
        return QStringLiteral("holds binary data, not text");
    if (bytes.size() > IniFile::kMaxBytes)
        return QStringLiteral("is larger than 1 MB");
    return QStringLiteral("holds control characters");
}

// A whole number within [low, high] written as such, else nothing.
std::optional<int> NumberWithin(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// The last part of a port's path, with what a topic cannot hold replaced.
QString PortPart(const QString& portName)
{
    QString part = portName.section(u'/', -1);
    for (QChar& c : part)
        if (c == u'#' || c == u'+' || c.category() == QChar::Other_Control)
            c = u'_';
    return part;
}

}  // namespace

PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portName)
{
    return LoadPublishSettings(iniPath, portName, QSysInfo::machineHostName());
}

PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portName, const QString& hostName)
{
    PublishSettings settings;
    const QString file = QFileInfo(iniPath).fileName();
    IniDocument document;
    switch (IniFile(iniPath).Read(document)) {
    case IniRead::Read:
    case IniRead::Missing:
        break;
    case IniRead::TooLarge:
        settings.Problem = iniPath + QStringLiteral(" is larger than 1 MB");
        return settings;
    case IniRead::Unreadable:
        settings.Problem = iniPath + u' ' + UnreadableReason(iniPath);
        return settings;
    }
    const auto text = [&](const char* key) {
        return document.Value(kPublishSection, QString::fromLatin1(key)).value_or(QString());
    };
    // Only the first value that cannot be used is named: one line, and publishing stays off.
    const auto problem = [&](const char* key, const QString& value, const QString& why) {
        if (settings.Problem.isEmpty())
            settings.Problem = QStringLiteral("%1: %2=%3: %4").arg(file, QString::fromLatin1(key), value, why);
    };

    settings.Host = text("Host");
    settings.CaFile = text("CaFile");
    settings.CertFile = text("CertFile");
    settings.KeyFile = text("KeyFile");
    settings.Username = text("Username");
    settings.Password = text("Password");

    settings.Port = settings.Tls() ? kTlsPort : kPlainPort;
    if (const QString port = text("Port"); !port.isEmpty()) {
        if (const std::optional<int> value = NumberWithin(port, 1, 65535))
            settings.Port = *value;
        else
            problem("Port", port, QStringLiteral("not a port number (1-65535)"));
    }
    if (!settings.Password.isEmpty() && settings.Username.isEmpty())
        problem("Password", QStringLiteral("***"), QStringLiteral("a password needs a Username"));
    if (!settings.CertFile.isEmpty() && settings.KeyFile.isEmpty())
        problem("CertFile", settings.CertFile, QStringLiteral("a client certificate needs its KeyFile"));
    if (settings.CertFile.isEmpty() && !settings.KeyFile.isEmpty())
        problem("KeyFile", settings.KeyFile, QStringLiteral("a client key needs its CertFile"));

    settings.TopicPrefix = text("TopicPrefix");
    if (settings.TopicPrefix.contains(u'#') || settings.TopicPrefix.contains(u'+'))
        problem("TopicPrefix", settings.TopicPrefix, QStringLiteral("a topic prefix holds no '#' or '+'"));
    else if (HasControlCharacter(settings.TopicPrefix))
        problem("TopicPrefix", settings.TopicPrefix, QStringLiteral("a topic prefix holds no control characters"));
    else if (settings.TopicPrefix.size() > kLongestTopicPrefix)
        problem("TopicPrefix", settings.TopicPrefix.left(20) + QStringLiteral("..."),
                QStringLiteral("longer than %1 characters").arg(kLongestTopicPrefix));
    while (settings.TopicPrefix.endsWith(u'/'))
        settings.TopicPrefix.chop(1);
    if (settings.TopicPrefix.isEmpty())
        settings.TopicPrefix = QStringLiteral("qemra/") + hostName + u'-' + PortPart(portName);

    settings.ClientId = text("ClientId");
    if (settings.ClientId.isEmpty())
        settings.ClientId = QString(settings.TopicPrefix).replace(u'/', u'-');

    settings.Discovery = text("Discovery");
    while (settings.Discovery.endsWith(u'/'))
        settings.Discovery.chop(1);

    settings.KeepAlive = kDefaultKeepAlive;
    if (const QString keepAlive = text("KeepAlive"); !keepAlive.isEmpty()) {
        if (const std::optional<int> value = NumberWithin(keepAlive, kShortestKeepAlive, kLongestKeepAlive))
            settings.KeepAlive = *value;
        else
            problem("KeepAlive", keepAlive,
                    QStringLiteral("not a number of seconds (%1-%2)").arg(kShortestKeepAlive).arg(kLongestKeepAlive));
    }
    // Nothing to say about a file that names no broker: publishing is simply off.
    if (settings.Host.isEmpty())
        settings.Problem.clear();
    return settings;
}

}  // namespace qemra
