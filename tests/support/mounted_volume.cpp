#include "tests/support/mounted_volume.h"

#include "tests/support/child_process.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velmorane::testing {
namespace {

constexpr std::int64_t kImageBytes = 64 << 20;  // above the 32 MiB that FAT32 needs at least
constexpr int kBusyRetries = 50;
constexpr auto kBusyPause = std::chrono::milliseconds(100);

struct Tool {
    const char* name;
    const char* package;
};

std::vector<Tool> toolsFor(VolumeKind kind)
{
    if (kind == VolumeKind::Fat32) return {{"mkfs.vfat", "dosfstools"}, {"fusefat", "fusefat"}, {"umount", "mount"}};
    if (kind == VolumeKind::Ext4) return {{"mkfs.ext4", "e2fsprogs"}, {"mount", "mount"}, {"umount", "mount"}};
    if (kind == VolumeKind::Tmpfs) return {{"mount", "mount"}, {"umount", "mount"}};
    return {{"mkfs.exfat", "exfatprogs"},
            {"losetup", "mount"},
            {"mount.exfat-fuse", "exfat-fuse"},
            {"umount", "mount"}};
}

// The full path of a system tool, or "" when it is not installed.
std::string toolPath(const std::string& name)
{
    for (const char* folder : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
        const std::string path = std::string(folder) + "/" + name;
        if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return "";
}

// Runs a tool to its end; its standard output when it succeeded, else an exception with what it said.
std::string runTool(const std::string& name, const std::vector<std::string>& arguments,
                    const DriverEnvironment& environment = {})
{
    const std::string path = toolPath(name);
    if (path.empty()) throw std::runtime_error(name + " is not installed");
    const ProgramRun run = runProgram(path, arguments, "/", environment);
    if (run.exitCode != 0) {
        const std::string status = std::to_string(run.exitCode);
        throw std::runtime_error(name + " ended with status " + status + ": " + run.err + run.out);
    }
    return run.out;
}

bool succeeds(const std::string& name, const std::vector<std::string>& arguments)
{
    return runProgram(toolPath(name), arguments, "/").exitCode == 0;
}

// A folder is a mount point while it lies on another device than its parent; a FUSE mount whose
// driver died cannot even be looked at, and still needs unmounting.
bool isMounted(const std::string& mountPoint)
{
    struct stat own{}, parent{};
    if (::stat(mountPoint.c_str(), &own) != 0) return true;
    return ::stat((mountPoint + "/..").c_str(), &parent) != 0 || own.st_dev != parent.st_dev;
}

void makeImage(VolumeKind kind, const std::string& image)
{
    const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, kImageBytes) == 0;  // sparse: costs no disk
    if (fd >= 0) ::close(fd);
    if (!sized) throw std::runtime_error("cannot make the image " + image);
    if (kind == VolumeKind::Fat32) {
        runTool("mkfs.vfat", {"-F", "32", image});
    } else if (kind == VolumeKind::Ext4) {
        runTool("mkfs.ext4", {"-q", image});
    } else {
        runTool("mkfs.exfat", {image});
    }
}

}  // namespace

std::string_view volumeKindName(VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Fat32: return "FAT32";
    case VolumeKind::ExFat: return "exFAT";
    case VolumeKind::Ext4: return "ext4";
    case VolumeKind::Tmpfs: return "tmpfs";
    }
    return "";
}

