#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <string>

namespace velmorane::execution {

// An entry's parent folder, opened one name at a time from the start folder, and its own name.
struct Place {
    platform::FolderHandle folder;
    std::string name;
};

// The place of a path below a start folder whose path (with its trailing "/") is given; a path
// outside it is a malformed entry.
platform::Result<Place> placeOf(const platform::Result<platform::FolderHandle>& root, const std::string& rootPath,
                                const std::string& path);

// The folder at a path below a start folder, or the start folder itself.
platform::Result<platform::FolderHandle> folderAt(const platform::Result<platform::FolderHandle>& root,
                                                  const std::string& rootPath, const std::string& path);

}  // namespace velmorane::execution
