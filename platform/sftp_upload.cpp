#include "platform/sftp_upload.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// OpenSSH's server reads writes of up to 256 KiB; 32 KiB blocks keep each answer prompt, and the
// blocks and files in flight together keep the channel's window full.
constexpr std::size_t kBlockSize = 32 * 1024;
constexpr std::size_t kBlocksInFlight = 16;
constexpr std::size_t kFilesInFlight = 16;

SftpError localFailure(int number)
{
    return SftpError{SftpFailure::LocalFile, SftpStatus::Failure, systemError(number).reason};
}

// One file's way to the server: open, blocks, fsync, close, rename; each step starts when the
// answer to the one before arrives, and `finished` is called once at the end.
class FileUpload : public std::enable_shared_from_this<FileUpload> {
public:
    FileUpload(SftpSession& session, const SftpUpload& upload, std::function<void(SftpResult<bool>)> finished)
        : session_(session), upload_(upload), finished_(std::move(finished))
    {
    }
    ~FileUpload()
    {
        if (source_ >= 0) ::close(source_);
    }

    void start()
    {
        source_ = ::open(upload_.localPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (source_ < 0) return finish(localFailure(errno));
        SftpAttributes creation;
        creation.permissions = 0600;
        session_.submit(fileOpeningRequest(upload_.remotePath, kSftpOpenWrite | kSftpOpenCreate | kSftpOpenExclusive, creation),
                        [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
                            if (!answer.ok()) return self->finish(*answer.error);
                            self->handle_ = answer.value.bytes;
                            self->sendBlocks();
                        });
    }

private:
    void sendBlocks()
    {
        while (!failure_ && !endReached_ && inFlight_ < kBlocksInFlight) {
            std::string block(kBlockSize, '\0');
            const ssize_t count = ::read(source_, block.data(), block.size());
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) failure_ = localFailure(errno);
            if (count <= 0) {
                endReached_ = true;
                break;
            }
            block.resize(static_cast<std::size_t>(count));
            ++inFlight_;
            session_.submit(fileWritingRequest(handle_, offset_, block), [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
                --self->inFlight_;
                if (!answer.ok() && !self->failure_) self->failure_ = answer.error;
                self->sendBlocks();
            });
            offset_ += static_cast<std::uint64_t>(count);
        }
        if ((endReached_ || failure_) && inFlight_ == 0 && !closing_) flush();
    }

    void flush()
    {
        closing_ = true;
        if (failure_ || !session_.offers(kFsync)) return close();
        session_.submit(extendedRequest(kFsync, {handle_}), [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
            if (!answer.ok() && !self->failure_) self->failure_ = answer.error;
            self->close();
        });
    }

    void close()
    {
        session_.submit(closingRequest(handle_), [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
            if (!answer.ok() && !self->failure_) self->failure_ = answer.error;
            if (self->failure_) return self->finish(*self->failure_);
            self->rename();
        });
    }

    void rename()
    {
        if (upload_.finalPath.empty()) return finish(std::nullopt);
        session_.submit(renameRequest(upload_.remotePath, upload_.finalPath), [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
            self->finish(answer.error);
        });
    }

    // A file that failed once it existed on the server is removed there.
    void finish(std::optional<SftpError> failure)
    {
        if (failure && !handle_.empty() && session_.connected()) {
            session_.submit(fileRemovalRequest(upload_.remotePath), [](const SftpResult<SftpAnswer>&) {});
        }
        finished_(failure ? SftpResult<bool>::failure(*failure) : SftpResult<bool>{true, std::nullopt});
    }

    SftpSession& session_;
    const SftpUpload& upload_;
    std::function<void(SftpResult<bool>)> finished_;
    int source_ = -1;
    std::string handle_;
    std::uint64_t offset_ = 0;
    std::size_t inFlight_ = 0;
    bool endReached_ = false;
    bool closing_ = false;
    std::optional<SftpError> failure_;
};

}  // namespace

std::vector<SftpResult<bool>> uploadFiles(SftpSession& session, const std::vector<SftpUpload>& uploads)
{
    std::vector<SftpResult<bool>> results(uploads.size());
    std::size_t next = 0;
    std::size_t running = 0;
    std::function<void()> startWaiting = [&] {
        while (running < kFilesInFlight && next < uploads.size()) {
            const std::size_t index = next++;
            ++running;
            std::make_shared<FileUpload>(session, uploads[index], [&, index](SftpResult<bool> result) {
                results[index] = std::move(result);
                --running;
                startWaiting();
            })->start();
        }
    };
    startWaiting();
    session.runUntilIdle();
    return results;
}

SftpResult<bool> uploadFile(SftpSession& session, const std::string& localPath, const std::string& remotePath)
{
    return uploadFiles(session, {SftpUpload{localPath, remotePath, {}}}).front();
}

}  // namespace velmorane::platform
