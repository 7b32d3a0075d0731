#pragma once

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <sys/types.h>

namespace qemra {

// Reads bytes [offset, end) of an open file into `out`, retrying interrupted reads; a file that
// ends sooner gives fewer bytes. False on a read error.
bool ReadFileRange(int fd, qint64 offset, qint64 end, QByteArray& out);

// The system calls that put bytes into files, gathered in one place so tests can make them fail
// as a full disk, a folder that takes no new files or a crash at a chosen moment would.
class FileIo {
public:
    virtual ~FileIo() = default;

    // As ::open (close-on-exec added): a descriptor, or -1 with errno set.
    virtual int Open(const QByteArray& path, int flags, mode_t mode);
    // As ::write: the number of bytes written, or -1 with errno set.
    virtual ssize_t Write(int fd, const char* data, std::size_t size);
    // As ::fsync: 0, or -1 with errno set.
    virtual int Sync(int fd);

    // Every byte, through short writes and interruptions; false with errno set when a write fails.
    bool WriteAll(int fd, const QByteArray& bytes);
};

// For tests: a disk with limited room, a folder that refuses new files, a flush that fails, and a
// crash at the n-th write or flush.
class FailingFileIo final : public FileIo {
public:
    // Room left on the disk: a write that would make files grow past it writes what fits and then
    // fails with ENOSPC, as a full disk does. Below zero: no limit.
    qint64 freeBytes = -1;
    // Creating files fails with EACCES, as in a folder without write permission.
    bool newFilesRefused = false;
    // Every flush fails with EIO.
    bool syncFails = false;
    // Before the write or flush with this number (counted from 0), `crash` runs (a test takes the
    // files as the crash leaves them), and from then on every write and flush fails with EIO, as
    // nothing more reaches the disk. Below zero: no crash.
    int crashAt = -1;
    std::function<void()> crash;

    int calls = 0;             // writes and flushes so far
    int refusedCreations = 0;  // files not created because of `newFilesRefused`
    bool crashed = false;

    int Open(const QByteArray& path, int flags, mode_t mode) override;
    ssize_t Write(int fd, const char* data, std::size_t size) override;
    int Sync(int fd) override;

private:
    bool Crashing();
};

}  // namespace qemra
