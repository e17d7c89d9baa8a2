#include "platform/local_volume.h"

#include "platform/cross_volume.h"
#include "platform/entry_move.h"
#include "platform/file_attributes.h"
#include "platform/file_operations.h"
#include "platform/file_status.h"
#include "platform/foreign_source.h"
#include "platform/paths.h"
#include "platform/same_bytes.h"
#include "platform/trash.h"
#include "platform/volume_room.h"
#include "platform/volumes.h"

#include <cerrno>
#include <sys/stat.h>
#include <utility>

// What an execution asks of a local volume: each request is one of the platform's operations on
// open folders, which keep content, metadata and the kernel's fast paths (copy_file_range, reflinks).
namespace velmorane::platform {
namespace {

// A source of another kind (a server's) is read through its own requests, on the caller's thread:
// those requests are answered on threads of that volume.
bool isLocal(const VolumeAccess& volume)
{
    return dynamic_cast<const LocalVolume*>(&volume) != nullptr;
}

const FolderHandle& handleOf(const FolderRef& folder)
{
    return localFolder(folder).handle();
}

Result<EntryStatus> statusOf(const FolderRef& folder, const std::string& name)
{
    const auto status = statusAt(handleOf(folder), name);
    if (!status.ok()) {
        if (status.error->number == ENOENT) return {EntryStatus{}, std::nullopt};
        return Result<EntryStatus>::failure(*status.error);
    }
    const struct stat& info = status.value.info;
    const EntryKind kind = S_ISREG(info.st_mode)   ? EntryKind::File
                           : S_ISLNK(info.st_mode) ? EntryKind::Link
                           : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                                   : EntryKind::Other;
    return {EntryStatus{kind, info.st_size, nanosecondsOf(info.st_mtim), status.value.identity}, std::nullopt};
}

ProvenMoveOutcome moveProvenEntry(const FolderRef& from, const std::string& fromName, const FolderRef& old,
                                  const std::string& oldName, const FolderRef& to, const std::string& toName,
                                  const SameTime& sameTime, const EntryFilter& leavesOut)
{
    const auto fixes = sameLayout(handleOf(from), fromName, handleOf(old), oldName, sameTime, leavesOut);
    if (!fixes) return {};
    if (moveEntry(handleOf(old), oldName, handleOf(to), toName, plainRenameKeepsContent(old, oldName))) return {};
    return {true, keepAttributesOf(handleOf(from), fromName, handleOf(to), toName, *fixes)};
}

}  // namespace

void LocalVolume::openBelow(FolderRef folder, std::string relativePath, Completion<FolderRef> done)
{
    pool_.submit([folder = std::move(folder), path = std::move(relativePath), done = std::move(done)] {
        if (path.empty()) return done({folder, std::nullopt});
        done(openedFolder(handleOf(folder).openBelow(path), withTrailingSeparator(folder->path() + path)));
    });
}

void LocalVolume::entryStatus(FolderRef folder, std::string name, Completion<EntryStatus> done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(statusOf(folder, name));
    });
}

void LocalVolume::copyFile(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                           std::string toName, CopyMode mode, RunControl& control, Finished done)
{
    if (!isLocal(source)) return done(copyFileFromForeign(source, from, fromName, handleOf(to), toName, mode, control));
    pool_.submit([from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), mode, &control, done = std::move(done)] {
        done(platform::copyFile(handleOf(from), fromName, handleOf(to), toName, mode, control));
    });
}

void LocalVolume::copyFolder(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                             std::string toName, RunControl& control, EntryFilter leavesOut,
                             std::function<void(FolderCopyOutcome)> done)
{
    if (!isLocal(source)) {
        return done(copyFolderFromForeign(source, from, fromName, handleOf(to), toName, control, leavesOut));
    }
    pool_.submit([from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), &control, leavesOut = std::move(leavesOut), done = std::move(done)] {
        done(platform::copyFolder(handleOf(from), fromName, handleOf(to), toName, control, leavesOut));
    });
}

void LocalVolume::updateAttributes(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                   std::string toName, Completion<bool> done)
{
    if (!isLocal(source)) return done(updateAttributesFromForeign(source, from, fromName, handleOf(to), toName));
    pool_.submit([from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), done = std::move(done)] {
        done(platform::updateAttributes(handleOf(from), fromName, handleOf(to), toName));
    });
}

void LocalVolume::attributesDiffer(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                   std::string toName, Completion<bool> done)
{
    // A source of another kind carries neither ACLs nor extended attributes: nothing to compare.
    if (!isLocal(source)) return done({false, std::nullopt});
    pool_.submit([from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), done = std::move(done)] {
        done(platform::attributesDiffer(CopyingUser::current(), handleOf(from), fromName, handleOf(to), toName));
    });
}

