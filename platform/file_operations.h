#pragma once

#include "platform/system_error.h"

#include <string>

namespace velmorane::platform {

enum class EntryKind { Missing, File, Link, Folder, Other };

// What is at a path, without following a final link; the error says why when nothing is there.
Result<EntryKind> lookUp(const std::string& path);

// Copies a regular file, or a symbolic link as a link, keeping content, modification time and
// permission bits. The copy is written to a temporary file beside the target and renamed over it
// only when whole, so the target is never half-written and a replaced file stays intact until then.
MaybeError copyFileAtomically(const std::string& from, const std::string& to);

// Copies a folder with all its content into `to` (created when missing, merged into it otherwise);
// folder times are set after their content. Never follows a link.
MaybeError copyFolder(const std::string& from, const std::string& to);

// Grants the owner write permission and leaves every other bit; a link is left as it is.
MaybeError clearReadOnly(const std::string& path);
bool isReadOnly(const std::string& path);

// Removes a file or a link (never what it points to), read-only or not.
MaybeError deleteFile(const std::string& path);
// Removes a folder and all its content, even where a sub-folder lacks write permission.
MaybeError deleteFolder(const std::string& path);

// Renames without ever replacing another file; a change of letter case of the same file is allowed.
MaybeError renameFile(const std::string& from, const std::string& to);

}  // namespace velmorane::platform
