#pragma once

#include "platform/copying_user.h"
#include "platform/entry_records.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace velmorane::platform {

Permissions permissionsOf(const struct stat& info);

// Gives `to` the owner, group, ACLs, extended attributes and permission bits of the open file or
// folder `from`, whose status is `source`, as far as the destination volume keeps them: a volume
// without owners, bits or attributes is no failure. `whileFilled` bits are added to the mode, for a
// folder that is still being filled. ACLs are the "system.posix_acl_*" attributes; "security.*" and
// "trusted.*" are copied as root only. Attributes of `to` that the source lacks are removed.
MaybeError copyAttributes(const CopyingUser& user, int from, const struct stat& source, int to,
                          std::uint32_t whileFilled = 0);

// Whether the file `name` of a folder has extended attributes or ACLs that a copy made by `user`
// carries, asked by name without opening it; none where the volume keeps none.
bool hasCopiedAttributes(const CopyingUser& user, const FolderHandle& folder, const std::string& name);

// Whether two regular files differ in the extended attributes and ACLs a copy carries: their names
// first, their values only where the names are the same. A volume that keeps none differs in none.
Result<bool> attributesDiffer(const CopyingUser& user, const FolderHandle& folderA, const std::string& nameA,
                              const FolderHandle& folderB, const std::string& nameB);

// A link's owner and group, as root; a link has no bits of its own.
MaybeError copyLinkOwner(const CopyingUser& user, const FolderHandle& folder, std::string_view name,
                         const struct stat& source);

// Sets the attributes of `toName` from `fromName` without copying the content, when both are still
// files (or both links) of the same size and modification time. False when they no longer are:
// the content must then be copied.
Result<bool> updateAttributes(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                              std::string_view toName);

// Gives a folder the permission bits, owner, group, ACLs, attributes and times of another.
MaybeError settleFolder(const FolderHandle& from, const FolderHandle& to);

}  // namespace velmorane::platform
