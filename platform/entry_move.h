#pragma once

#include "platform/file_operations.h"
#include "platform/entry_records.h"
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

// An entry inside a folder to be moved whose permission bits or modification time are not its
// source's: by its path inside that folder, with its source's status.
struct AttributeFix {
    std::string pathInside;
    struct stat source;
};
using AttributeFixes = std::vector<AttributeFix>;

// Whether the entry `toName` has the layout a copy of `fromName` would bring: the same kind and, for
// a file or link, the same size; for a folder, the same names all the way down, each alike in the
// same way. What `leavesOut` names in the source is not looked at, since a copy leaves it out. When
// alike, gives what inside a folder a copy would set otherwise: bits, and times `sameTime` calls
// different. Reads the entries' status, never their content: whether they hold the same bytes is
// for the caller to have proven.
std::optional<AttributeFixes> sameLayout(const FolderHandle& fromFolder, std::string_view fromName,
                                         const FolderHandle& toFolder, std::string_view toName,
                                         const SameTime& sameTime, const EntryFilter& leavesOut = {});

// Renames an entry to another place of the same volume, never over an existing name. Where the
// volume knows no RENAME_NOREPLACE, the name is looked at just before a plain rename when
// `plainRenameKeepsContent` says such a rename is safe there (a user-space FAT driver empties a
// folder it renames plainly). A volume that refuses says so with the system's reason, and nothing
// has moved.
MaybeError moveEntry(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                     std::string_view toName, bool plainRenameKeepsContent);

// Gives a moved entry the permission bits (where the volume keeps them) and time of its source,
// and the entries inside it those the fixes name, as a copy sets them.
MaybeError keepAttributesOf(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                            std::string_view toName, const AttributeFixes& fixes);

}  // namespace velmorane::platform
