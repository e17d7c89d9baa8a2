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

// Takes both locks, or reports the folder that another run is using ("Le dossier ... est utilisé
// par une autre exécution") and takes none. A folder that cannot be opened is not locked: the run
// reports it when it reads it.
std::optional<RunLocks> lockRunFolders(const std::string& source, const std::string& dest, platform::Dialogs& dialogs);

}  // namespace velmorane::engine
