#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace velmorane::platform {

// What tells one file from another where the volume keeps it stable: an inode reused by a new
// file has another birth time. Times in nanoseconds since the epoch; `born` is 0 where unknown.
struct FileIdentity {
    std::uint64_t inode = 0;
    std::int64_t born = 0;
    std::int64_t changed = 0;  // moves with any write, rename or attribute change
};

// An entry's own status (a link is not followed), with its birth time where the volume keeps one.
struct FileStatus {
    struct stat info{};
    FileIdentity identity;
};

Result<FileStatus> statusAt(const FolderHandle& folder, const std::string& name);

// A time of the system as nanoseconds since the epoch.
std::int64_t nanosecondsOf(const struct timespec& time);

// Whether the volume holding a folder keeps inodes and birth times stable from one mount to the
// next, so that a file is known again by them: disk file systems of Linux and memory ones, not
// FAT, exFAT, NTFS, network or user-space file systems.
bool keepsFileIdentity(const std::string& folder);

}  // namespace velmorane::platform
