#include "publish/PublishSettings.h"

#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(LoadPublishSettings, TakesTheDefaultsForWhatTheFileLeavesOut)
{
    struct Case {
        const char* name;
        const char* ini;  // nullptr: no file
        const char* host;
        int port;
        const char* prefix;
        const char* clientId;
        int keepAlive;
        bool tls;
    };
    const Case cases[] = {
        {"no file: off", nullptr, "", 1883, "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 30, false},
        {"empty host: off", "[Mqtt]\r\nHost=\r\n", "", 1883, "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 30, false},
        {"host only", "[Mqtt]\r\nHost=broker.example\r\n", "broker.example", 1883, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 30, false},
        {"section and keys in any case", "[MQTT]\r\nhost = broker.example \r\nPORT=1884\r\n", "broker.example", 1884,
         "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 30, false},
        {"a CA file: TLS on 8883", "[Mqtt]\nHost=b\nCaFile=/etc/ssl/ca.pem\n", "b", 8883, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 30, true},
        {"TLS on a port of its own", "[Mqtt]\nHost=b\nCaFile=/etc/ssl/ca.pem\nPort=9883\n", "b", 9883,
         "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 30, true},
        {"a client certificate without a CA file: TLS, verified by the system's CA store",
         "[Mqtt]\nHost=b\nCertFile=/etc/q/me.pem\nKeyFile=/etc/q/me.key\n", "b", 8883, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 30, true},
        {"a prefix of its own, slash at the end dropped", "[Mqtt]\nHost=b\nTopicPrefix=site/room-2/\n", "b", 1883,
         "site/room-2", "site-room-2", 30, false},
        {"a client id of its own", "[Mqtt]\nHost=b\nClientId=station-7\n", "b", 1883, "qemra/lab-pc-Port0", "station-7",
         30, false},
        {"keep-alive", "[Mqtt]\nHost=b\nKeepAlive=120\n", "b", 1883, "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 120,
         false},
        {"keep-alive at its limits", "[Mqtt]\nHost=b\nKeepAlive=3600\nPort=65535\n", "b", 65535, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 3600, false},
        {"keys of another section", "[Other]\nHost=b\n", "", 1883, "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 30,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        if (c.ini)
            folder.write(QStringLiteral("Publish.ini"), c.ini);
        const PublishSettings s = LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")),
                                                      QStringLiteral("Port0"), QStringLiteral("lab-pc"));
        EXPECT_EQ(s.Host, QString::fromLatin1(c.host));
        EXPECT_EQ(s.Enabled(), *c.host != '\0');
        EXPECT_EQ(s.Port, c.port);
        EXPECT_EQ(s.TopicPrefix, QString::fromLatin1(c.prefix));
        EXPECT_EQ(s.ClientId, QString::fromLatin1(c.clientId));
        EXPECT_EQ(s.KeepAlive, c.keepAlive);
        EXPECT_EQ(s.Tls(), c.tls);
        EXPECT_EQ(s.Problem, QString());
    }
}

TEST(LoadPublishSettings, GivesEachInstrumentOfAHostAPrefixOfItsOwnFromItsPortPath)
{
    TempFolder folder;
    folder.write(QStringLiteral("Publish.ini"), "[Mqtt]\nHost=b\n");
    const auto prefix = [&](const char* port) {
        return LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")), QString::fromLatin1(port),
                                   QStringLiteral("lab-pc"))
            .TopicPrefix;
    };
    EXPECT_EQ(prefix("/dev/ttyUSB0"), QStringLiteral("qemra/lab-pc-ttyUSB0"));
    EXPECT_EQ(prefix("/dev/ttyUSB1"), QStringLiteral("qemra/lab-pc-ttyUSB1"));
    EXPECT_EQ(prefix("/dev/serial/by-id/usb-Serial_Adapter_A1B2-if00-port0"),
              QStringLiteral("qemra/lab-pc-usb-Serial_Adapter_A1B2-if00-port0"));
    EXPECT_EQ(prefix("/tmp/odd#name+1"), QStringLiteral("qemra/lab-pc-odd_name_1"));
}

TEST(LoadPublishSettings, NamesTheKeyAndValueThatCannotBeUsedAndLeavesPublishingOff)
{
    struct Case {
        const char* lines;
        const char* problem;
    };
    const Case cases[] = {
        {"Port=0", "Publish.ini: Port=0: not a port number (1-65535)"},
        {"Port=70000", "Publish.ini: Port=70000: not a port number (1-65535)"},
        {"Port=abc", "Publish.ini: Port=abc: not a port number (1-65535)"},
        {"Password=s3cret", "Publish.ini: Password=***: a password needs a Username"},
        {"CertFile=/etc/q/me.pem", "Publish.ini: CertFile=/etc/q/me.pem: a client certificate needs its KeyFile"},
        {"KeyFile=/etc/q/me.key", "Publish.ini: KeyFile=/etc/q/me.key: a client key needs its CertFile"},
        {"TopicPrefix=site/#", "Publish.ini: TopicPrefix=site/#: a topic prefix holds no '#' or '+'"},
        {"TopicPrefix=site/+/a", "Publish.ini: TopicPrefix=site/+/a: a topic prefix holds no '#' or '+'"},
        {"TopicPrefix=site\xc2\x85room",
         "Publish.ini: TopicPrefix=site\u0085room: a topic prefix holds no control characters"},
        {"KeepAlive=4", "Publish.ini: KeepAlive=4: not a number of seconds (5-3600)"},
        {"KeepAlive=3601", "Publish.ini: KeepAlive=3601: not a number of seconds (5-3600)"},
        {"KeepAlive=soon", "Publish.ini: KeepAlive=soon: not a number of seconds (5-3600)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        TempFolder folder;
        folder.write(QStringLiteral("Publish.ini"), QByteArray("[Mqtt]\r\nHost=b\r\n") + c.lines + "\r\n");
        const PublishSettings s = LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")),
                                                      QStringLiteral("Port0"), QStringLiteral("h"));
        EXPECT_EQ(s.Problem, QString::fromUtf8(c.problem));
        EXPECT_FALSE(s.Enabled());
    }
    TempFolder folder;
    folder.write(QStringLiteral("Publish.ini"), "[Mqtt]\nHost=b\nTopicPrefix=" + QByteArray(201, 'a') + "\n");
    EXPECT_EQ(LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")), QStringLiteral("Port0")).Problem,
              QStringLiteral("Publish.ini: TopicPrefix=aaaaaaaaaaaaaaaaaaaa...: longer than 200 characters"));
}

TEST(LoadPublishSettings, NamesTheFileAndWhyItCannotBeReadAndLeavesPublishingOff)
{
    struct Case {
        const char* name;
        std::function<void(const QString& path)> make;
        const char* why;
    };
    const QByteArray utf16("\xff\xfe[\0M\0q\0t\0t\0]\0", 14);
    const Case cases[] = {
        {"a folder", [](const QString& path) { QDir().mkpath(path); }, "is a folder"},
        {"a named pipe", [](const QString& path) { ::mkfifo(QFile::encodeName(path).constData(), 0644); },
         "is not a regular file"},
        {"binary data", [](const QString& path) { WriteFile(path, QByteArray("[Mqtt]\nHost=b\n\0\1\2", 17)); },
         "holds binary data, not text"},
        {"UTF-16", [&utf16](const QString& path) { WriteFile(path, utf16); }, "is UTF-16 text, not UTF-8"},
        {"over 1 MB", [](const QString& path) { WriteFile(path, "[Mqtt]\nHost=b\n;" + QByteArray(1 << 20, 'x')); },
         "is larger than 1 MB"},
        {"control characters", [](const QString& path) { WriteFile(path, "[Mqtt]\nHost=b\x1b[1m\n"); },
         "holds control characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("Publish.ini"));
        c.make(path);
        const PublishSettings s = LoadPublishSettings(path, QStringLiteral("Port0"), QStringLiteral("h"));
        EXPECT_EQ(s.Problem, path + u' ' + QString::fromLatin1(c.why));
        EXPECT_FALSE(s.Enabled());
    }
    if (::geteuid() != 0) {
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("Publish.ini"));
        WriteFile(path, "[Mqtt]\nHost=b\n");
        QFile::setPermissions(path, QFileDevice::Permissions());
        EXPECT_TRUE(LoadPublishSettings(path, QStringLiteral("Port0")).Problem.startsWith(path + " cannot be read: "));
    }
}

TEST(LoadPublishSettings, ReadsCredentialsAndTlsFiles)
{
    TempFolder folder;
    folder.write(QStringLiteral("Publish.ini"),
                 "[Mqtt]\r\nHost=b\r\nUsername=station\r\nPassword=s3cret\r\n"
                 "CaFile=/etc/q/ca.pem\r\nCertFile=/etc/q/me.pem\r\nKeyFile=/etc/q/me.key\r\n");
    const PublishSettings s =
        LoadPublishSettings(folder.file(QStringLiteral("Publish.ini")), QStringLiteral("Port1"), QStringLiteral("h"));
    EXPECT_EQ(s.Username, QStringLiteral("station"));
    EXPECT_EQ(s.Password, QStringLiteral("s3cret"));
    EXPECT_EQ(s.CaFile, QStringLiteral("/etc/q/ca.pem"));
    EXPECT_EQ(s.CertFile, QStringLiteral("/etc/q/me.pem"));
    EXPECT_EQ(s.KeyFile, QStringLiteral("/etc/q/me.key"));
    EXPECT_EQ(s.Topic(QStringLiteral("status")), QStringLiteral("qemra/h-Port1/status"));
}

}  // namespace
}  // namespace qemra
