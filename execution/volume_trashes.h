#pragma once

#include "platform/folder_handle.h"
#include "platform/trash.h"
#include "platform/trash_ledger.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace velmorane::execution {

// The trashes of the volumes an execution deletes and replaces on. Whether a volume's trash can be
// used is decided once, at its first entry: where it cannot, entries go for good as they always
// did, and the report says so once per volume. Where it can, a copy that finds no room first
// removes old versions the program itself put in that trash, oldest first.
class VolumeTrashes {
public:
    // An entry of this folder that the trash did not take, about to be deleted or replaced for good
    // as before: the report names its volume when that volume has no usable trash.
    void goingForGood(const platform::FolderHandle& folder, const std::string& path);
    // What the execution put in a trash for good (a replacement done, a deletion).
    void remember(const platform::Trashing& trashing);
    // After a copy into this folder failed for want of room: removes the program's old versions from
    // its volume's trash until `bytes` fit, the trashing in progress staying. False when none went.
    bool makeRoom(const platform::FolderHandle& folder, const std::string& folderPath, std::uint64_t bytes,
                  const platform::Trashing* kept = nullptr);
    // Before a folder is copied, whose copy is not tried again: where the volume says that its bytes
    // will not fit, room is made as after a failed copy.
    void makeRoomAhead(const platform::FolderHandle& folder, const std::string& folderPath, std::uint64_t bytes);
    // Keeps the list of what the program trashed for the runs to come.
    void save();

    std::uint64_t bytesFreed() const { return bytesFreed_; }
    // The mount points of the volumes without a trash where entries were deleted or replaced.
    const std::set<std::string>& withoutTrash() const { return withoutTrash_; }

private:
    // The trash for the entries of this folder (absolute path); nothing when its volume has none.
    std::optional<std::string> trashFor(const platform::FolderHandle& folder, const std::string& folderPath);
    platform::TrashLedger& ledger();

    std::map<std::uint64_t, std::optional<std::string>> trashes_;
    std::optional<platform::TrashLedger> ledger_;  // read at its first use
    std::set<std::string> withoutTrash_;
    std::uint64_t bytesFreed_ = 0;
};

// Whether a failure says that the volume is full (or the user's quota spent).
bool lacksRoom(int error);

}  // namespace velmorane::execution
