#pragma once

// A stand-in for brokers the tests cannot start: one that speaks MQTT 3.1.1 only, one that ends every
// MQTT 5 session soon after accepting it, saying another client took it over, and one that never
// answers a CONNECT. It serves one connection at a time on a free loopback port, on a thread of its own.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class ScriptedBroker {
public:
    enum class Kind { Only311, TakesSessionsOver, NeverAnswers };

    explicit ScriptedBroker(Kind kind) : kind_(kind)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            ::listen(listener_, 4) == 0)
            port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedBroker()
    {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    ScriptedBroker(const ScriptedBroker&) = delete;
    ScriptedBroker& operator=(const ScriptedBroker&) = delete;

    int Port() const { return port_; }
    // The CONNECT packets received with this protocol level (4: 3.1.1, 5: MQTT 5).
    int Connects(int level) const
    {
        const std::lock_guard lock(mutex_);
        int count = 0;
        for (const int seen : levels_)
            count += seen == level ? 1 : 0;
        return count;
    }

private:
    // Waits for readable bytes while the broker runs; false once stopped or after `ms`.
    bool Readable(int fd, int ms) const
    {
        for (int waited = 0; waited < ms && !stop_; waited += 20) {
            pollfd one{fd, POLLIN, 0};
            if (::poll(&one, 1, 20) > 0)
                return true;
        }
        return false;
    }
    bool ReadExactly(int fd, std::uint8_t* into, std::size_t size) const
    {
        for (std::size_t got = 0; got < size;) {
            if (!Readable(fd, 5000))
                return false;
            const ssize_t n = ::read(fd, into + got, size - got);
            if (n <= 0)
                return false;
            got += std::size_t(n);
        }
        return true;
    }
    // One packet: its first byte and its body; false when the connection ended.
    bool ReadPacket(int fd, std::uint8_t& type, std::vector<std::uint8_t>& body) const
    {
        if (!ReadExactly(fd, &type, 1))
            return false;
        std::size_t length = 0;
        for (int shift = 0; shift < 28; shift += 7) {
            std::uint8_t byte = 0;
            if (!ReadExactly(fd, &byte, 1))
                return false;
            length |= std::size_t(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        body.resize(length);
        return length == 0 || ReadExactly(fd, body.data(), length);
    }
    static void Send(int fd, std::vector<std::uint8_t> bytes) { (void)!::write(fd, bytes.data(), bytes.size()); }

    void Serve()
    {
        while (!stop_) {
            if (!Readable(listener_, 100))
                continue;
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            std::uint8_t type = 0;
            std::vector<std::uint8_t> body;
            if (ReadPacket(fd, type, body) && (type & 0xf0) == 0x10 && body.size() > 6) {
                const int level = body[6];
                {
                    const std::lock_guard lock(mutex_);
                    levels_.push_back(level);
                }
                if (kind_ == Kind::NeverAnswers)
                    Readable(fd, 60000);  // holds the connection open, silent, until the peer goes
                else if (kind_ == Kind::TakesSessionsOver)
                    TakeOver(fd);
                else if (level == 5)
                    Send(fd, {0x20, 0x02, 0x00, 0x01});  // a 3.1.1 CONNACK: unacceptable protocol version
                else
                    Serve311(fd);
            }
            ::close(fd);
        }
    }

    void TakeOver(int fd)
    {
        Send(fd, {0x20, 0x03, 0x00, 0x00, 0x00});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Send(fd, {0xe0, 0x02, 0x8e, 0x00});  // DISCONNECT, session taken over
    }

    void Serve311(int fd)
    {
        Send(fd, {0x20, 0x02, 0x00, 0x00});
        std::uint8_t type = 0;
        std::vector<std::uint8_t> body;
        while (!stop_ && ReadPacket(fd, type, body)) {
            if ((type & 0xf0) == 0x30 && ((type >> 1) & 3) == 1 && body.size() >= 2) {
                const std::size_t topic = std::size_t(body[0]) << 8 | body[1];
                if (body.size() >= topic + 4)
                    Send(fd, {0x40, 0x02, body[topic + 2], body[topic + 3]});
            } else if (type == 0xc0) {
                Send(fd, {0xd0, 0x00});
            } else if (type == 0xe0) {
                return;
            }
        }
    }

    const Kind kind_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<int> levels_;
    std::thread thread_;
};
