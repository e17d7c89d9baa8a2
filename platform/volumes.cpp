#include "platform/volumes.h"

#include "platform/paths.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include <climits>
#include <cstdlib>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// Kernel and memory file systems: nobody mirrors folders to or from these.
constexpr std::array<std::string_view, 26> kPseudoTypes = {
    "proc",       "sysfs",     "cgroup",      "cgroup2",  "devpts",     "devtmpfs",        "tmpfs",
    "ramfs",      "mqueue",    "debugfs",     "tracefs",  "securityfs", "pstore",          "bpf",
    "configfs",   "fusectl",   "hugetlbfs",   "autofs",   "binfmt_misc", "efivarfs",       "rpc_pipefs",
    "nsfs",       "selinuxfs", "squashfs",    "fuse.gvfsd-fuse", "fuse.portal"};

bool isPseudoType(std::string_view type)
{
    return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end();
}

// The mounts table writes a blank as \040, a tab as \011, a line break as \012 and "\" as \134.
std::string decodeField(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                           std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                                       [](char c) { return c >= '0' && c <= '7'; });
        if (octal) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool isPrefixFolder(const std::string& mountPoint, const std::string& path)
{
    if (mountPoint == "/") return !path.empty() && path.front() == '/';
    if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == kSeparator;
}

bool isReadableFolder(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

std::string readMountsTable()
{
    std::ifstream file("/proc/self/mounts");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::vector<Volume> parseMounts(std::string_view mountsText)
{
    std::vector<Volume> volumes;
    std::istringstream lines{std::string(mountsText)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type) || isPseudoType(type)) continue;
        Volume volume{withoutTrailingSeparator(decodeField(mountPoint)), decodeField(device), type};
        // A later mount over the same point hides the earlier one.
        std::erase_if(volumes, [&](const Volume& v) { return v.mountPoint == volume.mountPoint; });
        volumes.push_back(std::move(volume));
    }
    if (std::none_of(volumes.begin(), volumes.end(), [](const Volume& v) { return v.mountPoint == "/"; })) {
        volumes.push_back({"/", {}, {}});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

std::vector<Volume> mountedVolumes()
{
    std::vector<Volume> volumes = parseMounts(readMountsTable());
    // A volume that cannot be read is left out silently, like a drive that is not ready; so is a
    // file mounted over a file.
    std::erase_if(volumes, [](const Volume& v) { return v.mountPoint != "/" && !isReadableFolder(v.mountPoint); });
    return volumes;
}

std::string volumeOf(const std::string& path, const std::vector<Volume>& volumes)
{
    std::string best = "/";
    for (const Volume& volume : volumes) {
        if (volume.mountPoint.size() > best.size() && isPrefixFolder(volume.mountPoint, path)) best = volume.mountPoint;
    }
    return best;
}

std::string topFolderOf(const std::string& path)
{
    std::string best = "/";
    std::istringstream lines{readMountsTable()};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, field;
        if (!(fields >> device >> field)) continue;
        const std::string mountPoint = withoutTrailingSeparator(decodeField(field));
        if (mountPoint.size() > best.size() && isPrefixFolder(mountPoint, path)) best = mountPoint;
    }
    return best;
}

bool keepsTwoSecondTimes(std::string_view type)
{
    return type == "vfat" || type == "msdos" || type == "fuse.fusefat";
}

namespace {

// The type that a file system in user space gives in the mounts table; empty for one in the kernel.
std::string userSpaceTypeOf(const std::string& folder)
{
    struct statfs info{};
    if (::statfs(folder.c_str(), &info) != 0 || info.f_type != FUSE_SUPER_MAGIC) return {};
    // A file system in user space says what it is only in the mounts table.
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real)) return {};
    const std::vector<Volume> volumes = parseMounts(readMountsTable());
    const std::string mountPoint = volumeOf(real, volumes);
    const auto volume = std::find_if(volumes.begin(), volumes.end(),
                                     [&](const Volume& v) { return v.mountPoint == mountPoint; });
    return volume == volumes.end() ? std::string() : volume->type;
}

}  // namespace

bool folderKeepsTwoSecondTimes(const std::string& folder)
{
    struct statfs info{};
    if (::statfs(folder.c_str(), &info) != 0) return false;
    return info.f_type == MSDOS_SUPER_MAGIC || keepsTwoSecondTimes(userSpaceTypeOf(folder));
}

bool folderRenameLosesContent(const std::string& folder)
{
    return userSpaceTypeOf(folder) == "fuse.fusefat";
}

}  // namespace velmorane::platform
