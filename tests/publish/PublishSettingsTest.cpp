#include "publish/PublishSettings.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

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
        {"a port that is no port", "[Mqtt]\nHost=b\nPort=70000\n", "b", 1883, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 30, false},
        {"a prefix of its own, slash at the end dropped", "[Mqtt]\nHost=b\nTopicPrefix=site/room-2/\n", "b", 1883,
         "site/room-2", "site-room-2", 30, false},
        {"a client id of its own", "[Mqtt]\nHost=b\nClientId=station-7\n", "b", 1883, "qemra/lab-pc-Port0", "station-7",
         30, false},
        {"keep-alive", "[Mqtt]\nHost=b\nKeepAlive=120\n", "b", 1883, "qemra/lab-pc-Port0", "qemra-lab-pc-Port0", 120,
         false},
        {"keep-alive below what the client takes", "[Mqtt]\nHost=b\nKeepAlive=0\n", "b", 1883, "qemra/lab-pc-Port0",
         "qemra-lab-pc-Port0", 5, false},
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
