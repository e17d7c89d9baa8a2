#include "platform/file_status.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace velmorane::platform {
namespace {

constexpr unsigned long kXfsMagic = 0x58465342;
constexpr unsigned long kF2fsMagic = 0xF2F52010;

timespec timeOf(const struct statx_timestamp& time)
{
    return {static_cast<time_t>(time.tv_sec), static_cast<long>(time.tv_nsec)};
}

struct stat statOf(const struct statx& x)
{
    struct stat info{};
    info.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
    info.st_ino = x.stx_ino;
    info.st_mode = x.stx_mode;
    info.st_nlink = x.stx_nlink;
    info.st_uid = x.stx_uid;
    info.st_gid = x.stx_gid;
    info.st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
    info.st_size = static_cast<off_t>(x.stx_size);
    info.st_blksize = static_cast<blksize_t>(x.stx_blksize);
    info.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
    info.st_atim = timeOf(x.stx_atime);
    info.st_mtim = timeOf(x.stx_mtime);
    info.st_ctim = timeOf(x.stx_ctime);
    return info;
}

}  // namespace

std::int64_t nanosecondsOf(const struct timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

Result<FileStatus> statusAt(const FolderHandle& folder, const std::string& name)
{
    struct statx x{};
    if (::statx(folder.fd(), name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
                &x) != 0) {
        return Result<FileStatus>::failure(systemError(errno));
    }
    FileStatus status{statOf(x), {}};
    status.identity.inode = x.stx_ino;
    status.identity.changed = nanosecondsOf(status.info.st_ctim);
    if (x.stx_mask & STATX_BTIME) status.identity.born = nanosecondsOf(timeOf(x.stx_btime));
    return {status, std::nullopt};
}

bool keepsFileIdentity(const std::string& folder)
{
    struct statfs info{};
    if (::statfs(folder.c_str(), &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case kXfsMagic:
    case kF2fsMagic: return true;
    default: return false;
    }
}

}  // namespace velmorane::platform
