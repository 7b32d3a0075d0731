#include "recording/RecordFiles.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace qemra;

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

const QString kSecondFile = QStringLiteral("Record/RT_COM7_20240501.csv");
const QString kMinuteFile = QStringLiteral("Record/RT_20240501.RCD");

QStringList Lines(const QByteArray& bytes)
{
    QStringList lines = FromCp932(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList RowsStamped(const QStringList& lines, const QString& stamp)
{
    return lines.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(stamp) + u','));
}

// One event as a line, so a test can compare the whole sequence at once.
QString Said(const RecordWriteEvent& event)
{
    return event.failing ? QStringLiteral("failing %1").arg(event.path.section(u'/', -1))
                         : QStringLiteral("again %1, %2 lost").arg(event.path.section(u'/', -1)).arg(event.lostRows);
}

// A recorder over a base folder, driven second by second with a fake clock on 2024-05-01 10:mm:ss.
class Station {
public:
    explicit Station(const QString& base) : files(base, state, clock, nullptr, QChar(u'.'))
    {
        state.MySts.PortName = QStringLiteral("COM7");
        state.MySts.SecRec = 1;
        state.CurMes.Measuring = 1;
        files.OnWriteEvent = [this](const RecordWriteEvent& event) {
            said.append(Said(event));
            if (event.failing)
                reasons.append(event.reason);
        };
    }

    // Every second from `from` (seconds since 10:00:00) up to, not including, `to`.
    void Run(int from, int to, float airTemp = 20)
    {
        for (int s = from; s < to; ++s) {
            state.CurMes.M11 = airTemp;
            clock.Set(EncodeDateTime(2024, 5, 1, 10, s / 60, s % 60, 150));
            files.RecordSecond();
        }
    }

    SharedState state;
    FakeClock clock;
    RecordFiles files;
    QStringList said;
    QStringList reasons;
};

constexpr int At(int minute, int second) { return minute * 60 + second; }

// A small real file system of its own under the folder; false where mounting is not allowed.
bool MountSmallDisk(const QString& folder)
{
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=200k") == 0;
}

// Fills the disk under `folder` up to its last byte.
void FillDisk(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/filler")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray block(512, 'x');
    while (::write(fd, block.constData(), block.size()) > 0) {
    }
    while (::write(fd, block.constData(), 1) > 0) {
    }
    ::close(fd);
}

TEST(RecordWriteTrouble, AFullDiskIsSaidOnceWhenRowsFailAndOnceWhenTheyAreWrittenAgainWithTheRowsLost)
{
    TempFolder temp;
    QDir().mkpath(temp.file(QStringLiteral("Record")));
    const QString disk = temp.file(QStringLiteral("Record"));
    const bool mounted = MountSmallDisk(disk);
    Station station(temp.path());
    station.Run(At(15, 5), At(15, 20));
    {
        // Where no file system may be mounted, a file size limit fails the same writes.
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        void (*oldHandler)(int) = SIG_DFL;
        if (mounted) {
            FillDisk(disk);
        } else {
            rlimit full = old;
            full.rlim_cur = static_cast<rlim_t>(temp.read(kMinuteFile).size());  // the smaller one
            ::setrlimit(RLIMIT_FSIZE, &full);
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        }
        station.Run(At(15, 20), At(16, 40));
        if (mounted) {
            QFile::remove(disk + QStringLiteral("/filler"));
        } else {
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        }
    }
    station.Run(At(16, 40), At(17, 10));
    const QByteArray secondBytes = temp.read(kSecondFile);
    const QByteArray minuteBytes = temp.read(kMinuteFile);
    if (mounted)
        ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);

    // Each file is said to fail once and to take rows again once; the rows said lost are the rows
    // missing. A row may still fit into the room a file has left on a full disk.
    const QStringList seconds = Lines(secondBytes);
    const QStringList secondSaid = station.said.filter(QStringLiteral("RT_COM7_20240501.csv"));
    ASSERT_EQ(secondSaid.size(), 2) << station.said.join(u'\n').toStdString();
    EXPECT_EQ(secondSaid[0], QStringLiteral("failing RT_COM7_20240501.csv"));
    EXPECT_EQ(secondSaid[1],
              QStringLiteral("again RT_COM7_20240501.csv, %1 lost").arg(2 + 125 - seconds.size()));
    EXPECT_LT(seconds.size(), 2 + 125);
    EXPECT_EQ(station.reasons.value(0),
              mounted ? QStringLiteral("No space left on device") : QStringLiteral("File too large"));
    EXPECT_EQ(RowsStamped(seconds, QStringLiteral("2024/05/01 10:15:19")).size(), 1);
    EXPECT_EQ(RowsStamped(seconds, QStringLiteral("2024/05/01 10:16:40")).size(), 1);
    // The minute row of 10:16 waits, if need be, and goes in once there is room.
    const QStringList minuteSaid = station.said.filter(QStringLiteral("RT_20240501.RCD"));
    if (!minuteSaid.isEmpty()) {
        EXPECT_EQ(minuteSaid, (QStringList{QStringLiteral("failing RT_20240501.RCD"),
                                           QStringLiteral("again RT_20240501.RCD, 0 lost")}));
    }
    const QStringList minutes = Lines(minuteBytes);
    ASSERT_EQ(minutes.size(), 2 + 3);
    EXPECT_TRUE(minutes[2].startsWith(QStringLiteral("2024/05/01 10:15,")));
    EXPECT_TRUE(minutes[3].startsWith(QStringLiteral("2024/05/01 10:16,")));
    EXPECT_TRUE(minutes[4].startsWith(QStringLiteral("2024/05/01 10:17,")));
}

