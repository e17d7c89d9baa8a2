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

constexpr VolumeTraits kFatTraits{TimePrecision::TwoSeconds, true, false};
constexpr VolumeTraits kExFatTraits{TimePrecision::Seconds, true, false};
constexpr VolumeTraits kWholeSecondTraits{TimePrecision::Seconds, false, false};

constexpr decltype(statfs::f_type) kExFatMagic = 0x2011BAB0;
constexpr decltype(statfs::f_type) kNtfsMagic = 0x5346544e;
constexpr decltype(statfs::f_type) kNtfs3Magic = 0x7366746e;

// NTFS names itself at byte 3 of its first sector. A device that cannot be read (a plain user's
// key) is taken for exFAT, the usual volume behind that driver: at worst an edit of exactly one
// hour that keeps the size goes unseen.
bool bootSectorNamesNtfs(const std::string& device)
{
    std::ifstream file(device, std::ios::binary);
    char start[11] = {};
    if (!file.read(start, sizeof start)) return false;
    return std::string_view(start + 3, 8) == "NTFS    ";
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

VolumeTraits traitsOfType(std::string_view type)
{
    if (type == "vfat" || type == "msdos" || type == "fuse.fusefat") return kFatTraits;
    if (type == "exfat" || type == "fuse.exfat" || type == "fuseblk.exfat") return kExFatTraits;
    if (type == "ntfs" || type == "ntfs3" || type.starts_with("fuse")) return kWholeSecondTraits;
    return {};
}

VolumeTraits volumeTraits(const std::string& folder)
{
    struct statfs info{};
    if (::statfs(folder.c_str(), &info) != 0) return kWholeSecondTraits;
    switch (info.f_type) {
    case MSDOS_SUPER_MAGIC: return kFatTraits;
    case kExFatMagic: return kExFatTraits;
    case kNtfsMagic:
    case kNtfs3Magic: return kWholeSecondTraits;
    case FUSE_SUPER_MAGIC: break;
    default: return {};
    }
    // A file system in user space says what it is only in the mounts table, and a block device
    // driver ("fuseblk") only on its device.
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real)) return kWholeSecondTraits;
    const std::vector<Volume> volumes = parseMounts(readMountsTable());
    const std::string mountPoint = volumeOf(real, volumes);
    const auto volume = std::find_if(volumes.begin(), volumes.end(),
                                     [&](const Volume& v) { return v.mountPoint == mountPoint; });
    if (volume == volumes.end()) return kWholeSecondTraits;
    if (volume->type == "fuseblk") return bootSectorNamesNtfs(volume->device) ? kWholeSecondTraits : kExFatTraits;
    return traitsOfType(volume->type);
}

}  // namespace velmorane::platform
