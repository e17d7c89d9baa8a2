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
    const std::vector<Volume> volumes = parseMounts(mountsTableText());
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
