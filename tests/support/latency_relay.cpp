#include "tests/support/latency_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(unsigned port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

void withoutNagle(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

// The chunks read from one side, each with the time it may leave for the other.
struct LatencyRelay::Direction {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<Clock::time_point, std::string>> chunks;
    bool ended = false;
};

LatencyRelay::LatencyRelay(unsigned targetPort, std::chrono::milliseconds delay) : targetPort_(targetPort), delay_(delay)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptConnections(); });
}

LatencyRelay::~LatencyRelay()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const int socket : sockets_) ::shutdown(socket, SHUT_RDWR);
    }
    ::shutdown(listener_, SHUT_RDWR);
    if (acceptor_.joinable()) acceptor_.join();
    for (std::thread& thread : threads_) thread.join();
    for (const int socket : sockets_) ::close(socket);
    ::close(listener_);
}

void LatencyRelay::acceptConnections()
{
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in target = loopback(targetPort_);
        std::lock_guard lock(mutex_);
        sockets_.insert(sockets_.end(), {client, server});
        if (stopping_ || ::connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
            ::shutdown(client, SHUT_RDWR);
            continue;
        }
        withoutNagle(client);
        withoutNagle(server);
        threads_.emplace_back([this, client, server] { relay(client, server); });
        threads_.emplace_back([this, client, server] { relay(server, client); });
    }
}

void LatencyRelay::relay(int from, int to)
{
    auto direction = std::make_shared<Direction>();
    std::thread sender([direction, to] {
        std::unique_lock lock(direction->mutex);
        for (;;) {
            direction->changed.wait(lock, [&] { return direction->ended || !direction->chunks.empty(); });
            if (direction->chunks.empty()) break;
            auto [due, chunk] = std::move(direction->chunks.front());
            direction->chunks.pop_front();
            lock.unlock();
            std::this_thread::sleep_until(due);
            const bool sent = ::send(to, chunk.data(), chunk.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(chunk.size());
            lock.lock();
            if (!sent) break;
        }
        ::shutdown(to, SHUT_WR);
    });
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::recv(from, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        std::lock_guard lock(direction->mutex);
        direction->chunks.emplace_back(Clock::now() + delay_, std::string(buffer, static_cast<std::size_t>(count)));
        direction->changed.notify_one();
    }
    {
        std::lock_guard lock(direction->mutex);
        direction->ended = true;
        direction->changed.notify_one();
    }
    sender.join();
}

}  // namespace velmorane::testing
