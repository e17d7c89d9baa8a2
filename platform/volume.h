#pragma once

#include "platform/entry_records.h"
#include "platform/progress.h"
#include "platform/system_error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velmorane::platform {

// A folder of a volume, opened by a request. Later requests name what lies below it by a plain
// name, so that nothing below a start folder is looked up by its path again.
class VolumeFolder {
public:
    virtual ~VolumeFolder() = default;
    // Its absolute path, ending with "/": what the trash records and what messages show.
    virtual const std::string& path() const = 0;
};
using FolderRef = std::shared_ptr<const VolumeFolder>;

// A folder opened and read by one request: every entry with its attributes.
struct ReadFolderAnswer {
    FolderRef folder;
    FolderContent content;
};

// What a volume keeps of a file: what a run may compare and a copy may set there.
struct VolumeCapabilities {
    TimePrecision times = TimePrecision::Nanoseconds;
    bool localTimes = false;  // FAT and exFAT: local time, shifted under another UTC offset
    bool foldsCase = false;   // "Data" and "DATA" name the same entry
    bool keepsPermissions = true;
    bool keepsOwners = true;
    bool setsAnyOwner = false;  // a copy may be given any owner and group (as root)
    bool keepsAcls = true;
    bool keepsExtendedAttributes = true;
    bool keepsHardLinks = true;
    bool keepsHoles = true;
    bool keepsFileIdentity = true;  // inodes and birth times stay from one mount to the next
};

// The guarantees a volume keeps against a tree that changes under a run. A local volume keeps
// them all; one that resolves paths on a server cannot keep the first two.
struct VolumeGuarantees {
    bool resolvesRelativeToOpenFolders = false;  // a folder renamed meanwhile is not followed to its new place
    bool neverEntersLinks = false;               // a link put in a folder's place is never entered
    bool addsNeverReplace = false;               // a rename for an add fails on a taken name, atomically
};

enum class RenameMode { NoReplace, Replace };

// What a request sets on an entry; what is empty stays as it is. A volume that cannot keep one
// of them (FAT and permission bits) leaves it without failing.
struct EntryAttributes {
    std::optional<std::uint32_t> mode;  // permission bits, setuid, setgid and sticky included
    std::optional<std::pair<std::uint32_t, std::uint32_t>> owner;  // user and group
    std::optional<FileTime> modified;
};

// Requests complete on a thread of the volume, in any order: many stay in flight at once, which
// is what hides a network's latency. A completion must not wait for another request's. A volume
// opened without threads of its own answers each request at once, on the caller's thread: callers
// that keep their own workers busy (the executor) lose nothing to hand-overs.
template <typename T>
using Completion = std::function<void(Result<T>)>;
using Finished = std::function<void(MaybeError)>;

// One way to the files of a volume, below one start folder: the walk, the comparison and the
// executor reach files only through it. Names given with a folder are plain names (no "/").
class VolumeAccess {
public:
    virtual ~VolumeAccess() = default;

    // The start folder as the user named it.
    virtual const std::string& startFolder() const = 0;
    // What tells the volume from another mounted at the same place (platform/volume_identity.h).
    virtual std::string identity() const = 0;
    virtual VolumeCapabilities capabilities() const = 0;
    virtual VolumeGuarantees guarantees() const = 0;

    // The files the last run left as they are now, extended attributes and ACLs included: their
    // listing then does not ask for those. Given before the first read; a volume that keeps
    // neither has nothing to skip.
    virtual void rememberLastRun(AttributesAsLastRun) {}

