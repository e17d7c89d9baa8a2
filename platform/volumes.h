#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// A mounted volume that holds a real file system: what the drive list offers.
struct Volume {
    std::string mountPoint;
    std::string device;
    std::string type;
};

// The volumes listed in a mounts table (the text of /proc/self/mounts), pseudo file systems left
// out, each mount point once, sorted by path. The root is always there.
std::vector<Volume> parseMounts(std::string_view mountsText);

// The volumes of this machine whose mount point is a folder that can be read.
std::vector<Volume> mountedVolumes();

// The mount point that holds a path: the longest one that is a prefix of it, "/" at worst.
std::string volumeOf(const std::string& path, const std::vector<Volume>& volumes);

// The top folder of the volume a path lies on: the longest mount point of this machine that is a
// prefix of it, memory file systems included, "/" at worst.
std::string topFolderOf(const std::string& path);

// File systems that keep file times to 2 seconds (FAT, in the kernel or in user space), by the
// type names of the mounts table.
bool keepsTwoSecondTimes(std::string_view type);
// Whether a folder lies on such a file system.
bool folderKeepsTwoSecondTimes(const std::string& folder);

// The user-space FAT driver fusefat leaves a renamed folder empty and its content lost: whether a
// folder lies on it, where no folder may be renamed.
bool folderRenameLosesContent(const std::string& folder);

}  // namespace velmorane::platform
