#include "platform/sftp_volume.h"

#include "platform/paths.h"
#include "platform/sftp_calls.h"
#include "platform/sftp_errors.h"
#include "platform/trash.h"

#include <cerrno>

// The trash of a volume on an SSH server, in the freedesktop.org layout, so that a file manager
// on the server puts entries back: the SSH user's home trash when the entry lies on the home's
// file system, else .Trash-UID at the top of its own file system, found by the file-system id
// statvfs@openssh.com gives. A server that does not give it has no trash.
namespace velmorane::platform {
namespace {

// Past this many twins of one name the trash is taken for full.
constexpr int kMostTwins = 1000;

// A folder of the trash: made when missing, never a link nor a file.
bool trashFolderReady(SftpChannel& channel, const std::string& path)
{
    SftpAttributes own;
    own.permissions = 0700;
    (void)remoteDone(channel, folderMakingRequest(path, own));
    const auto status = remoteLinkStatus(channel, path);
    return status.ok() && status.value.isFolder();
}

// The trash folder and its files/ and info/, the folders above it first.
std::optional<std::string> readyTrash(SftpChannel& channel, const std::vector<std::string>& above, const std::string& trash)
{
    for (const std::string& folder : above) {
        if (!trashFolderReady(channel, folder)) return std::nullopt;
    }
    for (const std::string& folder : {trash, trash + "/files", trash + "/info"}) {
        if (!trashFolderReady(channel, folder)) return std::nullopt;
    }
    return trash;
}

// The highest folder above `path` on the same file system.
std::string topOfFileSystem(SftpChannel& channel, std::string path, std::uint64_t system)
{
    while (path != "/") {
        const std::string parent = parentFolder(path);
        const auto above = remoteFileSystem(channel, parent);
        if (!above.ok() || above.value.id != system) break;
        path = parent;
    }
    return path;
}

}  // namespace

// Whether a folder's trash can be used is decided once per file system, at its first entry.
std::optional<SftpVolume::Trash> SftpVolume::trashFor(const std::string& serverFolder)
{
    const auto system = remoteFileSystem(channel_, serverFolder);
    // An id of 0 tells no file system from another.
    if (!system.ok() || system.value.id == 0) return std::nullopt;
    std::lock_guard lock(trashMutex_);
    const auto [known, added] = trashes_.try_emplace(system.value.id);
    if (!added) return known->second;
    const ServerFacts& server = facts();
    if (server.homeSystem == system.value.id) {
        const std::string data = server.home + "/.local/share";
        const auto trash = readyTrash(channel_, {server.home + "/.local", data}, data + "/Trash");
        if (trash) known->second = Trash{*trash, ""};
    } else if (server.serverUid) {
        const auto real = remoteRealPath(channel_, serverFolder);
        if (!real.ok()) return std::nullopt;
        const std::string top = topOfFileSystem(channel_, real.value, system.value.id);
        const std::string folder = joinPath(top, ".Trash-" + std::to_string(*server.serverUid));
        const auto trash = readyTrash(channel_, {}, folder);
        if (trash) known->second = Trash{*trash, top};
    }
    return known->second;
}

// The .trashinfo is written first, under a name no other trashing holds, then the entry is renamed
// into the trash; or, for a file about to be replaced, linked there, so that its name never empties.
Result<Trashing> SftpVolume::putInTrash(const FolderRef& folder, const std::string& name, bool linked)
{
    const std::string path = sftpFolder(folder).serverPath() + name;
    const auto trash = trashFor(sftpFolder(folder).serverPath());
    if (!trash) return {Trashing{}, std::nullopt};
    const auto real = remoteRealPath(channel_, sftpFolder(folder).serverPath());
    const std::string parent = real.ok() ? real.value : withoutTrailingSeparator(sftpFolder(folder).serverPath());
    const std::string text = trashInfoText(joinPath(parent, name), trash->topFolder);
    for (int number = 1; number <= kMostTwins; ++number) {
        const std::string trashName = trashNameFor(name, number);
        const std::string info = trash->path + "/info/" + trashInfoName(trashName);
        SftpAttributes own;
        own.permissions = 0600;
        // Created exclusively, which is what reserves the name in the trash.
        const auto handle = answeredHandle(
            channel_.call(fileOpeningRequest(info, kSftpOpenWrite | kSftpOpenCreate | kSftpOpenExclusive, own)));
        if (!handle.ok()) {
            if (remoteLinkStatus(channel_, info).ok()) continue;
            return Result<Trashing>::failure(systemErrorOf(*handle.error));
        }
        auto failure = remoteWrite(channel_, handle.value, 0, text);
        if (const auto closed = remoteDone(channel_, closingRequest(handle.value)); closed && !failure) failure = closed;
        const std::string kept = trash->path + "/files/" + trashName;
        if (!failure) {
            failure = remoteDone(channel_, linked ? extendedRequest(kHardLink, {path, kept}) : renameRequest(path, kept));
        }
        if (!failure) return {Trashing{TrashOutcome::Trashed, nullptr, trashName, trash->path, text}, std::nullopt};
        (void)remoteDone(channel_, fileRemovalRequest(info));
        if (remoteLinkStatus(channel_, kept).ok()) continue;
        // A file the server will not link (another file system's rules) goes to the trash whole.
        if (linked && failure->number != ENOTCONN) {
            return {Trashing{TrashOutcome::NoHardLinks, nullptr, {}, {}, {}}, std::nullopt};
        }
        return Result<Trashing>::failure(*failure);
    }
    return Result<Trashing>::failure(systemError(EEXIST));
}

void SftpVolume::moveToTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    pool_.submit([this, folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(putInTrash(folder, name, false));
    });
}

