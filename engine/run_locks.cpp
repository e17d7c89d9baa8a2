#include "engine/run_locks.h"

#include <cerrno>

namespace velmorane::engine {
namespace {

// False when another run holds the folder. A folder that cannot be opened is left unlocked.
bool lockFolder(const std::string& folder, platform::LockKind kind, std::optional<platform::FolderLock>& held)
{
    auto lock = platform::FolderLock::take(folder, kind);
    if (lock.ok()) held = std::move(lock.value);
    return lock.ok() || lock.error->number != EWOULDBLOCK;
}

platform::Message folderInUse(const std::string& folder)
{
    return platform::stopMessage("Le dossier " + folder + " est utilisé par une autre exécution", "Attention");
}

}  // namespace

LockedFolders lockRunFolders(const std::string& source, const std::string& dest)
{
    RunLocks locks;
    if (!lockFolder(dest, platform::LockKind::Exclusive, locks.dest)) return {std::nullopt, folderInUse(dest)};
    // One folder as both source and destination is already held by the exclusive lock.
    if (!platform::isSameFolder(source, dest) && !lockFolder(source, platform::LockKind::Shared, locks.source)) {
        return {std::nullopt, folderInUse(source)};
    }
    return {std::move(locks), {}};
}

}  // namespace velmorane::engine
