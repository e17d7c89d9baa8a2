#include "platform/sftp_download.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr std::uint32_t kBlockSize = 32 * 1024;
constexpr std::size_t kBlocksInFlight = 32;

SftpError localFailure(int number)
{
    return SftpError{SftpFailure::LocalFile, SftpStatus::Failure, systemError(number).reason};
}

class Download {
public:
    Download(SftpSession& session, std::string handle, int target) : session_(session), handle_(std::move(handle)), target_(target) {}

    std::optional<SftpError> run()
    {
        while (!failure_ && (!endReached_ || inFlight_ > 0)) {
            while (!failure_ && !endReached_ && inFlight_ < kBlocksInFlight) {
                askBlock(nextOffset_, kBlockSize);
                nextOffset_ += kBlockSize;
            }
            if (inFlight_ > 0 && !session_.run()) break;
        }
        session_.runUntilIdle();
        return failure_;
    }

private:
    void askBlock(std::uint64_t offset, std::uint32_t length)
    {
        ++inFlight_;
        session_.submit(fileReadingRequest(handle_, offset, length), [this, offset, length](const SftpResult<SftpAnswer>& answer) {
            --inFlight_;
            if (!answer.ok()) return fail(*answer.error);
            if (answer.value.type == SftpPacketType::Status) {
                endReached_ = true;
                return;
            }
            write(offset, answer.value.bytes);
            const auto received = static_cast<std::uint32_t>(answer.value.bytes.size());
            if (received < length && received > 0) askBlock(offset + received, length - received);
        });
    }

    void write(std::uint64_t offset, const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::pwrite(target_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) return fail(localFailure(count < 0 ? errno : ENOSPC));
            done += static_cast<std::size_t>(count);
        }
    }

    void fail(SftpError error)
    {
        if (!failure_) failure_ = std::move(error);
    }

    SftpSession& session_;
    std::string handle_;
    int target_;
    std::uint64_t nextOffset_ = 0;
    std::size_t inFlight_ = 0;
    bool endReached_ = false;
    std::optional<SftpError> failure_;
};

}  // namespace

SftpResult<bool> downloadFile(SftpSession& session, const std::string& remotePath, const std::string& localPath)
{
    const SftpResult<std::string> handle = session.openFile(remotePath, kSftpOpenRead);
    if (!handle.ok()) return SftpResult<bool>::failure(*handle.error);
    const int target = ::open(localPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (target < 0) {
        const int error = errno;
        (void)session.close(handle.value);
        return SftpResult<bool>::failure(localFailure(error));
    }
    std::optional<SftpError> failure = Download(session, handle.value, target).run();
    if (!failure && ::fsync(target) != 0) failure = localFailure(errno);
    if (::close(target) != 0 && !failure) failure = localFailure(errno);
    const SftpResult<bool> closed = session.close(handle.value);
    if (!failure && !closed.ok()) failure = closed.error;
    if (!failure) return {true, std::nullopt};
    ::unlink(localPath.c_str());
    return SftpResult<bool>::failure(*failure);
}

}  // namespace velmorane::platform
