#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::platform {

// A folder as the system knows it, whatever path names it: its device and inode, links followed,
// each name spelt as its folder stores it (see storedSpelling).
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FolderIdentity&) const = default;
};

std::optional<FolderIdentity> folderIdentity(const std::string& path);

// Whether two paths name one folder: by identity when both exist (links, ".", "..", trailing "/"
// and bind mounts make no difference, nor letter case on a volume that folds it; on one that does
// not, letter case does), by their resolved spelling when neither does.
bool sameFolder(const std::string& first, const std::string& second);

// The absolute path with links, "." and ".." resolved and names spelt as stored as far as it
// exists, the missing rest made plain: where a folder that is not there (on an unplugged key) would be.
std::string resolvedPath(const std::string& path);

// The names that lead from `outer` down to `inner` ("a/b"), when inner lies strictly below outer:
// some folder above inner's real path is outer itself, by identity. Nothing otherwise.
std::optional<std::string> pathBelow(const std::string& outer, const std::string& inner);

// Every path at which a folder can be seen: its real path first, then the same folder under the
// other mounts of its file system (bind mounts). Nothing when it does not exist.
std::vector<std::string> folderPlaces(const std::string& folder);

}  // namespace velmorane::platform
