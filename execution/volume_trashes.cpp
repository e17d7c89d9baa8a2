#include "execution/volume_trashes.h"

#include "platform/awaited_answer.h"
#include "platform/paths.h"

#include <cerrno>

namespace velmorane::execution {
namespace {

using platform::Result;

// A file takes whole clusters, and its folder may need one more: what is freed beyond its size.
constexpr std::uint64_t kSlack = std::uint64_t{1} << 20;

}  // namespace

void VolumeTrashes::goingForGood(const platform::FolderRef& folder)
{
    const auto without = platform::awaited<Result<std::optional<std::string>>>(
        [&](auto done) { volume_.volumeWithoutTrash(folder, done); });
    if (!without.ok() || !without.value) return;
    std::lock_guard held(mutex_);
    withoutTrash_.insert(*without.value);
}

void VolumeTrashes::remember(const platform::Trashing& trashing)
{
    [[maybe_unused]] const auto kept =
        platform::awaited<platform::MaybeError>([&](auto done) { volume_.recordTrashed(trashing, done); });
}

std::optional<std::uint64_t> VolumeTrashes::roomLeft(const platform::FolderRef& folder)
{
    const auto room =
        platform::awaited<Result<std::optional<std::uint64_t>>>([&](auto done) { volume_.roomLeft(folder, done); });
    return room.ok() ? room.value : std::nullopt;
}

bool VolumeTrashes::makeRoom(const platform::FolderRef& folder, std::uint64_t bytes, const platform::Trashing* kept)
{
    std::lock_guard held(mutex_);
    // Where the volume does not say how much room is left, the whole entry is made room for.
    const std::uint64_t wanted = bytes + kSlack;
    const std::uint64_t room = roomLeft(folder).value_or(0);
    const std::optional<platform::Trashing> inProgress = kept ? std::optional(*kept) : std::nullopt;
    const auto freed = platform::awaited<Result<std::uint64_t>>([&](auto done) {
        volume_.freeTrash(folder, room < wanted ? wanted - room : kSlack, inProgress, done);
    });
    if (!freed.ok()) return false;
    bytesFreed_ += freed.value;
    return freed.value > 0;
}

void VolumeTrashes::makeRoomAhead(const platform::FolderRef& folder, std::uint64_t bytes)
{
    const auto room = roomLeft(folder);
    if (room && *room < bytes + kSlack) makeRoom(folder, bytes);
}

void VolumeTrashes::save()
{
    // What cannot be written costs only the freeing of this execution's entries in later runs.
    [[maybe_unused]] const auto failure =
        platform::awaited<platform::MaybeError>([&](auto done) { volume_.saveTrashRecord(done); });
}

bool lacksRoom(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

}  // namespace velmorane::execution
