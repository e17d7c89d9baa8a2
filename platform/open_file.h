#pragma once

#include <unistd.h>

namespace velmorane::platform {

// A file descriptor closed when it goes; -1 when the open failed.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace velmorane::platform
