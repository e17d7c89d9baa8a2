#include "platform/folder_identity.h"

#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace velmorane::platform {
namespace {

std::optional<std::string> realPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

}  // namespace

std::optional<FolderIdentity> folderIdentity(const std::string& path)
{
    struct stat info{};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool sameFolder(const std::string& first, const std::string& second)
{
    if (first == second) return true;
    if (first.empty() || second.empty()) return false;
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
        if (folderIdentity(parent) == outerIdentity) return real->substr(withTrailingSeparator(parent).size());
        folder = parent;
    }
    return std::nullopt;
}

}  // namespace velmorane::platform
