#pragma once

#include "platform/entry_records.h"
#include "platform/system_error.h"
#include "platform/volumes.h"

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
// is what hides a network's latency. A completion must not wait for another request's.
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

    // Makes an empty file under a fresh temporary name (platform/temporary_name.h) and gives the name.
    virtual void createTemporary(FolderRef folder, Completion<std::string> done) = 0;
    // Writes into a file made by createTemporary; any other name is refused (EINVAL), so a write
    // never lands on a user's file before it is whole.
    virtual void writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset,
                                std::string bytes, Finished done) = 0;
    // NoReplace fails on a taken name (EEXIST); Replace swaps the entry in at once.
    virtual void rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName,
                        RenameMode mode, Finished done) = 0;
    // Removes a file or a link (never what it points to), or a folder with all its content.
    virtual void remove(FolderRef folder, std::string name, Finished done) = 0;
    virtual void makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done) = 0;
    virtual void setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done) = 0;
    // Moves an entry to the volume's own trash; NoTrash when it has none, the entry left in place.
    virtual void moveToTrash(FolderRef folder, std::string name, Completion<TrashOutcome> done) = 0;
};

// The volume that holds a start folder, answering up to `concurrency` requests at once.
std::unique_ptr<VolumeAccess> openVolume(const std::string& startFolder, unsigned concurrency);

}  // namespace velmorane::platform