// Without hardlink@openssh.com the replaced file goes to the trash whole and the new one is added.
void SftpVolume::keepReplacedInTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    if (!channel_.offers(kHardLink)) return done({Trashing{TrashOutcome::NoHardLinks, nullptr, {}, {}, {}}, std::nullopt});
    pool_.submit([this, folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(putInTrash(folder, name, true));
    });
}

void SftpVolume::undoTrashing(Trashing trashing, FolderRef folder, std::string name, Finished done)
{
    pool_.submit([this, trashing = std::move(trashing), path = sftpFolder(folder).serverPath() + name,
                  done = std::move(done)] {
        const std::string kept = trashing.trash + "/files/" + trashing.trashName;
        // A name still holding the trash's linked file (no inode to tell: its size and time) keeps
        // it, and only the trash's link goes.
        const auto there = remoteLinkStatus(channel_, path);
        const auto trashed = remoteLinkStatus(channel_, kept);
        const bool same = there.ok() && trashed.ok() && there.value.size == trashed.value.size &&
                          there.value.modificationTime == trashed.value.modificationTime;
        auto failure = same ? remoteDone(channel_, fileRemovalRequest(kept)) : renameRemote(kept, path, RenameMode::NoReplace);
        if (failure) return done(std::move(failure));
        done(remoteDone(channel_, fileRemovalRequest(trashing.trash + "/info/" + trashInfoName(trashing.trashName))));
    });
}

void SftpVolume::volumeWithoutTrash(FolderRef folder, Completion<std::optional<std::string>> done)
{
    pool_.submit([this, folder = std::move(folder), done = std::move(done)] {
        if (trashFor(sftpFolder(folder).serverPath())) return done({std::nullopt, std::nullopt});
        done({withoutTrailingSeparator(startFolder_), std::nullopt});
    });
}

void SftpVolume::roomLeft(FolderRef folder, Completion<std::optional<std::uint64_t>> done)
{
    pool_.submit([this, folder = std::move(folder), done = std::move(done)] {
        const auto system = remoteFileSystem(channel_, sftpFolder(folder).serverPath());
        if (!system.ok()) return done({std::nullopt, std::nullopt});
        done({system.value.availableBlocks * system.value.blockSize, std::nullopt});
    });
}

// The server's trash keeps no record of what the program put there: its old versions are never
// freed by a run, as on a volume whose record cannot be kept.
void SftpVolume::recordTrashed(Trashing, Finished done)
{
    done(std::nullopt);
}

void SftpVolume::freeTrash(FolderRef, std::uint64_t, std::optional<Trashing>, Completion<std::uint64_t> done)
{
    done({0, std::nullopt});
}

void SftpVolume::saveTrashRecord(Finished done)
{
    done(std::nullopt);
}

}  // namespace velmorane::platform
