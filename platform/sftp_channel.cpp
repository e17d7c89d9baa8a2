#include "platform/sftp_channel.h"

#include <cerrno>
#include <cstdint>
#include <future>
#include <sys/eventfd.h>
#include <unistd.h>

namespace velmorane::platform {

SftpChannel::SftpChannel(SshConnection connection)
    : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    thread_ = std::thread([this, connection = std::move(connection)] { serve(connection); });
}

SftpChannel::~SftpChannel()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
    thread_.join();
    ::close(wakeUp_);
}

const std::optional<SftpError>& SftpChannel::connectionFailure()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !connecting_; });
    return connectionFailure_;
}

bool SftpChannel::offers(const std::string& extension)
{
    if (connectionFailure()) return false;
    // The extensions are set before the connection is said to be made, and never change after.
    return session_->offers(extension);
}

void SftpChannel::submit(SftpRequest request, SftpCompletion completion)
{
    if (std::this_thread::get_id() == serving_.load()) {
        session_->submit(std::move(request), std::move(completion));
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queued_.emplace_back(std::move(request), std::move(completion));
    }
    changed_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
}

SftpResult<SftpAnswer> SftpChannel::call(SftpRequest request)
{
    std::promise<SftpResult<SftpAnswer>> promise;
    auto answer = promise.get_future();
    submit(std::move(request), [&promise](SftpResult<SftpAnswer> result) { promise.set_value(std::move(result)); });
    return answer.get();
}

std::deque<std::pair<SftpRequest, SftpCompletion>> SftpChannel::takeQueued()
{
    std::deque<std::pair<SftpRequest, SftpCompletion>> taken;
    std::lock_guard lock(mutex_);
    taken.swap(queued_);
    return taken;
}

void SftpChannel::failQueued(const SftpError& failure)
{
    for (auto& [request, completion] : takeQueued()) completion(SftpResult<SftpAnswer>::failure(failure));
}

void SftpChannel::serve(SshConnection connection)
{
    serving_.store(std::this_thread::get_id());
    auto opened = SftpSession::open(connection);
    {
        std::lock_guard lock(mutex_);
        if (opened.ok()) session_ = std::move(opened.value);
        else connectionFailure_ = opened.error;
        connecting_ = false;
    }
    changed_.notify_all();
    if (!session_) serving_.store(std::thread::id());
    if (session_) session_->wakeOn(wakeUp_);
    for (;;) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(wakeUp_, &count, sizeof count);
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
        }
        if (!session_) {
            failQueued(*connectionFailure_);
        } else {
            for (auto& [request, completion] : takeQueued()) session_->submit(std::move(request), std::move(completion));
        }
        if (session_ && session_->connected()) {
            session_->run();
            continue;
        }
        // Without a connection every request fails at once: wait for the next one.
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
    }
    session_.reset();
    serving_.store(std::thread::id());
    failQueued(SftpError{SftpFailure::ConnectionLost, SftpStatus::ConnectionLost, "la connexion SSH est fermée"});
}

}  // namespace velmorane::platform
