#pragma once

#include "platform/entry_records.h"
#include "platform/volume.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace velmorane::execution {

// The trash of the volume an execution deletes and replaces on. Whether it can be used is decided
// once, at its first entry: where it cannot, entries go for good as they always did, and the report
// says so once per volume. Where it can, a copy that finds no room first removes old versions the
// program itself put in that trash, oldest first.
class VolumeTrashes {
public:
    explicit VolumeTrashes(platform::VolumeAccess& volume) : volume_(volume) {}

    // An entry of this folder that the trash did not take, about to be deleted or replaced for good
    // as before: the report names its volume when that volume has no usable trash.
    void goingForGood(const platform::FolderRef& folder);
    // What the execution put in a trash for good (a replacement done, a deletion).
    void remember(const platform::Trashing& trashing);
    // After a copy into this folder failed for want of room: removes the program's old versions from
    // its volume's trash until `bytes` fit, the trashing in progress staying. False when none went.
    bool makeRoom(const platform::FolderRef& folder, std::uint64_t bytes, const platform::Trashing* kept = nullptr);
    // Before a folder is copied, whose copy is not tried again: where the volume says that its bytes
    // will not fit, room is made as after a failed copy.
    void makeRoomAhead(const platform::FolderRef& folder, std::uint64_t bytes);
    // Keeps the list of what the program trashed for the runs to come.
    void save();

    // Once the execution is over: what it freed, and the mount points of the volumes without a
    // trash where entries were deleted or replaced.
    std::uint64_t bytesFreed() const { return bytesFreed_; }
    const std::set<std::string>& withoutTrash() const { return withoutTrash_; }

private:
    std::optional<std::uint64_t> roomLeft(const platform::FolderRef& folder);

    platform::VolumeAccess& volume_;
    // The workers of an execution share it: room is made for one copy at a time.
    std::mutex mutex_;
    std::set<std::string> withoutTrash_;
    std::uint64_t bytesFreed_ = 0;
};

// Whether a failure says that the volume is full (or the user's quota spent).
bool lacksRoom(int error);

}  // namespace velmorane::execution
