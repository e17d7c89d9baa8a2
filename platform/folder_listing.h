#pragma once

#include "platform/file_attributes.h"
#include "platform/file_status.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmorane::platform {

// A listed file: a regular file, or a symbolic link, whose size is the length of its target text
// and whose time is the link's own.
struct FileRecord {
    std::string name;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // whole seconds since the epoch
    bool isLink = false;
    // Extended attributes or ACLs that a copy carries: their values are compared only then.
    bool hasAttributes = false;
    std::int32_t modifiedNanoseconds = 0;  // within that second
    Permissions permissions;
    FileIdentity identity;  // what the record of moves knows the file by
};

// A listed file's modification time in nanoseconds since the epoch.
inline std::int64_t modifiedTimeOf(const FileRecord& file)
{
    return file.modified * 1'000'000'000 + file.modifiedNanoseconds;
}

// One folder read once: its sub-folders (links to folders are files, never descended) and its files.
// Sockets, FIFOs and device nodes are never mirrored: they are kept apart, so that one standing
// where the other side has an entry can be removed. The lists are sorted by name ignoring case,
// ties by exact byte order.
struct FolderContent {
    std::vector<std::string> subFolders;
    std::vector<FileRecord> files;
    std::vector<FileRecord> specialFiles;
    Permissions permissions;  // the folder's own
};

// Reads a folder just opened (a handle is read once); a copy's temporary file
// (platform/temporary_name.h) is never listed.
Result<FolderContent> readFolder(const FolderHandle& folder);
Result<FolderContent> readFolder(const std::string& path);

// The existence test of a start folder: an existing folder passes, even an empty one.
bool folderExists(const std::string& path);

}  // namespace velmorane::platform
