#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::testing {

// The removable media people mirror onto, each through the driver a desktop would use:
// FAT32 through the user-space driver fusefat, exFAT on a loop device through exfat-fuse.
enum class VolumeKind { Fat32, ExFat };

std::string_view volumeKindName(VolumeKind kind);

// Why an image of this kind cannot be mounted here (not root, no /dev/fuse, a tool missing), in
// one sentence for GTEST_SKIP; empty when it can.
std::string whyNotMountable(VolumeKind kind);

// A fresh file-system image made in `folder` and mounted on `folder`/<kind name>. The destructor
// unmounts it (retrying while it is busy) and detaches its loop device. A step that fails throws
// std::runtime_error with the tool's output, after undoing the steps done before it.
class MountedVolume {
public:
    MountedVolume(VolumeKind kind, const std::string& folder);
    ~MountedVolume();
    MountedVolume(const MountedVolume&) = delete;
    MountedVolume& operator=(const MountedVolume&) = delete;

    const std::string& mountPoint() const { return mountPoint_; }

private:
    // Attached to an image by its constructor, detached by its destructor.
    class LoopDevice {
    public:
        explicit LoopDevice(const std::string& image);
        ~LoopDevice();
        LoopDevice(const LoopDevice&) = delete;
        LoopDevice& operator=(const LoopDevice&) = delete;
        const std::string& device() const { return device_; }

    private:
        std::string device_;
    };

    // Made by a mount tool in its constructor, unmounted by its destructor.
    class Mount {
    public:
        // `command`: the mount tool's name, then its arguments.
        Mount(const std::vector<std::string>& command, const std::string& mountPoint);
        ~Mount();
        Mount(const Mount&) = delete;
        Mount& operator=(const Mount&) = delete;

    private:
        std::string mountPoint_;
    };

    std::string mountPoint_;
    std::optional<LoopDevice> loop_;  // declared before mount_: the volume is unmounted first
    std::optional<Mount> mount_;
};

}  // namespace velmorane::testing
