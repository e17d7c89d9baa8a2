#pragma once

#include "platform/entry_records.h"
#include "platform/folder_handle.h"
#include "platform/progress.h"
#include "platform/system_error.h"

#include <functional>
#include <string>
#include <string_view>

namespace velmorane::platform {

// Every operation below names an entry by an open folder and a plain name: nothing re-resolves a
// path, and a link is acted on as a link, never followed.

// Past a file-size limit (a full disk for a user with a quota) a write must fail with EFBIG and be
// reported, rather than end the program. Every writer of the program calls this first.
void ignoreFileSizeSignal();

// What is at a name, without following a link; the error says why when nothing is there.
Result<EntryKind> lookUp(const FolderHandle& folder, std::string_view name);
Result<EntryKind> lookUp(const std::string& path);

// Copies a regular file, or a link as a link, keeping content, modification time and the
// permission bits the volume can keep. The copy is written to a temporary file in the destination
// folder and put in place only when whole. The control hears of each piece of a large file.
MaybeError copyFile(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                    std::string_view toName, CopyMode mode, RunControl& control);

// Creates the folder `toName` (a taken name fails) and copies the source folder's whole content
// into it; folder times and permission bits are set after their content, failure or not. A failure
// part-way does not stop the rest: the first one is returned, naming the file inside the folder.
// A stop asked through the control ends the copy between two files, the folders made keeping their
// bits and times.
FolderCopyOutcome copyFolder(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                             std::string_view toName, RunControl& control, const EntryFilter& leavesOut = {});

// Grants the owner write permission and leaves every other bit; a link is left as it is.
MaybeError clearReadOnly(const FolderHandle& folder, std::string_view name);

// Removes a file or a link (never what it points to), read-only or not.
MaybeError deleteFile(const FolderHandle& folder, std::string_view name);
// Removes a folder and all its content, even where a sub-folder lacks write permission. A link in
// the folder's place is not entered. What the filter leaves out stays, with the folders holding it.
MaybeError deleteFolder(const FolderHandle& folder, std::string_view name, const EntryFilter& leavesOut = {});

// Removes the temporary files that copies of a killed program left in a folder; a user's file,
// whatever its name, is not taken for one. Best effort: what cannot be removed stays.
void removeLeftoverTemporaries(const FolderHandle& folder);

}  // namespace velmorane::platform
