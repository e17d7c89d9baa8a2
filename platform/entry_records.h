#pragma once

#include "platform/compact_name.h"
#include "platform/system_error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// What a volume's answers say of its entries, whatever the volume.

// Permission bits (setuid, setgid and sticky included), owner and group.
struct Permissions {
    std::uint32_t mode = 0;
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
};

// What tells one file from another where the volume keeps it stable: an inode reused by a new
// file has another birth time. Times in nanoseconds since the epoch; `born` is 0 where unknown.
struct FileIdentity {
    std::uint64_t inode = 0;
    std::int64_t born = 0;
    std::int64_t changed = 0;  // moves with any write, rename or attribute change
};

// How finely a volume keeps modification times.
enum class TimePrecision { Nanoseconds, Seconds, TwoSeconds };

// A modification time as the system gives it.
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
};

// What became of an entry sent to the trash.
enum class TrashOutcome {
    Trashed,      // in the trash, with its .trashinfo
    NoTrash,      // no trash can be used on this volume: nothing was done, delete as before
    NoHardLinks,  // keepReplacedInTrash only: the volume cannot link a file; nothing was done
};

// What the volume keeps of a trashing to take it back; only the volume that made it reads it.
struct TrashPlaces;

struct Trashing {
    TrashOutcome outcome = TrashOutcome::NoTrash;
    // With Trashed: where the entry went, for undoTrashing. Its name in files/ also names its
    // info/<trashName>.trashinfo.
    std::shared_ptr<const TrashPlaces> places;
    std::string trashName;
    std::string trash;     // the trash folder's path, which holds files/ and info/
    std::string infoText;  // its .trashinfo as written
};

// A time in nanoseconds since the epoch as whole seconds and the nanoseconds within the second,
// before 1970 too.
inline FileTime fileTimeOf(std::int64_t nanoseconds)
{
    constexpr std::int64_t kSecond = 1'000'000'000;
    std::int64_t seconds = nanoseconds / kSecond;
    std::int64_t within = nanoseconds % kSecond;
    if (within < 0) {
        --seconds;
        within += kSecond;
    }
    return {seconds, static_cast<std::int32_t>(within)};
}

// What stands at a name, without following a link.
enum class EntryKind { Missing, File, Link, Folder, Other };

struct EntryStatus {
    EntryKind kind = EntryKind::Missing;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    FileIdentity identity;
};

// An add never replaces: a name already taken, in any letter case the volume ignores, fails with
// EEXIST. A replacement swaps the whole new file in at once.
enum class CopyMode { Add, Replace };

// Says whether an entry inside a folder being copied or deleted is left alone, by its path inside
// that folder ("sub/name", no trailing "/").
using EntryFilter = std::function<bool(const std::string& pathInside, bool isFolder)>;

struct FolderCopyOutcome {
    bool created = false;  // the folder was made, whatever happened to its content
    MaybeError failure;
};

// What became of a move proven before the execution.
struct ProvenMoveOutcome {
    bool moved = false;    // nothing moved when the entries no longer match: the add is copied
    MaybeError failure;    // the moved entry could not be given its source's attributes
};

// Says whether two modification times count as the same.
using SameTime = std::function<bool(FileTime, FileTime)>;

// Whether a listed file has extended attributes or ACLs that a copy carries. A file the last run
// left as it is now was not looked at: it has what the last run found.
enum class CarriedAttributes : std::uint8_t { None, Some, AsLastRun };

// Says, for a file of a folder below the start folder ("" or "a/b/"), whether the last run left it
// as it is now, extended attributes and ACLs included.
using AttributesAsLastRun =
    std::function<bool(std::string_view relativeFolder, std::string_view name, const FileIdentity& identity)>;

// A listed file: a regular file, or a symbolic link, whose size is the length of its target text
// and whose time is the link's own.
struct FileRecord {
    CompactName name;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // whole seconds since the epoch
    bool isLink = false;
    // Extended attributes or ACLs that a copy carries: their values are compared only then.
    CarriedAttributes attributes = CarriedAttributes::None;
    std::int32_t modifiedNanoseconds = 0;  // within that second
    Permissions permissions;
    FileIdentity identity;  // what the record of moves knows the file by
};

static_assert(sizeof(FileRecord) == 80, "a million files are listed at once: keep the record small");

// A listed file's modification time in nanoseconds since the epoch.
inline std::int64_t modifiedTimeOf(const FileRecord& file)
{
    return file.modified * 1'000'000'000 + file.modifiedNanoseconds;
}

// One folder read once: its sub-folders (links to folders are files, never descended) and its files.
// Sockets, FIFOs and device nodes are never mirrored: they are kept apart, so that one standing
// where the other side has an entry can be removed. The lists are sorted by name ignoring case,
// ties by exact byte order.
struct FolderContent {
    std::vector<std::string> subFolders;
    std::vector<FileRecord> files;
    std::vector<FileRecord> specialFiles;
    Permissions permissions;  // the folder's own
    bool holdsTemporaries = false;  // files a killed copy left under a temporary name, never listed
};

}  // namespace velmorane::platform
