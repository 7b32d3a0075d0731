#pragma once

#include <string>

namespace qemra::sim {

// A symlink at a chosen path that names the current device, so settings can keep one stable
// port name across runs and hang-ups.
class DeviceLink {
public:
    explicit DeviceLink(std::string path);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    const std::string& Path() const { return path_; }

    // Makes the link name `target`, replacing an older symlink at once (never leaving the path
    // missing in between). Refuses to replace anything that is not a symlink.
    bool PointTo(const std::string& target, std::string& error);
    // Removes the link, but only while it still names what this object pointed it to.
    void Remove();

private:
    std::string path_;
    std::string target_;
};

}  // namespace qemra::sim
