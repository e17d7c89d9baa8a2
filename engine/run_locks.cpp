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

}  // namespace

platform::Result<RunLocks, FolderInUse> lockRunFolders(const std::string& source, const std::string& dest)
{
    using Locked = platform::Result<RunLocks, FolderInUse>;
    RunLocks locks;
    if (!lockFolder(dest, platform::LockKind::Exclusive, locks.dest)) return Locked::failure({dest});
    // One folder as both source and destination is already held by the exclusive lock.
    if (!platform::isSameFolder(source, dest) && !lockFolder(source, platform::LockKind::Shared, locks.source)) {
        return Locked::failure({source});
    }
    return {std::move(locks), std::nullopt};
}

}  // namespace velmorane::engine
