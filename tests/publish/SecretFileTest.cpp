#include "publish/SecretFile.h"
#include "tests/support/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qemra {
namespace {

TEST(SecretFile, WarnsOnceOfAPasswordThatGroupOrOthersCanRead)
{
    const struct {
        const char* name;
        QByteArray ini;
        mode_t mode;
        QString warningHas;  // empty: no warning
    } cases[] = {
        {"private", "[Mqtt]\r\nHost=b\r\nPassword=secret\r\n", 0600, {}},
        {"readable by all", "[Mqtt]\r\nHost=b\r\nPassword=secret\r\n", 0644, "can be read by others (mode 0644)"},
        {"readable by the group", "[mqtt]\r\npassword=secret\r\n", 0640, "can be read by its group (mode 0640)"},
        {"no password", "[Mqtt]\r\nHost=b\r\nUsername=station\r\n", 0644, {}},
        {"an empty password", "[Mqtt]\r\nHost=b\r\nPassword=\r\n", 0644, {}},
        {"a password elsewhere", "[Other]\r\nPassword=secret\r\n", 0644, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.write("Publish.ini", c.ini);
        const QString path = PublishIniPath(folder.path());
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.mode), 0);
        const QString warning = ReadableSecretWarning(path);
        if (c.warningHas.isEmpty()) {
            EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
        } else {
            EXPECT_TRUE(warning.contains(c.warningHas)) << warning.toStdString();
            EXPECT_TRUE(warning.endsWith("chmod 600 " + path)) << warning.toStdString();
            EXPECT_FALSE(warning.contains(u'\n'));
        }
    }
    TempFolder empty;
    EXPECT_TRUE(ReadableSecretWarning(PublishIniPath(empty.path())).isEmpty());
}

}  // namespace
}  // namespace qemra
