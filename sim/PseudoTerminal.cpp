#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace qemra::sim {

namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PseudoTerminal::~PseudoTerminal() { Close(); }

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_(std::exchange(other.master_, -1)), device_(std::exchange(other.device_, -1)),
      path_(std::move(other.path_))
{
}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept
{
    if (this != &other) {
        Close();
        master_ = std::exchange(other.master_, -1);
        device_ = std::exchange(other.device_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool PseudoTerminal::Open(std::string& error)
{
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = Reason("posix_openpt");
        return false;
    }
    char name[256] = {};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        error = Reason("preparing the terminal");
        Close();
        return false;
    }
    path_ = name;
    device_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device_ < 0) {
        error = Reason(name);
        Close();
        return false;
    }

    termios settings{};
    if (tcgetattr(device_, &settings) != 0) {
        error = Reason("tcgetattr");
        Close();
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    cfsetispeed(&settings, B38400);
    cfsetospeed(&settings, B38400);
    if (tcsetattr(device_, TCSANOW, &settings) != 0) {
        error = Reason("tcsetattr");
        Close();
        return false;
    }

    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Reason("fcntl");
        Close();
        return false;
    }
    return true;
}

void PseudoTerminal::Close()
{
    if (device_ >= 0)
        ::close(device_);
    if (master_ >= 0)
        ::close(master_);
    device_ = -1;
    master_ = -1;
    path_.clear();
}

}  // namespace qemra::sim
