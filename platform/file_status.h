#pragma once

#include "platform/entry_records.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace velmorane::platform {

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
