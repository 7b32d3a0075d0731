#include "sim/CommandPipe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qemra::sim {

CommandPipe::CommandPipe(std::string path) : path_(std::move(path)) {}

CommandPipe::~CommandPipe()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (made_)
        ::unlink(path_.c_str());
}

bool CommandPipe::Open(std::string& error)
{
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
        if (!S_ISFIFO(info.st_mode)) {
            error = "command pipe " + path_ + " exists and is not a named pipe";
            return false;
        }
    } else if (errno == ENOENT) {
        if (::mkfifo(path_.c_str(), 0600) != 0) {
            error = "cannot make command pipe " + path_ + ": " + std::strerror(errno);
            return false;
        }
        made_ = true;
    } else {
        error = "command pipe " + path_ + ": " + std::strerror(errno);
        return false;
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) {
        error = "cannot open command pipe " + path_ + ": " + std::strerror(errno);
        return false;
    }
    if (::fstat(fd_, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        error = "command pipe " + path_ + " was replaced while it was opened";
        return false;
    }
    // Whoever may write to the pipe steers the instrument: only its owner, also when the pipe was
    // made beforehand with a wider mode.
    if ((info.st_mode & 07777) != 0600 && ::fchmod(fd_, 0600) != 0) {
        error = "cannot make command pipe " + path_ + " its owner's alone: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace qemra::sim
