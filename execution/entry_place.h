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

// One folder below a start folder kept open while the entries of that folder are looked at one
// after another; the next folder asked for closes it.
class OpenFolderCache {
public:
    explicit OpenFolderCache(const std::string& rootPath);

    // The folder at a path below the start folder (as entries name it), or nothing when it cannot
    // be opened.
    const platform::FolderHandle* at(const std::string& folderPath);

private:
    const std::string rootPath_;
    platform::Result<platform::FolderHandle> root_;
    bool opened_ = false;
    std::string path_;
    platform::Result<platform::FolderHandle> folder_;
};

}  // namespace velmorane::execution
