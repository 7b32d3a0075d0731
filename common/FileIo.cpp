#include "common/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {

bool ReadFileRange(int fd, qint64 offset, qint64 end, QByteArray& out)
{
    out.resize(std::max<qint64>(end - offset, 0));
    qint64 done = 0;
    while (offset + done < end) {
        const ssize_t got = ::pread(fd, out.data() + done, static_cast<size_t>(end - offset - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += got;
    }
    out.resize(done);
    return true;
}

int FileIo::Open(const QByteArray& path, int flags, mode_t mode)
{
    int fd = -1;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t FileIo::Write(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }

int FileIo::Sync(int fd) { return ::fsync(fd); }

bool FileIo::WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = Write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = ENOSPC;  // a write that takes nothing would loop for ever
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

int FailingFileIo::Open(const QByteArray& path, int flags, mode_t mode)
{
    if (newFilesRefused && (flags & O_CREAT)) {
        ++refusedCreations;
        errno = EACCES;
        return -1;
    }
    return FileIo::Open(path, flags, mode);
}

bool FailingFileIo::Crashing()
{
    if (!crashed && crashAt >= 0 && calls == crashAt) {
        crashed = true;
        if (crash)
            crash();
    }
    ++calls;
    if (crashed)
        errno = EIO;
    return crashed;
}

ssize_t FailingFileIo::Write(int fd, const char* data, std::size_t size)
{
    if (Crashing())
        return -1;
    if (freeBytes < 0)
        return FileIo::Write(fd, data, size);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return -1;
    const qint64 end = info.st_size;
    const qint64 position = (::fcntl(fd, F_GETFL) & O_APPEND) ? end : qint64(::lseek(fd, 0, SEEK_CUR));
    // Only bytes beyond the end of the file take room; overwriting what is there does not.
    const qint64 fits = end + freeBytes - position;
    if (fits <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t written = FileIo::Write(fd, data, std::min(size, static_cast<std::size_t>(fits)));
    if (written > 0)
        freeBytes -= std::max<qint64>(0, position + written - end);
    return written;
}

int FailingFileIo::Sync(int fd)
{
    if (Crashing())
        return -1;
    if (syncFails) {
        errno = EIO;
        return -1;
    }
    return FileIo::Sync(fd);
}

}  // namespace qemra
