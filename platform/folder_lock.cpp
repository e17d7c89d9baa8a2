#include "platform/folder_lock.h"

#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>

namespace velmorane::platform {

Result<FolderLock> FolderLock::take(const std::string& folder, LockKind kind)
{
    auto opened = FolderHandle::openStart(folder);
    if (!opened.ok()) return Result<FolderLock>::failure(*opened.error);
    const int operation = (kind == LockKind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    while (::flock(opened.value.fd(), operation) != 0) {
        if (errno != EINTR) return Result<FolderLock>::failure(systemError(errno));
    }
    FolderLock lock;
    lock.folder_ = std::move(opened.value);
    return {std::move(lock), std::nullopt};
}

bool isSameFolder(const std::string& a, const std::string& b)
{
    struct stat first{};
    struct stat second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

}  // namespace velmorane::platform
