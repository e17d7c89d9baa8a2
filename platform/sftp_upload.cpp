#include "platform/sftp_upload.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// OpenSSH's server reads writes of up to 256 KiB; 32 KiB blocks keep each answer prompt and
// the writes in flight fill the channel's window.
constexpr std::size_t kBlockSize = 32 * 1024;
constexpr std::size_t kBlocksInFlight = 32;

SftpError localFailure(int number)
{
    return SftpError{SftpFailure::LocalFile, SftpStatus::Failure, systemError(number).reason};
}

class Upload {
public:
    Upload(SftpSession& session, int source, std::string handle) : session_(session), source_(source), handle_(std::move(handle)) {}

    SftpResult<bool> run()
    {
        while (!failure_ && (!endReached_ || inFlight_ > 0)) {
            sendBlocks();
            if (inFlight_ > 0 && !session_.run()) break;
        }
        session_.runUntilIdle();
        if (!failure_ && session_.offers(kFsync)) {
            if (const SftpResult<bool> flushed = session_.flushToDisk(handle_); !flushed.ok()) failure_ = flushed.error;
        }
        const SftpResult<bool> closed = session_.close(handle_);
        if (!failure_ && !closed.ok()) failure_ = closed.error;
        if (failure_) return SftpResult<bool>::failure(*failure_);
        return {true, std::nullopt};
    }

private:
    void sendBlocks()
    {
        while (!failure_ && !endReached_ && inFlight_ < kBlocksInFlight) {
            std::string block(kBlockSize, '\0');
            const ssize_t count = ::read(source_, block.data(), block.size());
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) {
                failure_ = localFailure(errno);
                return;
            }
            if (count == 0) {
                endReached_ = true;
                return;
            }
            block.resize(static_cast<std::size_t>(count));
            ++inFlight_;
            session_.submit(fileWritingRequest(handle_, offset_, block), [this](const SftpResult<SftpAnswer>& answer) {
                --inFlight_;
                if (!answer.ok() && !failure_) failure_ = answer.error;
            });
            offset_ += static_cast<std::uint64_t>(count);
        }
    }

    SftpSession& session_;
    int source_;
    std::string handle_;
    std::uint64_t offset_ = 0;
    std::size_t inFlight_ = 0;
    bool endReached_ = false;
    std::optional<SftpError> failure_;
};

}  // namespace

SftpResult<bool> uploadFile(SftpSession& session, const std::string& localPath, const std::string& remotePath)
{
    const int source = ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return SftpResult<bool>::failure(localFailure(errno));
    SftpAttributes creation;
    creation.permissions = 0600;
    const SftpResult<std::string> handle =
        session.openFile(remotePath, kSftpOpenWrite | kSftpOpenCreate | kSftpOpenExclusive, creation);
    if (!handle.ok()) {
        ::close(source);
        return SftpResult<bool>::failure(*handle.error);
    }
    SftpResult<bool> written = Upload(session, source, handle.value).run();
    ::close(source);
    if (!written.ok() && session.connected()) (void)session.removeFile(remotePath);
    return written;
}

}  // namespace velmorane::platform
