#include "platform/volumes.h"

#include "platform/paths.h"

#include <algorithm>
#include <optional>
#include <array>
#include <filesystem>
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

bool isReadableFolder(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

std::string fileText(const char* path)
{
    std::ifstream file(path);
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

// File systems of keys, cards and discs, and of network shares.
constexpr std::array<std::string_view, 15> kComingAndGoingTypes = {
    "vfat", "msdos", "exfat", "ntfs", "ntfs3", "iso9660", "udf", "hfsplus",
    "nfs",  "nfs4",  "cifs",  "smb3", "smbfs", "afs",     "ceph"};

// The kernel's entry of a block device: its folder under the disk that holds it, for a partition.
bool kernelCallsRemovable(const std::string& device, const std::string& sysBlock)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(device, error);
    const std::string name = error ? lastComponent(device) : real.filename().string();
    const std::filesystem::path entry = std::filesystem::canonical(joinPath(sysBlock, name), error);
    if (error) return false;
    if (entry.string().find("/usb") != std::string::npos) return true;
    for (const auto& folder : {entry, entry.parent_path()}) {
        std::ifstream flag(folder / "removable");
        std::string value;
        if (std::getline(flag, value) && value == "1") return true;
    }
    return false;
}

}  // namespace

std::string decodeOctalEscapes(std::string_view field)
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

std::string encodeOctalEscapes(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte < 0x7F && c != '\\') {
            out += c;
            continue;
        }
        out += '\\';
        for (const int shift : {6, 3, 0}) out += static_cast<char>('0' + ((byte >> shift) & 7));
    }
    return out;
}

std::string mountsTableText()
{
    return fileText("/proc/self/mounts");
}

std::vector<std::string> fstabMountPoints(const std::string& fstabPath)
{
    std::vector<std::string> points;
    std::istringstream lines{fileText(fstabPath.c_str())};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint) || device.starts_with('#')) continue;
        std::string folder = withoutTrailingSeparator(decodeOctalEscapes(mountPoint));
        if (folder.starts_with(kSeparator)) points.push_back(std::move(folder));
    }
    return points;
}

std::vector<Volume> parseMounts(std::string_view mountsText, MountKinds kinds)
{
    std::vector<Volume> volumes;
    std::istringstream lines{std::string(mountsText)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        if (kinds == MountKinds::RealFileSystems && isPseudoType(type)) continue;
        Volume volume{withoutTrailingSeparator(decodeOctalEscapes(mountPoint)), decodeOctalEscapes(device), type};
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
    std::vector<Volume> volumes = parseMounts(mountsTableText());
    // A volume that cannot be read is left out silently, like a drive that is not ready; so is a
    // file mounted over a file.
    std::erase_if(volumes, [](const Volume& v) { return v.mountPoint != "/" && !isReadableFolder(v.mountPoint); });
    return volumes;
}

std::string volumeOf(const std::string& path, const std::vector<Volume>& volumes)
{
    std::string best = "/";
    for (const Volume& volume : volumes) {
        if (volume.mountPoint.size() > best.size() && liesIn(path, volume.mountPoint)) best = volume.mountPoint;
    }
    return best;
}

std::string topFolderOf(const std::string& path)
{
    return volumeOf(path, parseMounts(mountsTableText(), MountKinds::All));
}

VolumeTraits traitsOfType(std::string_view type)
{
    if (type == "vfat" || type == "msdos" || type == "fuse.fusefat") return kFatTraits;
    if (type == "exfat" || type == "fuse.exfat" || type == "fuseblk.exfat") return kExFatTraits;
    if (type == "ntfs" || type == "ntfs3" || type.starts_with("fuse")) return kWholeSecondTraits;
    return {};
}

std::optional<Volume> mountHolding(const std::string& folder)
{
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real)) return std::nullopt;
    const std::vector<Volume> volumes = parseMounts(mountsTableText());
    const std::string mountPoint = volumeOf(real, volumes);
    const auto volume = std::find_if(volumes.begin(), volumes.end(),
                                     [&](const Volume& v) { return v.mountPoint == mountPoint; });
    if (volume == volumes.end()) return std::nullopt;
    return *volume;
}

bool isRemovableOrNetwork(const Volume& volume, const std::string& sysBlock)
{
    const bool comingAndGoingType =
        volume.type.starts_with("fuse") ||
        std::find(kComingAndGoingTypes.begin(), kComingAndGoingTypes.end(), volume.type) != kComingAndGoingTypes.end();
    return comingAndGoingType || liesIn(volume.mountPoint, "/media") || liesIn(volume.mountPoint, "/run/media") ||
           (volume.device.starts_with("/dev/") && kernelCallsRemovable(volume.device, sysBlock));
}

bool folderRenameLosesContent(const std::string& folder)
{
    struct statfs info{};
    if (::statfs(folder.c_str(), &info) != 0 || info.f_type != FUSE_SUPER_MAGIC) return false;
    const auto volume = mountHolding(folder);
    return volume && volume->type == "fuse.fusefat";
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
    // A block device driver ("fuseblk") says what it is only on its device.
    const auto volume = mountHolding(folder);
    if (!volume) return kWholeSecondTraits;
    if (volume->type == "fuseblk") return bootSectorNamesNtfs(volume->device) ? kWholeSecondTraits : kExFatTraits;
    return traitsOfType(volume->type);
}

}  // namespace velmorane::platform