    // Opens the start folder, and reads it too.
    virtual void openStart(Completion<FolderRef> done) = 0;
    virtual void readStart(Completion<ReadFolderAnswer> done) = 0;
    // Opens a sub-folder (a link in its place fails and is not entered), and reads it too.
    virtual void openFolder(FolderRef parent, std::string name, Completion<FolderRef> done) = 0;
    virtual void readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done) = 0;

    // Up to `length` bytes of a regular file from `offset`; fewer at its end.
    virtual void readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                          Completion<std::string> done) = 0;
    virtual void readLink(FolderRef folder, std::string name, Completion<std::string> done) = 0;
    // Whether a file of `source` and one of this volume differ in the extended attributes and ACLs
    // a copy carries; what either volume cannot keep is no difference.
    virtual void attributesDiffer(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                  std::string toName, Completion<bool> done) = 0;

    // Makes an empty file under a fresh temporary name (platform/temporary_name.h) and gives the name.
    virtual void createTemporary(FolderRef folder, Completion<std::string> done) = 0;
    // Writes into a file made by createTemporary; any other name is refused (EINVAL), so a write
    // never lands on a user's file before it is whole.
    virtual void writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset,
                                std::string bytes, Finished done) = 0;
    // NoReplace fails on a taken name (EEXIST); Replace swaps the entry in at once.
    virtual void rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName,
                        RenameMode mode, Finished done) = 0;
    // Removes a file or a link (never what it points to), read-only or not; a folder there fails.
    virtual void remove(FolderRef folder, std::string name, Finished done) = 0;
    // Removes a folder with all its content, what `leavesOut` names inside staying with the folders
    // holding it; anything else there fails, and a link there is never entered.
    virtual void removeFolder(FolderRef folder, std::string name, EntryFilter leavesOut, Finished done) = 0;
    virtual void makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done) = 0;
    virtual void setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done) = 0;

    // What an execution does. A request that names another volume (`source`) reads from it; a
    // volume of another kind than this one is read through its requests above.

    // The folder at a relative path below an open folder ("a/b/"), opened one name at a time.
    virtual void openBelow(FolderRef folder, std::string relativePath, Completion<FolderRef> done) = 0;
    virtual void entryStatus(FolderRef folder, std::string name, Completion<EntryStatus> done) = 0;
    // Copies a regular file, or a link as a link: content, time, bits, owner, ACLs and extended
    // attributes as far as this volume keeps them, written under a temporary name and put in
    // place only when whole. The control hears of each piece of a large file.
    virtual void copyFile(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                          std::string toName, CopyMode mode, RunControl& control, Finished done) = 0;
    // Creates the folder `toName` (a taken name fails) and copies the source folder's content into
    // it, folder times and bits set after their content; a failure part-way does not stop the rest
    // and the first one is given. A stop asked through the control ends it between two files.
    virtual void copyFolder(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                            std::string toName, RunControl& control, EntryFilter leavesOut,
                            std::function<void(FolderCopyOutcome)> done) = 0;
    // Sets the attributes of `toName` from the source's `fromName` without copying the content, when
    // both are still of the same kind, size and time; false when they no longer are.
    virtual void updateAttributes(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                  std::string toName, Completion<bool> done) = 0;
    // Gives a folder the bits, owner, ACLs, attributes and times of the source's folder.
    virtual void settleFolder(const VolumeAccess& source, FolderRef from, FolderRef to, Finished done) = 0;
    // Grants the owner write permission and leaves every other bit; a link is left as it is.
    virtual void clearReadOnly(FolderRef folder, std::string name, Finished done) = 0;
    // Removes the temporary files a killed copy left in a folder; a user's file is never taken for one.
    virtual void removeLeftoverTemporaries(FolderRef folder, Finished done) = 0;
    // Whether an entry of this volume and one of `other` hold the same bytes (links: the same
    // target); a file that changes while it is read proves nothing.
    virtual void sameBytes(FolderRef folder, std::string name, const VolumeAccess& other, FolderRef otherFolder,
                           std::string otherName, Completion<bool> done) = 0;
    // Carries out an add as the rename of `oldName`, proven to be the source's `fromName` moved:
    // nothing moves unless it still has the layout a copy would bring (for a folder, the same names
    // and sizes all the way down, what `leavesOut` names aside). The renamed entry, and what lies in
    // it, then get the source's bits and times as a copy sets them.
    virtual void moveProven(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef old,
                            std::string oldName, FolderRef to, std::string toName, SameTime sameTime,
                            EntryFilter leavesOut, std::function<void(ProvenMoveOutcome)> done) = 0;

    // The volume's trash, freedesktop.org's layout, so that any file manager puts entries back.
    // Moves an entry there; NoTrash when the volume has none, the entry left in place.
    virtual void moveToTrash(FolderRef folder, std::string name, Completion<Trashing> done) = 0;
    // For a file about to be replaced: a hard link to it is kept in the trash and the new file is
    // renamed over it (CopyMode::Replace). NoHardLinks: moveToTrash, then CopyMode::Add.
    virtual void keepReplacedInTrash(FolderRef folder, std::string name, Completion<Trashing> done) = 0;
    // Takes a trashing back: the entry returns under its name if the name is free.
    virtual void undoTrashing(Trashing trashing, FolderRef folder, std::string name, Finished done) = 0;
    // The top folder of this folder's volume when its entries cannot go to a trash; nothing when they can.
    virtual void volumeWithoutTrash(FolderRef folder, Completion<std::optional<std::string>> done) = 0;
    // The bytes this folder's volume has room for, when it says.
    virtual void roomLeft(FolderRef folder, Completion<std::optional<std::uint64_t>> done) = 0;
    // Keeps what the program trashed for good, so that later runs may free it, oldest first.
    virtual void recordTrashed(Trashing trashing, Finished done) = 0;
    // Removes old versions the program put in the trash of this folder's volume until `bytes` more
    // are free, `kept` (a trashing in progress) staying. Gives the bytes freed.
    virtual void freeTrash(FolderRef folder, std::uint64_t bytes, std::optional<Trashing> kept,
                           Completion<std::uint64_t> done) = 0;
    // Writes the record of what the program trashed, once an execution is over.
    virtual void saveTrashRecord(Finished done) = 0;
};

// The volume that holds a start folder, answering up to `concurrency` requests at once; with 0,
// each request at once on the caller's thread.
std::unique_ptr<VolumeAccess> openVolume(const std::string& startFolder, unsigned concurrency);

}  // namespace velmorane::platform
