// The publisher over TLS to a broker that wants a password, with certificates the test makes with
// openssl; a wrong password or a server certificate from another authority gives one log line with
// the reason, however often the attempt is repeated.
#include "publish/Publisher.h"

#include "tests/publish/PublishFixture.h"
#include "tests/publish/Subscriber.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

const QString kPrefix = QStringLiteral("qemra/tls-Port0");

bool OpenSsl(const QString& folder, const QStringList& arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(20000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

// A certificate authority of its own, named `name`: name.key and name.crt.
bool MakeAuthority(const QString& folder, const QString& name)
{
    return OpenSsl(folder, {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-keyout", name + ".key", "-out", name + ".crt", "-days", "2", "-subj", "/CN=" + name});
}

// server.key and server.crt for 127.0.0.1, signed by the authority `ca`.
bool MakeServerCertificate(const QString& folder, const QString& ca)
{
    QFile extensions(folder + "server.ext");
    if (!extensions.open(QIODevice::WriteOnly) || extensions.write("subjectAltName=IP:127.0.0.1\n") < 0)
        return false;
    extensions.close();
    return OpenSsl(folder, {"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                            "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"}) &&
           OpenSsl(folder, {"x509", "-req", "-in", "server.csr", "-CA", ca + ".crt", "-CAkey", ca + ".key",
                            "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", "server.ext"});
}

class PublisherTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString certificates = broker.Folder();
        ASSERT_TRUE(MakeAuthority(certificates, "station-ca"));
        ASSERT_TRUE(MakeAuthority(certificates, "other-ca"));
        ASSERT_TRUE(MakeServerCertificate(certificates, "station-ca"));
        ASSERT_TRUE(
            MosquittoBroker::RunTool("mosquitto_passwd", {"-b", "-c", certificates + "passwd", "station", "secret"}));
        // A plain listener for the test's own subscriber, a TLS one for the publishers; one password file.
        ASSERT_TRUE(broker.Start(QStringLiteral("per_listener_settings false\nallow_anonymous false\n"
                                                "password_file %1passwd\n"
                                                "listener %2 127.0.0.1\n"
                                                "listener %3 127.0.0.1\ncafile %1station-ca.crt\n"
                                                "certfile %1server.crt\nkeyfile %1server.key\n")
                                     .arg(certificates)
                                     .arg(broker.Port())
                                     .arg(tlsPort)))
            << broker.LogText().toStdString();
    }

    PublishSettings Settings(const QString& ca, const QString& password) const
    {
        PublishSettings settings;
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = tlsPort;
        settings.TopicPrefix = kPrefix;
        settings.ClientId = QStringLiteral("qemra-tls-") + ca + u'-' + password;
        settings.CaFile = broker.Folder() + ca + QStringLiteral(".crt");
        settings.Username = QStringLiteral("station");
        settings.Password = password;
        return settings;
    }

    std::unique_ptr<Publisher> MakePublisher(const PublishSettings& settings, QStringList& log)
    {
        return std::make_unique<Publisher>(
            settings, folder.path() + QStringLiteral("Record/"),
            folder.file(settings.ClientId + QStringLiteral(".state")), clock,
            [&log](const QString& line) { log.append(line); },
            ReconnectBackoff{std::chrono::milliseconds(50), std::chrono::milliseconds(200)});
    }

    TempFolder folder;
    FakeClock clock{EncodeDateTime(2026, 12, 11, 9, 40, 30)};
    MosquittoBroker broker;
    int tlsPort = MosquittoBroker::FreePort();
};

TEST_F(PublisherTlsTest, ConnectsWithTheStationsAuthorityAndPassword)
{
    Subscriber subscriber(broker.Port(), kPrefix + QStringLiteral("/status"), {"station", "secret", {}});
    ASSERT_TRUE(subscriber.Ready());
    QStringList log;
    auto publisher = MakePublisher(Settings(QStringLiteral("station-ca"), QStringLiteral("secret")), log);
    publisher->Start();

    ASSERT_TRUE(WaitUntil([&] { return !subscriber.Messages().empty(); })) << log.join(u'\n').toStdString();
    EXPECT_EQ(subscriber.Messages().front().payload, "online");
    EXPECT_EQ(log, QStringList{QStringLiteral("MQTT: connected to 127.0.0.1:%1").arg(tlsPort)});
}

TEST_F(PublisherTlsTest, RefusedAttemptsGiveOneLineWithTheReason)
{
    struct Case {
        const char* ca;
        const char* password;
        const char* reason;       // in the publisher's line
        const char* brokerSawIt;  // in the broker's log, once per attempt
    };
    const Case cases[] = {
        {"station-ca", "wrong", "Not authorized", "not authorised"},
        {"other-ca", "secret", "certificate verify failed", "unknown ca"},
    };
    std::vector<QStringList> logs(std::size(cases));
    std::vector<std::unique_ptr<Publisher>> publishers;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        publishers.push_back(MakePublisher(Settings(cases[i].ca, cases[i].password), logs[i]));
        publishers.back()->Start();
    }
    // Pauses of 50 to 200 ms: a second is several attempts each.
    QTest::qWait(1500);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].ca + std::string(" ") + cases[i].password);
        EXPECT_FALSE(publishers[i]->Connected());
        ASSERT_EQ(logs[i].size(), 1) << logs[i].join(u'\n').toStdString();
        EXPECT_TRUE(logs[i].front().startsWith(QStringLiteral("MQTT: cannot connect to 127.0.0.1:%1: ").arg(tlsPort)));
        EXPECT_TRUE(logs[i].front().contains(QString::fromLatin1(cases[i].reason))) << logs[i].front().toStdString();
        EXPECT_TRUE(publishers[i]->StateText().startsWith(QStringLiteral("MQTT: 再接続待ち (")));
        EXPECT_GE(broker.LogText().count(QString::fromLatin1(cases[i].brokerSawIt)), 3) << "tried again and again";
    }
}

}  // namespace
}  // namespace qemra
