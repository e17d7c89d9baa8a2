#include "engine/run_locks.h"

#include <cerrno>

namespace velmorane::engine {
namespace {

// False when another run holds the folder, which is reported. A folder that cannot be opened is
// left unlocked.
bool lockFolder(const std::string& folder, platform::LockKind kind, std::optional<platform::FolderLock>& held,
                platform::Dialogs& dialogs)
{
    auto lock = platform::FolderLock::take(folder, kind);
    if (lock.ok()) {
        held = std::move(lock.value);
        return true;
    }
    if (lock.error->number != EWOULDBLOCK) return true;
    dialogs.show(platform::stopMessage("Le dossier " + folder + " est utilisé par une autre exécution", "Attention"));
    return false;
}

}  // namespace

std::optional<RunLocks> lockRunFolders(const std::string& source, const std::string& dest, platform::Dialogs& dialogs)
{
    RunLocks locks;
    if (!lockFolder(dest, platform::LockKind::Exclusive, locks.dest, dialogs)) return std::nullopt;
    // One folder as both source and destination is already held by the exclusive lock.
    if (platform::isSameFolder(source, dest)) return locks;
    if (!lockFolder(source, platform::LockKind::Shared, locks.source, dialogs)) return std::nullopt;
    return locks;
}

}  // namespace velmorane::engine
