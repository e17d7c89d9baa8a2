#include "platform/folder_identity.h"

#include "platform/paths.h"
#include "platform/sftp_address.h"
#include "platform/stored_names.h"
#include "platform/volumes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace velmorane::platform {
namespace {

// Links, "." and ".." resolved, and each name as its folder stores it: on a volume that folds
// case, two spellings of one folder are one path.
std::optional<std::string> realPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string out(resolved);
    std::free(resolved);
    return storedSpelling(out);
}

// The identity of an existing path as it is spelt.
std::optional<FolderIdentity> identityOf(const std::string& path)
{
    struct stat info{};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// One line of /proc/self/mountinfo: which file system, which of its folders is the root of the
// mount, and where it is mounted.
struct MountInfo {
    std::string device;  // "major:minor"
    std::string root;
    std::string mountPoint;
};

std::vector<MountInfo> readMountInfo()
{
    std::ifstream file("/proc/self/mountinfo");
    std::vector<MountInfo> mounts;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string id, parent;
        MountInfo mount;
        if (!(fields >> id >> parent >> mount.device >> mount.root >> mount.mountPoint)) continue;
        mount.root = decodeOctalEscapes(mount.root);
        mount.mountPoint = decodeOctalEscapes(mount.mountPoint);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

// `path` (lying in `from`) moved to lie at the same place in `to`.
std::string rebased(const std::string& path, const std::string& from, const std::string& to)
{
    std::string rest = path.substr(from.size());
    if (rest.starts_with(kSeparator)) rest.erase(0, 1);
    return rest.empty() ? to : joinPath(to, rest);
}

}  // namespace

std::optional<FolderIdentity> folderIdentity(const std::string& path)
{
    const auto real = path.empty() ? std::nullopt : realPath(path);
    return real ? identityOf(*real) : std::nullopt;
}

bool sameFolder(const std::string& first, const std::string& second)
{
    if (first == second) return true;
    if (first.empty() || second.empty()) return false;
    // A folder on an SSH server is told from another by its address, never looked up here.
    if (isSftpAddress(first) || isSftpAddress(second)) {
        return withoutTrailingSeparator(first) == withoutTrailingSeparator(second);
    }
    const auto firstIdentity = folderIdentity(first);
    const auto secondIdentity = folderIdentity(second);
    if (firstIdentity || secondIdentity) return firstIdentity == secondIdentity;
    return resolvedPath(first) == resolvedPath(second);
}

std::string resolvedPath(const std::string& path)
{
    std::filesystem::path missing;
    const std::string absolute = path.starts_with(kSeparator) ? path : joinPath(currentDirectory(), path);
    std::string existing = withoutTrailingSeparator(absolute);
    std::optional<std::string> real;
    // Ends at the root at worst, which always resolves.
    while (!(real = realPath(existing))) {
        missing = std::filesystem::path(lastComponent(existing)) / missing;
        existing = parentFolder(existing);
    }
    if (missing.empty()) return *real;
    return withoutTrailingSeparator((std::filesystem::path(*real) / missing).lexically_normal().string());
}

std::optional<std::string> pathBelow(const std::string& outer, const std::string& inner)
{
    const auto outerIdentity = folderIdentity(outer);
    const auto real = realPath(inner);
    if (!outerIdentity || !real) return std::nullopt;
    for (std::string folder = *real; folder != std::string(1, kSeparator);) {
        const std::string parent = parentFolder(folder);
        if (identityOf(parent) == outerIdentity) return real->substr(withTrailingSeparator(parent).size());
        folder = parent;
    }
    return std::nullopt;
}

std::vector<std::string> folderPlaces(const std::string& folder)
{
    const auto real = realPath(folder);
    const auto identity = real ? identityOf(*real) : std::nullopt;
    if (!identity) return {};
    std::vector<std::string> places{*real};
    const std::vector<MountInfo> mounts = readMountInfo();
    // The mount that shows the folder at its real path: the last one listed over the longest prefix.
    const MountInfo* holder = nullptr;
    for (const MountInfo& mount : mounts) {
        if (liesIn(*real, mount.mountPoint) && (!holder || mount.mountPoint.size() >= holder->mountPoint.size())) {
            holder = &mount;
        }
    }
    if (!holder) return places;
    const std::string inFileSystem = rebased(*real, holder->mountPoint, holder->root);
    for (const MountInfo& mount : mounts) {
        if (mount.device != holder->device || !liesIn(inFileSystem, mount.root)) continue;
        std::string place = rebased(inFileSystem, mount.root, mount.mountPoint);
        // A mount hidden by a later one over it shows something else there.
        const bool same = identityOf(place) == identity;
        if (same && std::find(places.begin(), places.end(), place) == places.end()) places.push_back(std::move(place));
    }
    return places;
}

}  // namespace velmorane::platform
