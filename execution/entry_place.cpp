#include "execution/entry_place.h"

#include "platform/paths.h"

#include <cerrno>

namespace velmorane::execution {

platform::Result<Place> placeOf(const platform::Result<platform::FolderHandle>& root, const std::string& rootPath,
                                const std::string& path)
{
    if (!root.ok()) return platform::Result<Place>::failure(*root.error);
    if (path.size() <= rootPath.size() || !path.starts_with(rootPath)) {
        return platform::Result<Place>::failure({EINVAL, "Entrée de tâche incorrecte"});
    }
    const std::string relative = path.substr(rootPath.size());
    auto folder = root.value.openBelow(platform::parentFolder(relative));
    if (!folder.ok()) return platform::Result<Place>::failure(*folder.error);
    return {Place{std::move(folder.value), platform::lastComponent(relative)}, std::nullopt};
}

}  // namespace velmorane::execution
