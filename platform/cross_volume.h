#pragma once

#include "platform/volume.h"

#include <string>

namespace velmorane::platform {

// Requests that read one volume's entries while another's are written or compared: the entries
// of a volume of another kind are read through its own requests. Never from a completion.

// A source only read: the requests are not const, but reading changes nothing of it.
VolumeAccess& readable(const VolumeAccess& volume);

// Whether two entries hold the same bytes (links: the same target), reading both in pieces; a
// file that changes while it is read proves nothing.
Result<bool> sameBytesAcross(const VolumeAccess& first, const FolderRef& firstFolder, const std::string& firstName,
                             const VolumeAccess& second, const FolderRef& secondFolder, const std::string& secondName);

}  // namespace velmorane::platform
