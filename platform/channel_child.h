#pragma once

#include "platform/system_error.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace velmorane::platform {

// A program of the system started with one socket as both its standard input and output, and a
// pipe as its standard error. It runs in a session of its own, away from any terminal, so that it
// can never stop to ask a question there. Writes to it never raise SIGPIPE.
class ChannelChild {
public:
    [[nodiscard]] static Result<ChannelChild> start(const std::vector<std::string>& arguments);
    ChannelChild() = default;
    ChannelChild(ChannelChild&& other) noexcept;
    ChannelChild& operator=(ChannelChild&& other) noexcept;
    ChannelChild(const ChannelChild&) = delete;
    ChannelChild& operator=(const ChannelChild&) = delete;
    // Closes both ends, lets the program end by itself for a moment, then kills it; always reaps it.
    ~ChannelChild();

    int channel() const { return channel_; }  // non-blocking, both directions
    int errors() const { return errors_; }    // non-blocking, standard error
    void closeErrors();

private:
    void finish();

    pid_t child_ = -1;
    int channel_ = -1;
    int errors_ = -1;
};

}  // namespace velmorane::platform
