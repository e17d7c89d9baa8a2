#pragma once

#include "platform/sftp_session.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace velmorane::platform {

// One SFTP session driven by a thread of its own, so that requests may come from any thread and
// stay in flight together. The thread connects first; a request made meanwhile waits for it.
// Completions run on that thread: they must not wait for another request's answer.
class SftpChannel {
public:
    explicit SftpChannel(SshConnection connection);
    // Ends the connection and joins the thread.
    ~SftpChannel();
    SftpChannel(const SftpChannel&) = delete;
    SftpChannel& operator=(const SftpChannel&) = delete;

    // Waits for the connection: nothing once it is made, or why it could not be.
    const std::optional<SftpError>& connectionFailure();
    // Whether the server names an extension; false when the connection failed.
    bool offers(const std::string& extension);

    void submit(SftpRequest request, SftpCompletion completion);
    // Submits and waits for the answer: never from a completion.
    [[nodiscard]] SftpResult<SftpAnswer> call(SftpRequest request);

private:
    void serve(SshConnection connection);
    void failQueued(const SftpError& failure);
    std::deque<std::pair<SftpRequest, SftpCompletion>> takeQueued();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool connecting_ = true;
    bool stopping_ = false;
    std::optional<SftpError> connectionFailure_;
    std::deque<std::pair<SftpRequest, SftpCompletion>> queued_;
    int wakeUp_ = -1;
    std::atomic<std::thread::id> serving_;
    // Touched by the thread alone once connected.
    std::unique_ptr<SftpSession> session_;
    std::thread thread_;
};

}  // namespace velmorane::platform
