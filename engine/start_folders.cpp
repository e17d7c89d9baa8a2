#include "engine/start_folders.h"

#include "platform/awaited_answer.h"
#include "platform/paths.h"

#include <cerrno>

namespace velmorane::engine {
namespace {

using platform::FolderRef;
using platform::Result;

platform::SystemError malformedEntry()
{
    return {EINVAL, "Entrée de tâche incorrecte"};
}

}  // namespace

StartFolder::StartFolder(platform::VolumeAccess& volume)
    : volume_(volume), path_(platform::withTrailingSeparator(volume.startFolder())),
      root_(platform::awaited<Result<FolderRef>>([&](auto done) { volume.openStart(done); }))
{
}

Result<FolderRef> StartFolder::openBelowRoot(const std::string& relative) const
{
    if (!root_.ok()) return Result<FolderRef>::failure(*root_.error);
    return platform::awaited<Result<FolderRef>>([&](auto done) { volume_.openBelow(root_.value, relative, done); });
}

Result<Place> StartFolder::placeOf(const std::string& path) const
{
    if (path.size() <= path_.size() || !path.starts_with(path_)) return Result<Place>::failure(malformedEntry());
    const std::string relative = path.substr(path_.size());
    auto folder = openBelowRoot(platform::parentFolder(relative));
    if (!folder.ok()) return Result<Place>::failure(*folder.error);
    return {Place{std::move(folder.value), platform::lastComponent(relative)}, std::nullopt};
}

Result<FolderRef> StartFolder::folderAt(const std::string& path) const
{
    if (!path.starts_with(path_)) return Result<FolderRef>::failure(malformedEntry());
    return openBelowRoot(path.substr(path_.size()));
}

RunFolders::RunFolders(const std::string& sourceFolder, const std::string& destinationFolder,
                       platform::Questions questions)
    : sourceVolume_(platform::openVolume(sourceFolder, 0, questions)),
      destVolume_(platform::openVolume(destinationFolder, 0, questions)),
      source_(*sourceVolume_), dest_(*destVolume_)
{
}

const FolderRef* OpenFolderCache::at(const std::string& folderPath)
{
    if (!opened_ || folderPath != path_) {
        opened_ = true;
        path_ = folderPath;
        folder_ = start_.folderAt(folderPath);
    }
    return folder_.ok() ? &folder_.value : nullptr;
}

}  // namespace velmorane::engine