TEST(RecordWriteTrouble, AFolderThatTakesNoNewFilesIsSaidOnceAndRowsFollowOnceItDoes)
{
    // Root writes anyway: the recorder runs in a child process, as nobody when the test is root. The
    // folder is the child's own, so it can open it up again.
    TempFolder temp;
    const QString record = temp.file(QStringLiteral("Record"));
    QDir().mkpath(record);
    const bool root = ::geteuid() == 0;
    constexpr uid_t kNobody = 65534;
    if (root) {
        QFile::setPermissions(temp.path(), QFileDevice::Permissions(0x7777));
        ASSERT_EQ(::chown(QFile::encodeName(record).constData(), kNobody, kNobody), 0);
    }
    QFile::setPermissions(record, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(3);
        Station station(temp.path());
        station.Run(At(15, 5), At(16, 30));
        QFile::setPermissions(record, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        station.Run(At(16, 30), At(17, 10));
        const QByteArray said = (station.said + station.reasons).join(u'|').toUtf8();
        const bool written = ::write(out[1], said.constData(), size_t(said.size())) == said.size();
        ::_exit(written ? 0 : 4);
    }
    ::close(out[1]);
    QByteArray said;
    char buffer[512];
    for (ssize_t got = 0; (got = ::read(out[0], buffer, sizeof buffer)) != 0;)
        if (got > 0)
            said.append(buffer, got);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot run as nobody here, and root may write into any folder";
    ASSERT_EQ(WEXITSTATUS(status), 0);

    // The minute row of 10:15 waits until the next one is due and is then given up.
    EXPECT_EQ(QString::fromUtf8(said).split(u'|'),
              (QStringList{QStringLiteral("failing RT_COM7_20240501.csv"), QStringLiteral("failing RT_20240501.RCD"),
                           QStringLiteral("again RT_20240501.RCD, 1 lost"),
                           QStringLiteral("again RT_COM7_20240501.csv, 85 lost"), QStringLiteral("Permission denied"),
                           QStringLiteral("Permission denied")}));
    const QStringList seconds = Lines(temp.read(kSecondFile));
    EXPECT_EQ(seconds.size(), 2 + 40);
    EXPECT_TRUE(seconds.value(2).startsWith(QStringLiteral("2024/05/01 10:16:30,")));
    const QStringList minutes = Lines(temp.read(kMinuteFile));
    ASSERT_EQ(minutes.size(), 2 + 2);
    EXPECT_TRUE(minutes[2].startsWith(QStringLiteral("2024/05/01 10:16,")));
    EXPECT_TRUE(minutes[3].startsWith(QStringLiteral("2024/05/01 10:17,")));
}

// The minute rows of a file as (stamp, air temperature average, max, min).
struct MinuteAir {
    QString stamp;
    QString avg, max, min;
    bool operator==(const MinuteAir&) const = default;
};
void PrintTo(const MinuteAir& row, std::ostream* out)
{
    *out << row.stamp.toStdString() << " " << row.avg.toStdString() << "/" << row.max.toStdString() << "/"
         << row.min.toStdString();
}

std::vector<MinuteAir> AirRows(const QByteArray& bytes)
{
    std::vector<MinuteAir> rows;
    for (const QString& line : Lines(bytes)) {
        const QStringList cells = line.split(u',');
        if (cells.size() > 6 && line.startsWith(QStringLiteral("2024/")))
            rows.push_back({cells[0].mid(11), cells[4], cells[5], cells[6]});
    }
    return rows;
}

TEST(MinuteRowsAcrossAPortLoss, NoSampleCrossesIntoAnotherMinute)
{
    // Samples at 40 until the port goes at `lostAt`; it comes back at `backAt` with samples at 10.
    // Seconds in `unseen` have no second step (a held-up timer).
    struct Case {
        const char* name;
        int lostAt, backAt;
        std::pair<int, int> unseen;
        std::vector<MinuteAir> rows;
    };
    const Case cases[] = {
        {"back in a later minute: the closed minute's row at its time, alone",
         At(15, 20),
         At(16, 50),
         {0, 0},
         {{"10:15", "40", "40", "40"}, {"10:16", "40", "40", "40"}, {"10:17", "10", "10", "10"}}},
        {"back before the closed minute's row: the minute is whole again",
         At(15, 20),
         At(15, 40),
         {0, 0},
         {{"10:15", "40", "40", "40"}, {"10:16", "19.75", "40", "10"}, {"10:17", "10", "10", "10"}}},
        {"the closed minute's row time goes by unseen: its samples go nowhere else",
         At(15, 20),
         At(16, 20),
         {At(16, 5), At(16, 10)},
         {{"10:15", "40", "40", "40"}, {"10:17", "10", "10", "10"}}},
        {"lost in the writing window after its row: the next minute's row is as usual",
         At(15, 7),
         At(15, 30),
         {0, 0},
         {{"10:15", "40", "40", "40"}, {"10:16", "10", "10", "10"}, {"10:17", "10", "10", "10"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        Station station(temp.path());
        station.state.MySts.SecRec = 0;
        for (int s = At(15, 0); s < At(17, 10); ++s) {
            if (s >= c.unseen.first && s < c.unseen.second)
                continue;
            if (s == c.lostAt)
                station.files.CloseMinute();
            const bool measuring = s < c.lostAt || s >= c.backAt;
            station.state.CurMes.Measuring = measuring ? 1 : 0;
            station.Run(s, s + 1, s < c.lostAt ? 40.0f : 10.0f);
        }
        EXPECT_EQ(AirRows(temp.read(kMinuteFile)), c.rows);
    }
}

TEST(RecordRowsAfterARestart, ASecondOrMinuteTheFileHoldsIsNotWrittenAgain)
{
    TempFolder temp;
    {
        Station first(temp.path());
        first.Run(At(15, 0), At(15, 8));
    }
    // Started again within the second of the last row and the minute of the last minute row.
    Station again(temp.path());
    again.Run(At(15, 7), At(16, 8));

    const QStringList seconds = Lines(temp.read(kSecondFile));
    EXPECT_EQ(seconds.size(), 2 + 68);
    EXPECT_EQ(RowsStamped(seconds, QStringLiteral("2024/05/01 10:15:07")).size(), 1);
    const QStringList minutes = Lines(temp.read(kMinuteFile));
    ASSERT_EQ(minutes.size(), 2 + 2);
    EXPECT_TRUE(minutes[2].startsWith(QStringLiteral("2024/05/01 10:15,")));
    EXPECT_TRUE(minutes[3].startsWith(QStringLiteral("2024/05/01 10:16,")));
}

}  // namespace
