#pragma once

#include "platform/dialogs.h"
#include "platform/folder_lock.h"

#include <optional>
#include <string>

namespace velmorane::engine {

// What a run holds while it compares or executes, so that two runs never work on one folder at
// once: a shared lock on the source, an exclusive one on the destination.
struct RunLocks {
    std::optional<platform::FolderLock> source;
    std::optional<platform::FolderLock> dest;
};

// Both locks, or what the user is told about the folder another run is using.
struct LockedFolders {
    std::optional<RunLocks> locks;
    platform::Message refusal;
};

// Takes both locks, or none when another run holds a folder ("Le dossier ... est utilisé par une
// autre exécution"). A folder that cannot be opened is not locked: the run reports it when it reads it.
LockedFolders lockRunFolders(const std::string& source, const std::string& dest);

}  // namespace velmorane::engine
