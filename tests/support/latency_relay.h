#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmorane::testing {

// A TCP relay on a free port of 127.0.0.1 that passes every chunk on to a port of the same
// machine after holding it for `delay` each way, as a distant link does: chunks stay in flight
// together, so a client that keeps many requests pending pays the delay once, not once each.
class LatencyRelay {
public:
    LatencyRelay(unsigned targetPort, std::chrono::milliseconds delay);
    ~LatencyRelay();
    LatencyRelay(const LatencyRelay&) = delete;
    LatencyRelay& operator=(const LatencyRelay&) = delete;

    unsigned port() const { return port_; }

private:
    struct Direction;
    void acceptConnections();
    void relay(int from, int to);

    unsigned targetPort_;
    std::chrono::milliseconds delay_;
    int listener_ = -1;
    unsigned port_ = 0;
    std::mutex mutex_;
    bool stopping_ = false;
    std::vector<int> sockets_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

}  // namespace velmorane::testing