std::string whyNotMountable(VolumeKind kind)
{
    if (::geteuid() != 0) return "mounting a file-system image needs root (CI runs the tests as root)";
    const bool fuse = kind == VolumeKind::Fat32 || kind == VolumeKind::ExFat;
    if (fuse && ::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is missing: this machine has no FUSE";
    const bool loop = kind == VolumeKind::ExFat || kind == VolumeKind::Ext4;
    if (loop && ::access("/dev/loop-control", R_OK | W_OK) != 0) {
        return "/dev/loop-control is missing: this machine has no loop devices";
    }
    for (const Tool& tool : toolsFor(kind)) {
        if (toolPath(tool.name).empty()) {
            return std::string(tool.name) + " is missing: scripts/install-deps installs the package " + tool.package;
        }
    }
    return "";
}

MountedVolume::MountedVolume(VolumeKind kind, const std::string& folder, const DriverEnvironment& environment)
    : kind_(kind), mountPoint_(folder + "/" + std::string(volumeKindName(kind))), image_(mountPoint_ + ".img")
{
    if (kind != VolumeKind::Tmpfs) makeImage(kind, image_);
    if (::mkdir(mountPoint_.c_str(), 0755) != 0) throw std::runtime_error("cannot make the mount point " + mountPoint_);
    mount(environment);
}

void MountedVolume::remount(const DriverEnvironment& environment)
{
    release();
    mount(environment);
}

void MountedVolume::mountAnother()
{
    if (kind_ == VolumeKind::Tmpfs) throw std::runtime_error("a tmpfs has no image to swap");
    release();
    const std::string first = mountPoint_ + ".img", second = mountPoint_ + ".autre.img";
    if (image_ == first && ::access(second.c_str(), F_OK) != 0) makeImage(kind_, second);
    image_ = image_ == first ? second : first;
    mount({});
}

void MountedVolume::mount(const DriverEnvironment& environment)
{
    try {
        // Both drivers go to the background once the volume is mounted, their output closed.
        if (kind_ == VolumeKind::Fat32) {
            runTool("fusefat", {"-o", "rw+", image_, mountPoint_}, environment);  // without "rw+" it mounts read-only
        } else if (kind_ == VolumeKind::Ext4) {
            // The kernel's driver: its loop device goes by itself when the volume is unmounted.
            runTool("mount", {"-t", "ext4", "-o", "loop", image_, mountPoint_});
        } else if (kind_ == VolumeKind::ExFat) {
            loopDevice_ = runTool("losetup", {"--find", "--show", image_});
            while (!loopDevice_.empty() && loopDevice_.back() == '\n') loopDevice_.pop_back();
            runTool("mount.exfat-fuse", {loopDevice_, mountPoint_}, environment);
        } else {
            runTool("mount", {"-t", "tmpfs", "-o", "size=2g", "tmpfs", mountPoint_});
        }
        if (!isMounted(mountPoint_)) throw std::runtime_error("nothing was mounted on " + mountPoint_);
    } catch (const std::runtime_error&) {
        release();
        throw;
    }
}

MountedVolume::~MountedVolume()
{
    release();
}

void MountedVolume::release()
{
    for (int attempt = 0; attempt < kBusyRetries && isMounted(mountPoint_); ++attempt) {
        if (succeeds("umount", {mountPoint_})) break;
        std::this_thread::sleep_for(kBusyPause);
    }
    // Still busy: detach it from the tree, so that removing the test folder never reaches the image.
    if (isMounted(mountPoint_)) succeeds("umount", {"-l", mountPoint_});
    // The FUSE driver may still hold the device for a moment after the unmount.
    for (int attempt = 0; !loopDevice_.empty() && attempt < kBusyRetries; ++attempt) {
        if (succeeds("losetup", {"-d", loopDevice_})) break;
        std::this_thread::sleep_for(kBusyPause);
    }
    loopDevice_.clear();
}

TemporaryMount::TemporaryMount(Kind kind, const std::string& mountPoint, const std::string& what)
    : mountPoint_(mountPoint)
{
    if (kind == Kind::Tmpfs) {
        std::vector<std::string> arguments{"-t", "tmpfs", "velmorane-test", mountPoint_};
        if (!what.empty()) arguments.insert(arguments.end(), {"-o", "size=" + what});
        runTool("mount", arguments);
    } else {
        runTool("mount", {"--bind", what, mountPoint_});
    }
    mounted_ = true;
}

TemporaryMount::~TemporaryMount()
{
    unmount();
}

std::string TemporaryMount::whyNotRoot()
{
    return ::geteuid() == 0 ? "" : "mounting needs root (CI runs the tests as root)";
}

void TemporaryMount::unmount()
{
    for (int attempt = 0; mounted_ && attempt < kBusyRetries; ++attempt) {
        if (succeeds("umount", {mountPoint_})) mounted_ = false;
        if (mounted_) std::this_thread::sleep_for(kBusyPause);
    }
    if (mounted_) succeeds("umount", {"-l", mountPoint_});
    mounted_ = false;
}

}  // namespace velmorane::testing
