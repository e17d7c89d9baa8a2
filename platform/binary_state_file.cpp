#include "platform/binary_state_file.h"

#include "platform/paths.h"
#include "platform/state_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmorane::platform {
namespace {

constexpr std::size_t kBufferSize = 1024 * 1024;

}  // namespace

Result<std::unique_ptr<BinaryStateWriter>> BinaryStateWriter::create(const std::string& path)
{
    using Created = Result<std::unique_ptr<BinaryStateWriter>>;
    if (auto error = prepareStateFile(path)) return Created::failure(*error);
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return Created::failure(systemError(errno));
    return {std::unique_ptr<BinaryStateWriter>(new BinaryStateWriter(path, temporary, fd)), std::nullopt};
}

BinaryStateWriter::BinaryStateWriter(std::string path, std::string temporary, int fd)
    : path_(std::move(path)), temporary_(std::move(temporary)), fd_(fd)
{
    buffer_.reserve(kBufferSize);
}

BinaryStateWriter::~BinaryStateWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void BinaryStateWriter::write(std::string_view bytes)
{
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferSize) flush();
}

void BinaryStateWriter::flush()
{
    std::size_t done = 0;
    while (!failure_ && done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) failure_ = systemError(errno);
        else done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

MaybeError BinaryStateWriter::commit()
{
    // No fsync: the readers of these files check them whole and ignore one cut short by a crash.
    flush();
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && !failure_) failure_ = systemError(errno);
    if (!failure_ && ::rename(temporary_.c_str(), path_.c_str()) != 0) failure_ = systemError(errno);
    if (failure_) ::unlink(temporary_.c_str());
    return failure_;
}

std::unique_ptr<BinaryStateReader> BinaryStateReader::open(const std::string& path)
{
    if (!trustedStateFile(path)) return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::unique_ptr<BinaryStateReader>(new BinaryStateReader(fd));
}

BinaryStateReader::~BinaryStateReader()
{
    ::close(fd_);
}

std::size_t BinaryStateReader::read(char* out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd_, out + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace velmorane::platform
