#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <string>

namespace velmorane::platform {

// Whether two entries hold the same bytes: files read side by side in large blocks up to the first
// difference, links by their target text. A file that changes while it is read proves nothing:
// both files' size, time and change time must be the same after reading as before.
Result<bool> sameBytes(const FolderHandle& firstFolder, const std::string& firstName,
                       const FolderHandle& secondFolder, const std::string& secondName);

}  // namespace velmorane::platform
