#pragma once

#include "platform/entry_records.h"

#include <optional>
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
// out unless asked for (a tmpfs or a bind mount holds folders too), each mount point once, sorted
// by path. The root is always there.
enum class MountKinds { RealFileSystems, All };
std::vector<Volume> parseMounts(std::string_view mountsText, MountKinds kinds = MountKinds::RealFileSystems);

// The text of this process's mounts table.
std::string mountsTableText();

// The mount points that a file-system table (/etc/fstab) names, swap, comments and other entries
// that are not folders left out. None when it cannot be read.
std::vector<std::string> fstabMountPoints(const std::string& fstabPath);

// How the mounts table writes a path on one field: a blank as \040, a tab as \011, a line break
// as \012, "\" as \134.
std::string decodeOctalEscapes(std::string_view field);
// The other way, for every byte that is not a visible ASCII character: any path fits one field.
std::string encodeOctalEscapes(std::string_view text);

// The volumes of this machine whose mount point is a folder that can be read.
std::vector<Volume> mountedVolumes();

// The mount point that holds a path: the longest one that is a prefix of it, "/" at worst.
std::string volumeOf(const std::string& path, const std::vector<Volume>& volumes);

// The top folder of the volume a path lies on: the longest mount point of this machine that is a
// prefix of it, memory file systems included, "/" at worst.
std::string topFolderOf(const std::string& path);

// The volume that holds a folder, as the mounts table names it: a file system in user space says
// what it is only there. Nothing when the folder cannot be resolved.
std::optional<Volume> mountHolding(const std::string& folder);

// What a volume keeps of a file, by its file system.
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

// Whether a volume comes and goes, so that its top folder may hold what the user keeps nowhere
// else: a network share, a key's file system (FAT, exFAT, NTFS, optical discs, any user-space
// driver), a device that the kernel calls removable or that hangs on USB (as `sysBlock`, the
// kernel's folder of block devices, says), or whatever desktops mount under /media or /run/media.
bool isRemovableOrNetwork(const Volume& volume, const std::string& sysBlock = "/sys/class/block");

// The user-space FAT driver fusefat leaves a renamed folder empty and its content lost: whether a
// folder lies on it, where no folder may be renamed.
bool folderRenameLosesContent(const std::string& folder);

}  // namespace velmorane::platform
