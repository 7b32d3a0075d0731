#include "sim/SimRunner.h"

#include "sim/Controls.h"
#include "sim/PortIni.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace qemra::sim {

namespace {

// Readable form of line traffic: printable ASCII as it is, everything else escaped.
std::string Visible(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\x%02X", byte);
            text += escaped.data();
        } else {
            text += c;
        }
    }
    return text;
}

// Log lines go to standard error only while it can take them at once: a caller that never reads
// that pipe must not stall the answers on the line.
void Emit(const std::string& line)
{
    pollfd p{STDERR_FILENO, POLLOUT, 0};
    if (::poll(&p, 1, 0) != 1 || !(p.revents & POLLOUT))
        return;
    const std::string text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
}

class SignalWatch {
public:
    SignalWatch()
    {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGHUP);
        sigprocmask(SIG_BLOCK, &set_, &old_);
        fd_ = signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~SignalWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
        sigprocmask(SIG_SETMASK, &old_, nullptr);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    int Fd() const { return fd_; }

private:
    sigset_t set_{};
    sigset_t old_{};
    int fd_ = -1;
};

}  // namespace

SimRunner::SimRunner(ProtocolCore& core, SimOptions options) : core_(core), options_(std::move(options))
{
    if (!options_.link.empty())
        link_ = std::make_unique<DeviceLink>(options_.link);
    if (!options_.commandPipe.empty())
        pipe_ = std::make_unique<CommandPipe>(options_.commandPipe);
}

int SimRunner::Run()
{
    // A reader that went away must not end the program through SIGPIPE, and a run in the
    // background of a shell must not be stopped for touching the terminal: a refused read of
    // the commands then counts as their end.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGTTOU, SIG_IGN);
    SignalWatch signals;
    if (signals.Fd() < 0) {
        Say(std::string("signalfd: ") + std::strerror(errno));
        return 1;
    }
    std::string error;
    if (pipe_ && !pipe_->Open(error)) {
        Say(error);
        return 1;
    }
    if (!OpenLine(error)) {
        Say(error);
        return 1;
    }
    Announce();
    if (quit_)
        return status_;

    while (!quit_) {
        std::array<pollfd, 4> fds{};
        fds[0] = {signals.Fd(), POLLIN, 0};
        fds[1] = {line_.Master(), static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0)), 0};
        // Unused entries carry fd -1, which poll() skips.
        fds[2] = {commandsOpen_ ? STDIN_FILENO : -1, POLLIN, 0};
        fds[3] = {pipe_ ? pipe_->Fd() : -1, POLLIN, 0};
        const nfds_t count = fds.size();
        const int ready = ::poll(fds.data(), count, MillisecondsToNext());
        if (ready < 0 && errno != EINTR) {
            Say(std::string("poll: ") + std::strerror(errno));
            return 1;
        }
        if (ready > 0) {
            if (fds[0].revents & POLLIN) {
                signalfd_siginfo info{};
                if (::read(signals.Fd(), &info, sizeof info) > 0)
                    Say("signal " + std::to_string(info.ssi_signo) + ", ending");
                quit_ = true;
                break;
            }
            if (fds[1].revents & POLLOUT)
                writeBlocked_ = false;
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
                ReadRequests();
            if (fds[2].fd >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR)))
                ReadCommands();
            if (!quit_ && fds[3].fd >= 0 && (fds[3].revents & POLLIN))
                ReadPipeCommands();
        }
        if (!writeBlocked_)
            WriteDue();
    }
    if (link_)
        link_->Remove();
    return status_;
}

bool SimRunner::OpenLine(std::string& error) { return line_.Open(error); }

void SimRunner::Announce()
{
    // The path goes out last, so whoever reads it finds the link and the settings file ready.
    std::string port = line_.DevicePath();
    if (link_) {
        std::string error;
        if (!link_->PointTo(line_.DevicePath(), error)) {
            Say(error);
            quit_ = true;
            status_ = 1;
            return;
        }
        port = link_->Path();
    }
    if (!options_.portIni.empty() && !WritePortSetting(options_.portIni, port))
        Say("cannot write Port to " + options_.portIni);
    std::cout << line_.DevicePath() << std::endl;
}

