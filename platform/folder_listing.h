#pragma once

#include "platform/copying_user.h"
#include "platform/entry_records.h"
#include "platform/file_attributes.h"
#include "platform/file_status.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <string>
#include <string_view>

namespace velmorane::platform {

// What a listing needs besides its folder: whose copies the attributes are for, the folder's place
// below the start folder ("" or "a/b/") and what the last run left as it is there.
struct ListingContext {
    const CopyingUser& user;
    std::string_view relativeFolder;
    const AttributesAsLastRun& asLastRun;
};

// Reads a folder just opened (a handle is read once); a copy's temporary file
// (platform/temporary_name.h) is never listed. The files the last run left as they are now are not
// asked for their attributes.
Result<FolderContent> readFolder(const FolderHandle& folder, const ListingContext& context);
Result<FolderContent> readFolder(const FolderHandle& folder);
Result<FolderContent> readFolder(const std::string& path);

// Puts a folder's lists in the order FolderContent gives them, whichever order they were read in.
void sortContent(FolderContent& content);

// The existence test of a start folder: an existing folder passes, even an empty one.
bool folderExists(const std::string& path);

}  // namespace velmorane::platform
