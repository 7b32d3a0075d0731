#pragma once

#include <string>

namespace qemra::sim {

// A named pipe that takes the same commands as standard input while the program runs, so a shell
// can steer a simulator that runs in the background: `echo "wind 5" > PATH`. Made when missing
// (and removed again at the end); an existing pipe is reused. Either way only its owner may read
// or write it (mode 0600). Held open for reading and writing, so writers may come and go without
// the pipe ever reporting its end.
class CommandPipe {
public:
    explicit CommandPipe(std::string path);
    ~CommandPipe();
    CommandPipe(const CommandPipe&) = delete;
    CommandPipe& operator=(const CommandPipe&) = delete;

    bool Open(std::string& error);
    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool made_ = false;
};

}  // namespace qemra::sim
