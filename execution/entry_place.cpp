#include "execution/entry_place.h"

#include "platform/paths.h"

#include <cerrno>

namespace velmorane::execution {
namespace {

platform::SystemError malformedEntry()
{
    return {EINVAL, "Entrée de tâche incorrecte"};
}

}  // namespace

platform::Result<Place> placeOf(const platform::Result<platform::FolderHandle>& root, const std::string& rootPath,
                                const std::string& path)
{
    if (!root.ok()) return platform::Result<Place>::failure(*root.error);
    if (path.size() <= rootPath.size() || !path.starts_with(rootPath)) {
        return platform::Result<Place>::failure(malformedEntry());
    }
    const std::string relative = path.substr(rootPath.size());
    auto folder = root.value.openBelow(platform::parentFolder(relative));
    if (!folder.ok()) return platform::Result<Place>::failure(*folder.error);
    return {Place{std::move(folder.value), platform::lastComponent(relative)}, std::nullopt};
}

platform::Result<platform::FolderHandle> folderAt(const platform::Result<platform::FolderHandle>& root,
                                                  const std::string& rootPath, const std::string& path)
{
    using Opened = platform::Result<platform::FolderHandle>;
    if (!root.ok()) return Opened::failure(*root.error);
    if (!path.starts_with(rootPath)) return Opened::failure(malformedEntry());
    return root.value.openBelow(path.substr(rootPath.size()));
}

OpenFolderCache::OpenFolderCache(const std::string& rootPath)
    : rootPath_(rootPath), root_(platform::FolderHandle::openStart(rootPath))
{
}

const platform::FolderHandle* OpenFolderCache::at(const std::string& folderPath)
{
    if (!opened_ || folderPath != path_) {
        opened_ = true;
        path_ = folderPath;
        folder_ = folderAt(root_, rootPath_, folderPath);
    }
    return folder_.ok() ? &folder_.value : nullptr;
}

}  // namespace velmorane::execution
