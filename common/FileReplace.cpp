#include "common/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

// A new, hidden file beside `target`, named after it, open for writing.
struct Temporary {
    int fd = -1;
    QByteArray path;
};

bool OpenTemporary(const QByteArray& target, FileIo& io, Temporary& temporary)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    // Short enough that the suffix still fits into a file name.
    const QByteArray name = target.mid(slash + 1).left(200);
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(6, '\0');
        for (char& c : suffix)
            c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        temporary.path = folder + '.' + name + '.' + suffix;
        temporary.fd = io.Open(temporary.path, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (temporary.fd >= 0)
            return true;
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
