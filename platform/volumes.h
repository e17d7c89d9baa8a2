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

// What a volume keeps of a file, by its file system.
enum class TimePrecision { Nanoseconds, Seconds, TwoSeconds };
struct VolumeTraits {
    TimePrecision times = TimePrecision::Nanoseconds;
    // FAT and exFAT store local time: read under another UTC offset, every time moves by an hour.
    bool localTimes = false;
    bool keepsPermissions = true;  // permission bits and owners
};

// By the type name of the mounts table. FAT, exFAT, NTFS and file systems in user space whose
// nature is unknown are taken to keep whole seconds and no permissions.
VolumeTraits traitsOfType(std::string_view type);
// The traits of the volume that holds a folder; a folder that cannot be looked at keeps nothing
// more than whole seconds.
VolumeTraits volumeTraits(const std::string& folder);

}  // namespace velmorane::platform
