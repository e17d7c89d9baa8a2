#pragma once

#include "platform/file_operations.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace velmorane::platform {

// A modification time as the system gives it.
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
};

// Says whether two modification times count as the same.
using SameTime = std::function<bool(FileTime, FileTime)>;

// An entry inside a folder to be moved whose permission bits or modification time are not its
// source's: by its path inside that folder, with its source's status.
struct AttributeFix {
    std::string pathInside;
    struct stat source;
};
using AttributeFixes = std::vector<AttributeFix>;

// Whether the entry `toName` holds what a copy of `fromName` would bring: the same kind and, for a
// file or link, the same size and a time `sameTime` accepts; for a folder, the same names all the
// way down, each alike in the same way. What `leavesOut` names in the source is not looked at,
// since a copy leaves it out. When alike, gives what inside a folder a copy would set otherwise.
// Reads the entries' status, never their content.
std::optional<AttributeFixes> sameContent(const FolderHandle& fromFolder, std::string_view fromName,
                                          const FolderHandle& toFolder, std::string_view toName,
                                          const SameTime& sameTime, const EntryFilter& leavesOut = {});

// Renames an entry to another place of the same volume, never over an existing name. A volume that
// cannot do so refuses with the system's reason, and nothing has moved.
MaybeError moveEntry(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                     std::string_view toName);

// Gives a moved entry the permission bits (where the volume keeps them) and time of its source,
// and the entries inside it those the fixes name, as a copy sets them.
MaybeError keepAttributesOf(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                            std::string_view toName, const AttributeFixes& fixes);

}  // namespace velmorane::platform