void SimRunner::HangUp()
{
    // The new line is ready and the link names it before the old one goes, so a client that
    // reopens the link at once finds a working device.
    PseudoTerminal fresh;
    std::string error;
    if (!fresh.Open(error)) {
        Say(error);
        quit_ = true;
        status_ = 1;
        return;
    }
    PseudoTerminal old = std::move(line_);
    line_ = std::move(fresh);
    pending_.clear();
    writeBlocked_ = false;
    core_.NewLine();
    Announce();
    Say("hung up " + old.DevicePath() + ", now on " + line_.DevicePath());
    old.Close();
}

void SimRunner::ReadRequests()
{
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t length = ::read(line_.Master(), buffer.data(), buffer.size());
        if (length <= 0)
            return;  // EAGAIN when drained; EIO only while no device side is open
        const std::string_view bytes(buffer.data(), static_cast<std::size_t>(length));
        Trace("<-", bytes);
        for (const Answer& answer : core_.Feed(bytes))
            Queue(answer);
    }
}

void SimRunner::ReadCommands()
{
    std::array<char, 1024> buffer{};
    const ssize_t length = ::read(STDIN_FILENO, buffer.data(), buffer.size());
    if (length < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (length <= 0) {
        commandsOpen_ = false;  // no more commands; keep serving the line
        return;
    }
    RunCommands(commandLines_, std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

void SimRunner::ReadPipeCommands()
{
    std::array<char, 1024> buffer{};
    const ssize_t length = ::read(pipe_->Fd(), buffer.data(), buffer.size());
    if (length <= 0)
        return;  // EAGAIN: another reader was quicker, or nothing left
    RunCommands(pipeLines_, std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

void SimRunner::RunCommands(CommandLines& lines, std::string_view bytes)
{
    for (const CommandLines::Line& line : lines.Feed(bytes)) {
        if (line.tooLong) {
            Say("command line over " + std::to_string(CommandLines::kMaxLine) + " bytes, ignored");
            continue;
        }
        const CommandReply reply = RunCommand(core_, line.text);
        if (!reply.message.empty())
            Say(reply.message);
        if (reply.action == CommandReply::Action::Quit) {
            quit_ = true;
            return;
        }
        if (reply.action == CommandReply::Action::HangUp)
            HangUp();
    }
}

void SimRunner::Queue(const Answer& answer)
{
    // Answers leave in the order asked, even when the delay was shortened in between.
    Clock::time_point due = Clock::now() + std::chrono::milliseconds(answer.delayMs);
    if (!pending_.empty())
        due = std::max(due, pending_.back().due);
    if (answer.hangUp) {
        pending_.push_back({due, {}, true});
        return;
    }
    for (std::size_t i = 0; i < answer.pieces.size(); ++i) {
        if (i > 0)
            due += std::chrono::milliseconds(answer.gapMs);
        pending_.push_back({due, answer.pieces[i], false});
    }
}

void SimRunner::WriteDue()
{
    while (!pending_.empty() && pending_.front().due <= Clock::now()) {
        Pending& next = pending_.front();
        if (next.hangUp) {
            HangUp();
            return;
        }
        const ssize_t written = ::write(line_.Master(), next.bytes.data(), next.bytes.size());
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                writeBlocked_ = true;
                return;
            }
            Say(std::string("write: ") + std::strerror(errno));
            pending_.pop_front();
            continue;
        }
        Trace("->", std::string_view(next.bytes).substr(0, static_cast<std::size_t>(written)));
        if (static_cast<std::size_t>(written) < next.bytes.size()) {
            next.bytes.erase(0, static_cast<std::size_t>(written));
            writeBlocked_ = true;
            return;
        }
        pending_.pop_front();
    }
}

int SimRunner::MillisecondsToNext() const
{
    if (pending_.empty() || writeBlocked_)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pending_.front().due - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
}

// Replies quote what was typed, so nothing reaches the terminal unescaped.
void SimRunner::Say(const std::string& text) const { Emit(TerminalText(text)); }

void SimRunner::Trace(std::string_view direction, std::string_view bytes) const
{
    if (!options_.quiet)
        Emit(std::string(direction) + ' ' + Visible(bytes));
}

}  // namespace qemra::sim
