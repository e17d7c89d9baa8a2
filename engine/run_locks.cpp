#include "engine/run_locks.h"

#include <cerrno>

namespace velmorane::engine {
namespace {

// Nullopt when the folder is in use; an empty lock when it cannot be opened.
std::optional<std::optional<platform::FolderLock>> lockFolder(const std::string& folder, platform::LockKind kind,
                                                              platform::Dialogs& dialogs)
{
    auto lock = platform::FolderLock::take(folder, kind);
    if (lock.ok()) return std::optional<platform::FolderLock>(std::move(lock.value));
    if (lock.error->number != EWOULDBLOCK) return std::optional<platform::FolderLock>();
    dialogs.show(platform::stopMessage("Le dossier " + folder + " est utilisé par une autre exécution", "Attention"));
    return std::nullopt;
}

}  // namespace

std::optional<RunLocks> lockRunFolders(const std::string& source, const std::string& dest, platform::Dialogs& dialogs)
{
    RunLocks locks;
    auto destLock = lockFolder(dest, platform::LockKind::Exclusive, dialogs);
    if (!destLock) return std::nullopt;
    locks.dest = std::move(*destLock);
    // One folder as both source and destination is already held by the exclusive lock.
    if (platform::isSameFolder(source, dest)) return locks;
    auto sourceLock = lockFolder(source, platform::LockKind::Shared, dialogs);
    if (!sourceLock) return std::nullopt;
    locks.source = std::move(*sourceLock);
    return locks;
}

}  // namespace velmorane::engine
