#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string_view>
#include <sys/stat.h>

namespace velmorane::platform {

// Permission bits (setuid, setgid and sticky included), owner and group.
struct Permissions {
    std::uint32_t mode = 0;
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
};

Permissions permissionsOf(const struct stat& info);

// Whether a copy can give its files any owner and group (the program runs as root).
bool canKeepOwners();

// The permission bits a copy of a file with these permissions gets: setuid and setgid go where
// the owner cannot be kept, setgid where the group cannot (a plain user keeps the groups he is in).
std::uint32_t modeOfCopy(const Permissions& source);

// Gives `to` the owner, group, ACLs, extended attributes and permission bits of the open file or
// folder `from`, whose status is `source`, as far as the destination volume keeps them: a volume
// without owners, bits or attributes is no failure. `whileFilled` bits are added to the mode, for a
// folder that is still being filled. ACLs are the "system.posix_acl_*" attributes; "security.*" and
// "trusted.*" are copied as root only. Attributes of `to` that the source lacks are removed.
MaybeError copyAttributes(int from, const struct stat& source, int to, std::uint32_t whileFilled = 0);

// A link's owner and group, as root; a link has no bits of its own.
MaybeError copyLinkOwner(const FolderHandle& folder, std::string_view name, const struct stat& source);

// Sets the attributes of `toName` from `fromName` without copying the content, when both are still
// files (or both links) of the same size and modification time. False when they no longer are:
// the content must then be copied.
Result<bool> updateAttributes(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                              std::string_view toName);

// Gives a folder the permission bits, owner, group, ACLs, attributes and times of another.
MaybeError settleFolder(const FolderHandle& from, const FolderHandle& to);

}  // namespace velmorane::platform