void LocalVolume::settleFolder(const VolumeAccess& source, FolderRef from, FolderRef to, Finished done)
{
    if (!isLocal(source)) return done(settleFolderFromForeign(source, from, handleOf(to)));
    pool_.submit([from = std::move(from), to = std::move(to), done = std::move(done)] {
        done(platform::settleFolder(handleOf(from), handleOf(to)));
    });
}

void LocalVolume::clearReadOnly(FolderRef folder, std::string name, Finished done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(platform::clearReadOnly(handleOf(folder), name));
    });
}

void LocalVolume::removeLeftoverTemporaries(FolderRef folder, Finished done)
{
    pool_.submit([folder = std::move(folder), done = std::move(done)] {
        platform::removeLeftoverTemporaries(handleOf(folder));
        done(std::nullopt);
    });
}

void LocalVolume::sameBytes(FolderRef folder, std::string name, const VolumeAccess& other, FolderRef otherFolder,
                            std::string otherName, Completion<bool> done)
{
    if (!isLocal(other)) return done(sameBytesAcross(*this, folder, name, other, otherFolder, otherName));
    pool_.submit([folder = std::move(folder), name = std::move(name), otherFolder = std::move(otherFolder),
                  otherName = std::move(otherName), done = std::move(done)] {
        done(platform::sameBytes(handleOf(folder), name, handleOf(otherFolder), otherName));
    });
}

void LocalVolume::moveProven(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef old,
                             std::string oldName, FolderRef to, std::string toName, SameTime sameTime,
                             EntryFilter leavesOut, std::function<void(ProvenMoveOutcome)> done)
{
    if (!isLocal(source)) return done({});
    pool_.submit([from = std::move(from), fromName = std::move(fromName), old = std::move(old),
                  oldName = std::move(oldName), to = std::move(to), toName = std::move(toName),
                  sameTime = std::move(sameTime), leavesOut = std::move(leavesOut), done = std::move(done)] {
        done(moveProvenEntry(from, fromName, old, oldName, to, toName, sameTime, leavesOut));
    });
}

void LocalVolume::moveToTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(platform::moveToTrash(handleOf(folder), name, folder->path() + name));
    });
}

void LocalVolume::keepReplacedInTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(platform::keepReplacedInTrash(handleOf(folder), name, folder->path() + name));
    });
}

void LocalVolume::undoTrashing(Trashing trashing, FolderRef folder, std::string name, Finished done)
{
    pool_.submit([trashing = std::move(trashing), folder = std::move(folder), name = std::move(name),
                  done = std::move(done)] { done(platform::undoTrashing(trashing, handleOf(folder), name)); });
}

// Whether a volume's trash can be used is decided once, at its first entry.
std::optional<std::string> LocalVolume::trashFor(const FolderRef& folder)
{
    const FolderHandle& handle = handleOf(folder);
    const auto device = volumeOfFolder(handle);
    if (!device) return usableTrash(handle, folder->path());
    std::lock_guard lock(trashMutex_);
    const auto [known, added] = trashes_.try_emplace(*device);
    if (added) known->second = usableTrash(handle, folder->path());
    return known->second;
}

TrashLedger& LocalVolume::ledger()
{
    if (!ledger_) ledger_.emplace();
    return *ledger_;
}

void LocalVolume::volumeWithoutTrash(FolderRef folder, Completion<std::optional<std::string>> done)
{
    pool_.submit([this, folder = std::move(folder), done = std::move(done)] {
        if (trashFor(folder)) return done({std::nullopt, std::nullopt});
        done({topFolderOf(folder->path()), std::nullopt});
    });
}

void LocalVolume::roomLeft(FolderRef folder, Completion<std::optional<std::uint64_t>> done)
{
    pool_.submit([folder = std::move(folder), done = std::move(done)] {
        done({platform::roomLeft(handleOf(folder)), std::nullopt});
    });
}

void LocalVolume::recordTrashed(Trashing trashing, Finished done)
{
    pool_.submit([this, trashing = std::move(trashing), done = std::move(done)] {
        {
            std::lock_guard lock(trashMutex_);
            ledger().add(trashing);
        }
        done(std::nullopt);
    });
}

void LocalVolume::freeTrash(FolderRef folder, std::uint64_t bytes, std::optional<Trashing> kept,
                            Completion<std::uint64_t> done)
{
    pool_.submit([this, folder = std::move(folder), bytes, kept = std::move(kept), done = std::move(done)] {
        const auto trash = trashFor(folder);
        std::uint64_t freed = 0;
        if (trash) {
            std::lock_guard lock(trashMutex_);
            freed = ledger().free(*trash, bytes, kept ? &*kept : nullptr);
        }
        done({freed, std::nullopt});
    });
}

void LocalVolume::saveTrashRecord(Finished done)
{
    pool_.submit([this, done = std::move(done)] {
        MaybeError failure;
        {
            std::lock_guard lock(trashMutex_);
            if (ledger_) failure = ledger_->save();
        }
        done(std::move(failure));
    });
}

}  // namespace velmorane::platform
