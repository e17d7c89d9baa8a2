#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace velmorane::testing {

// A session bus of the test's own, started by dbus-run-session and ended with the object; its
// address is what DBUS_SESSION_BUS_ADDRESS names. Throws std::runtime_error when it cannot start.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }
    // Why no bus can be started here, for GTEST_SKIP; empty when one can.
    static std::string whyNotAvailable();

private:
    pid_t session_ = -1;
    std::string address_;
};

struct ReceivedNotice {
    std::string title;
    std::string body;
    bool operator==(const ReceivedNotice&) const = default;
};

// A notification daemon on a bus: owns org.freedesktop.Notifications and keeps each notice it is
// sent. A silent one never answers, as a daemon that hangs.
class NotificationServer {
public:
    enum class Answers { Yes, Never };
    NotificationServer(const std::string& busAddress, Answers answers);
    ~NotificationServer();
    NotificationServer(const NotificationServer&) = delete;
    NotificationServer& operator=(const NotificationServer&) = delete;

    std::vector<ReceivedNotice> notices() const;

private:
    void serve(Answers answers);

    void* connection_ = nullptr;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<ReceivedNotice> notices_;
    std::thread thread_;
};

}  // namespace velmorane::testing
