#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmorane::testing {

// The removable media people mirror onto, each through the driver a desktop would use:
// FAT32 through the user-space driver fusefat, exFAT on a loop device through exfat-fuse; an ext4
// disk of its own on a loop device, for a volume with every Unix feature; and a tmpfs, which keeps
// large extended attributes, ACLs and holes.
enum class VolumeKind { Fat32, ExFat, Ext4, Tmpfs };

// Variables the driver is started with, such as TZ: FAT keeps local times.
using DriverEnvironment = std::vector<std::pair<std::string, std::string>>;

std::string_view volumeKindName(VolumeKind kind);

// Why an image of this kind cannot be mounted here (not root, no /dev/fuse, a tool missing), in
// one sentence for GTEST_SKIP; empty when it can.
std::string whyNotMountable(VolumeKind kind);

// A fresh file-system image made in `folder` (a tmpfs needs none) and mounted on
// `folder`/<kind name>. The destructor
// unmounts it (retrying while it is busy) and detaches its loop device. A step that fails throws
// std::runtime_error with the tool's output, after undoing the steps done before it.
class MountedVolume {
public:
    MountedVolume(VolumeKind kind, const std::string& folder, const DriverEnvironment& environment = {});
    ~MountedVolume();
    MountedVolume(const MountedVolume&) = delete;
    MountedVolume& operator=(const MountedVolume&) = delete;

    const std::string& mountPoint() const { return mountPoint_; }

    // Unmounts the volume and mounts its image again, the driver started with these variables.
    void remount(const DriverEnvironment& environment);
    // Unmounts the volume and mounts another key at the same place, as when a key is swapped for
    // another: a fresh image the first time, then the two images in turn. Not for a tmpfs.
    void mountAnother();

private:
    void mount(const DriverEnvironment& environment);
    // Unmounts the volume (retrying while it is busy) and detaches its loop device, if any.
    void release();

    VolumeKind kind_;
    std::string mountPoint_;
    std::string image_;
    std::string loopDevice_;  // empty for FUSE drivers that read the image themselves
};

// A tmpfs, or another folder seen a second time (a bind mount), mounted on an existing folder until
// unmount() or the destructor. Root only: whyNotRoot() says why not, for GTEST_SKIP.
class TemporaryMount {
public:
    enum class Kind { Tmpfs, Bind };
    // `what` is the folder to bind, or for a tmpfs its size as mount takes it ("1m"; none: the default).
    TemporaryMount(Kind kind, const std::string& mountPoint, const std::string& what = {});
    ~TemporaryMount();
    TemporaryMount(const TemporaryMount&) = delete;
    TemporaryMount& operator=(const TemporaryMount&) = delete;

    static std::string whyNotRoot();
    void unmount();

private:
    std::string mountPoint_;
    bool mounted_ = false;
};

}  // namespace velmorane::testing
