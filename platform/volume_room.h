#pragma once

#include "platform/folder_handle.h"

#include <cstdint>
#include <optional>

namespace velmorane::platform {

// The volume that holds an open folder, by its device number; nothing when it cannot be looked at.
std::optional<std::uint64_t> volumeOfFolder(const FolderHandle& folder);

// The bytes the user may still write on the volume of an open folder; nothing where the volume
// does not say (fusefat answers 0 for its size and its room alike).
std::optional<std::uint64_t> roomLeft(const FolderHandle& folder);

}  // namespace velmorane::platform
