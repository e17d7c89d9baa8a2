#include "platform/folder_handle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

Result<FolderHandle> opened(int fd)
{
    if (fd < 0) return Result<FolderHandle>::failure(systemError(errno));
    return {FolderHandle(fd), std::nullopt};
}

}  // namespace

FolderHandle::~FolderHandle()
{
    if (fd_ >= 0) ::close(fd_);
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept : fd_(other.fd_)
{
    other.fd_ = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Result<FolderHandle> FolderHandle::openStart(const std::string& path)
{
    return opened(::open(path.c_str(), kFolderFlags));
}

Result<FolderHandle> FolderHandle::openChild(std::string_view name) const
{
    if (!isPlainName(name)) return Result<FolderHandle>::failure(systemError(EINVAL));
    return opened(::openat(fd_, std::string(name).c_str(), kFolderFlags | O_NOFOLLOW));
}

Result<FolderHandle> FolderHandle::openBelow(std::string_view relative) const
{
    // Opened anew rather than duplicated, so that reading it never moves this handle's position.
    Result<FolderHandle> current = opened(::openat(fd_, ".", kFolderFlags));
    while (current.ok() && !relative.empty()) {
        const auto slash = relative.find('/');
        const std::string_view name = relative.substr(0, slash);
        relative = slash == std::string_view::npos ? std::string_view{} : relative.substr(slash + 1);
        current = current.value.openChild(name);
    }
    return current;
}

bool isPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace velmorane::platform
