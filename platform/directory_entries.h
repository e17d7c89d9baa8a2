#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <functional>
#include <string_view>

namespace velmorane::platform {

// Calls `visit` with the name and the listing's type (DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN...) of each
// entry of an open folder, "." and ".." left out. Reads straight from the handle's descriptor, with
// no copy of it: a handle is read whole once, from where it was opened.
MaybeError forEachDirectoryEntry(const FolderHandle& folder,
                                 const std::function<void(std::string_view name, unsigned char type)>& visit);

}  // namespace velmorane::platform
