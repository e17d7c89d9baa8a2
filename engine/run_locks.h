#pragma once

#include "platform/folder_lock.h"
#include "platform/system_error.h"

#include <optional>
#include <string>

namespace velmorane::engine {

// What a run holds while it compares or executes, so that two runs never work on one folder at
// once: a shared lock on the source, an exclusive one on the destination.
struct RunLocks {
    std::optional<platform::FolderLock> source;
    std::optional<platform::FolderLock> dest;
};

// The start folder another run is using.
struct FolderInUse {
    std::string folder;
};

// Takes both locks, or none when another run holds a folder. A folder that cannot be opened is not
// locked: the run reports it when it reads it.
[[nodiscard]] platform::Result<RunLocks, FolderInUse> lockRunFolders(const std::string& source, const std::string& dest);

}  // namespace velmorane::engine
