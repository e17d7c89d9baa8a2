#include "execution/volume_trashes.h"

#include "platform/paths.h"
#include "platform/volume_room.h"
#include "platform/volumes.h"

#include <cerrno>

namespace velmorane::execution {
namespace {

// A file takes whole clusters, and its folder may need one more: what is freed beyond its size.
constexpr std::uint64_t kSlack = std::uint64_t{1} << 20;

}  // namespace

std::optional<std::string> VolumeTrashes::trashFor(const platform::FolderHandle& folder, const std::string& folderPath)
{
    const auto volume = platform::volumeOfFolder(folder);
    if (!volume) return platform::usableTrash(folder, folderPath);
    const auto [known, added] = trashes_.try_emplace(*volume);
    if (added) known->second = platform::usableTrash(folder, folderPath);
    return known->second;
}

void VolumeTrashes::goingForGood(const platform::FolderHandle& folder, const std::string& path)
{
    if (!trashFor(folder, platform::parentFolder(path))) withoutTrash_.insert(platform::topFolderOf(path));
}

void VolumeTrashes::remember(const platform::Trashing& trashing)
{
    ledger().add(trashing);
}

bool VolumeTrashes::makeRoom(const platform::FolderHandle& folder, const std::string& folderPath, std::uint64_t bytes,
                             const platform::Trashing* kept)
{
    const auto trash = trashFor(folder, folderPath);
    if (!trash) return false;
    // Where the volume does not say how much room is left, the whole entry is made room for.
    const std::uint64_t wanted = bytes + kSlack;
    const std::uint64_t room = platform::roomLeft(folder).value_or(0);
    const std::uint64_t freed = ledger().free(*trash, room < wanted ? wanted - room : kSlack, kept);
    bytesFreed_ += freed;
    return freed > 0;
}

void VolumeTrashes::makeRoomAhead(const platform::FolderHandle& folder, const std::string& folderPath,
                                  std::uint64_t bytes)
{
    const auto room = platform::roomLeft(folder);
    if (room && *room < bytes + kSlack) makeRoom(folder, folderPath, bytes);
}

void VolumeTrashes::save()
{
    // What cannot be written costs only the freeing of this execution's entries in later runs.
    if (ledger_) {
        [[maybe_unused]] const auto failure = ledger_->save();
    }
}

platform::TrashLedger& VolumeTrashes::ledger()
{
    if (!ledger_) ledger_.emplace();
    return *ledger_;
}

bool lacksRoom(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

}  // namespace velmorane::execution
