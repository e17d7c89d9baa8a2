#pragma once

#include "platform/desktop_shares.h"
#include "platform/volumes.h"

#include <string>
#include <vector>

namespace velmorane::platform {

// An entry of the drive list: the top folder of a mounted volume or of a share of another machine,
// and the name the list shows it by.
struct Drive {
    std::string folder;
    std::string name;
};

// The volumes by their mount points (with their devices), then the shares by their readable names:
// a network mount is named for its share, and each share the desktop mounted is a drive of its own.
std::vector<Drive> drivesOf(const std::vector<Volume>& volumes, const std::vector<DesktopShare>& networkMounts,
                            const std::vector<DesktopShare>& desktopShares);

// The drives of this machine now: its volumes that can be read and its shares.
std::vector<Drive> machineDrives();

// The drive that holds a path or a server's address: the one whose folder is the longest prefix of
// it, "/" at worst.
std::string driveOf(const std::string& path, const std::vector<Drive>& drives);

}  // namespace velmorane::platform
