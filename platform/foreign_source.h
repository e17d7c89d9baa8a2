#pragma once

#include "platform/folder_handle.h"
#include "platform/progress.h"
#include "platform/volume.h"

#include <string>

namespace velmorane::platform {

// Copies onto a local volume from a volume of another kind (a server's), whose entries are read
// through its requests: content in pieces, then bits, owner as this user may give it, and time;
// a file under a temporary name until it is whole. Never from a completion.

MaybeError copyFileFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                               const FolderHandle& to, const std::string& toName, CopyMode mode, RunControl& control);
FolderCopyOutcome copyFolderFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                        const FolderHandle& to, const std::string& toName, RunControl& control,
                                        const EntryFilter& leavesOut);
MaybeError settleFolderFromForeign(const VolumeAccess& source, const FolderRef& from, const FolderHandle& to);
Result<bool> updateAttributesFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                         const FolderHandle& to, const std::string& toName);

}  // namespace velmorane::platform
