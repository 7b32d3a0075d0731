#include "common/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {

namespace {

bool Fail(FileWriteError& error, bool opening, int code)
{
    error.opening = opening;
    error.code = code;
    errno = code;
    return false;
}

// The file a path names: through a symbolic link to the file itself, so the link stays a link.
QByteArray TargetOf(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString file = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
        if (!file.isEmpty())
            return QFile::encodeName(file);
    }
    return QFile::encodeName(path);
}

// When this run began, taken as the program loads: a temporary file changed since then may be one
// of its own that is about to be renamed into place.
const timespec kRunStart = [] {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kSuffixLength = 6;
// Marks the temporary files as this program's own, so a sweep never takes a file someone else named.
constexpr char kTemporaryMark[] = ".qemra-tmp";

bool IsLetterOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// "." + name + "." + six letters or digits + the mark: the name OpenTemporary gives.
bool IsTemporaryName(const char* entry)
{
    const QByteArray name(entry);
    const qsizetype markAt = name.size() - qsizetype(sizeof kTemporaryMark - 1);
    const qsizetype suffixAt = markAt - kSuffixLength;
    if (suffixAt < 3 || name[0] != '.' || name[suffixAt - 1] != '.' || !name.endsWith(kTemporaryMark))
        return false;
    for (qsizetype i = suffixAt; i < markAt; ++i) {
        if (!IsLetterOrDigit(name[i]))
            return false;
    }
    return true;
}

bool ChangedBeforeThisRun(const struct stat& info)
{
    return info.st_mtim.tv_sec < kRunStart.tv_sec ||
           (info.st_mtim.tv_sec == kRunStart.tv_sec && info.st_mtim.tv_nsec < kRunStart.tv_nsec);
}

// Removes the temporary files a killed run left in `folder`: only files with this program's
// temporary names, last changed before this run began and not locked by a writer still at work.
void RemoveStaleTemporaries(const QByteArray& folder)
{
    DIR* listing = ::opendir(folder.constData());
    if (listing == nullptr)
        return;
    const int folderFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        const int fd = ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        // Holding the lock while removing: a writer that still has the file open holds it too.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ChangedBeforeThisRun(info) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
}

// A new, hidden file beside `target`, named after it, open for writing and locked while it is, so
// a sweep in another program leaves it alone.
struct Temporary {
    int fd = -1;
    QByteArray path;
};

bool OpenTemporary(const QByteArray& target, FileIo& io, Temporary& temporary)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    RemoveStaleTemporaries(folder.isEmpty() ? QByteArray(".") : folder);
    // Short enough that the suffix still fits into a file name.
    const QByteArray name = target.mid(slash + 1).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(kSuffixLength, '\0');
        for (char& c : suffix)
            c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        temporary.path = folder + '.' + name + '.' + suffix + kTemporaryMark;
        temporary.fd = io.Open(temporary.path, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (temporary.fd >= 0) {
            ::flock(temporary.fd, LOCK_EX | LOCK_NB);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Writes, flushes to the disk and closes; any failure of the three counts.
bool WriteFlushClose(FileIo& io, int fd, const QByteArray& bytes)
{
    const bool written = io.WriteAll(fd, bytes) && io.Sync(fd) == 0;
    const int code = errno;
    const bool closed = ::close(fd) == 0 || errno == EINTR;  // closed all the same after EINTR
    if (!written)
        errno = code;
    return written && closed;
}

bool ReadWhole(int fd, QByteArray& bytes)
{
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
        offset += got;
    }
}

bool Truncate(int fd, off_t size)
{
    int result = 0;
    do {
        result = ::ftruncate(fd, size);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool RewriteInPlace(const QByteArray& target, const QByteArray& bytes, FileIo& io, FileWriteError& error)
{
    const int fd = io.Open(target, O_RDWR, 0);
    if (fd < 0)
        return Fail(error, true, errno);
    QByteArray old;
    if (!ReadWhole(fd, old)) {
        const int code = errno;
        ::close(fd);
        return Fail(error, true, code);
    }
    if (::lseek(fd, 0, SEEK_SET) == 0 && io.WriteAll(fd, bytes) && Truncate(fd, bytes.size()) && io.Sync(fd) == 0) {
        if (::close(fd) != 0 && errno != EINTR)
            return Fail(error, false, errno);
        return true;
    }
    const int code = errno;
    // The old bytes fit into the room they had, so they go back even on a full disk.
    if (::lseek(fd, 0, SEEK_SET) == 0 && io.WriteAll(fd, old))
        Truncate(fd, old.size());
    io.Sync(fd);
    ::close(fd);
    return Fail(error, false, code);
}

}  // namespace

QString FileWriteError::Text() const { return qt_error_string(code); }

bool ReplaceFile(const QString& path, const QByteArray& bytes, FileIo& io, WhenNoTemporaryFile noTemporaryFile,
                 FileWriteError* error)
{
    FileWriteError ignored;
    FileWriteError& failure = error ? *error : ignored;
    const QByteArray target = TargetOf(path);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return Fail(failure, true, errno);
    if (exists && !S_ISREG(old.st_mode))
        return Fail(failure, true, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    // A file marked read-only is not replaced, though its folder would allow the rename.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return Fail(failure, true, errno);

    Temporary temporary;
    if (!OpenTemporary(target, io, temporary)) {
        const int code = errno;
        if (exists && noTemporaryFile == WhenNoTemporaryFile::RewriteInPlace)
            return RewriteInPlace(target, bytes, io, failure);
        return Fail(failure, true, code);
    }
    if (exists)
        ::fchmod(temporary.fd, old.st_mode & 07777);
    if (!WriteFlushClose(io, temporary.fd, bytes) || ::rename(temporary.path.constData(), target.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.path.constData());
        return Fail(failure, false, code);
    }
    return true;
}

CreateResult CreateFileWith(const QString& path, const QByteArray& bytes, FileIo& io)
{
    const QByteArray target = QFile::encodeName(path);
    Temporary temporary;
    if (!OpenTemporary(target, io, temporary))
        return CreateResult::Failed;
    if (!WriteFlushClose(io, temporary.fd, bytes)) {
        ::unlink(temporary.path.constData());
        return CreateResult::Failed;
    }
    const char* from = temporary.path.constData();
    CreateResult result = CreateResult::Failed;
    if (::link(from, target.constData()) == 0) {
        result = CreateResult::Created;
    } else if (errno == EEXIST) {
        result = CreateResult::AlreadyThere;
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
        // A file system without hard links: an exclusive rename does the same.
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return CreateResult::Created;
        if (errno == EEXIST) {
            result = CreateResult::AlreadyThere;
        } else if (errno == EINVAL || errno == ENOSYS) {
            // Nor that: a plain rename after a last look, the one short window left open.
            struct stat info {};
            if (::lstat(target.constData(), &info) == 0)
                result = CreateResult::AlreadyThere;
            else if (::rename(from, target.constData()) == 0)
                return CreateResult::Created;
        }
    }
    ::unlink(from);
    return result;
}

bool AppendToFile(const QString& path, const QByteArray& bytes, FileIo& io)
{
    const QByteArray name = QFile::encodeName(path);
    // Two rounds: another program may create the file between the two attempts.
    for (int round = 0; round < 2; ++round) {
        const int fd = io.Open(name, O_WRONLY | O_APPEND, 0);
        if (fd >= 0) {
            struct stat before {};
            bool ok = ::fstat(fd, &before) == 0;
            if (ok && !io.WriteAll(fd, bytes)) {
                if (S_ISREG(before.st_mode))
                    Truncate(fd, before.st_size);  // no part of the lines stays behind
                ok = false;
            }
            ::close(fd);
            return ok;
        }
        if (errno != ENOENT)
            return false;
        switch (CreateFileWith(path, bytes, io)) {
        case CreateResult::Created:
            return true;
        case CreateResult::Failed:
            return false;
        case CreateResult::AlreadyThere:
            break;
        }
    }
    return false;
}

}  // namespace qemra
