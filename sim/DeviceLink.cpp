#include "sim/DeviceLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qemra::sim {

namespace {

std::string ReadLink(const std::string& path)
{
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0)
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

DeviceLink::DeviceLink(std::string path) : path_(std::move(path)) {}

DeviceLink::~DeviceLink() { Remove(); }

bool DeviceLink::PointTo(const std::string& target, std::string& error)
{
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = path_ + " exists and is not a symlink; leaving it alone";
        return false;
    }
    const std::string temporary = path_ + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = "symlink " + temporary + ": " + std::strerror(errno);
        return false;
    }
    if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
        error = "rename to " + path_ + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    target_ = target;
    return true;
}

void DeviceLink::Remove()
{
    if (target_.empty())
        return;
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && ReadLink(path_) == target_)
        ::unlink(path_.c_str());
    target_.clear();
}

}  // namespace qemra::sim
