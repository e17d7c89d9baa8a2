#include "platform/volume_room.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace velmorane::platform {

std::optional<std::uint64_t> volumeOfFolder(const FolderHandle& folder)
{
    struct stat info{};
    if (::fstat(folder.fd(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_dev);
}

std::optional<std::uint64_t> roomLeft(const FolderHandle& folder)
{
    struct statvfs volume{};
    if (::fstatvfs(folder.fd(), &volume) != 0 || volume.f_blocks == 0) return std::nullopt;
    return static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
}

}  // namespace velmorane::platform
