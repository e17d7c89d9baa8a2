#include "platform/volume_identity.h"

#include "platform/directory_entries.h"
#include "platform/folder_handle.h"
#include "platform/paths.h"

#include <blkid/blkid.h>

#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace velmorane::platform {
namespace {

constexpr std::string_view kUuid = "UUID=";
constexpr std::string_view kLabel = "LABEL=";

std::optional<dev_t> blockDeviceNumber(const std::string& device)
{
    struct stat info{};
    if (device.empty() || ::stat(device.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return std::nullopt;
    return info.st_rdev;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// udev writes a label with "\x20" for a blank, and so on for every byte it finds unsafe.
std::string decodeHexEscapes(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escaped = i + 3 < text.size() && text.substr(i, 2) == "\\x" && hexDigit(text[i + 2]) >= 0 &&
                             hexDigit(text[i + 3]) >= 0;
        if (escaped) {
            out += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// udev's record of a block device: its properties as "E:NAME=value" lines.
std::optional<std::string> fromUdev(dev_t number, const std::string& udevData)
{
    std::string name = "b";
    name += std::to_string(::major(number));
    name += ':';
    name += std::to_string(::minor(number));
    std::ifstream record(joinPath(udevData, name));
    std::string uuid, label;
    for (std::string line; std::getline(record, line);) {
        if (line.starts_with("E:ID_FS_UUID=")) uuid = line.substr(13);
        if (line.starts_with("E:ID_FS_LABEL_ENC=")) label = decodeHexEscapes(line.substr(18));
    }
    if (!uuid.empty()) return std::string(kUuid) + uuid;
    if (!label.empty()) return std::string(kLabel) + label;
    return std::nullopt;
}

// The link of /dev/disk/by-uuid that leads to the device.
std::optional<std::string> fromUuidLinks(dev_t number, const std::string& byUuid)
{
    const Result<FolderHandle> folder = FolderHandle::openStart(byUuid);
    if (!folder.ok()) return std::nullopt;
    std::optional<std::string> found;
    const auto visit = [&](std::string_view name, unsigned char) {
        if (!found && blockDeviceNumber(joinPath(byUuid, name)) == number) found = std::string(kUuid) + std::string(name);
    };
    // A folder read only in part still names the links it listed.
    [[maybe_unused]] const MaybeError failure = forEachDirectoryEntry(folder.value, visit);
    return found;
}

// The superblock of the device itself: needs the right to read it, as root has.
std::optional<std::string> fromSuperblock(const std::string& device)
{
    blkid_probe probe = ::blkid_new_probe_from_filename(device.c_str());
    if (!probe) return std::nullopt;
    ::blkid_probe_enable_superblocks(probe, 1);
    ::blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_UUID | BLKID_SUBLKS_LABEL);
    std::optional<std::string> found;
    if (::blkid_do_safeprobe(probe) == 0) {
        for (const std::string_view field : {kUuid, kLabel}) {
            const char* value = nullptr;
            const std::string name(field.substr(0, field.size() - 1));
            if (!found && ::blkid_probe_lookup_value(probe, name.c_str(), &value, nullptr) == 0 && value && *value) {
                found = std::string(field) + value;
            }
        }
    }
    ::blkid_free_probe(probe);
    return found;
}

}  // namespace

std::string volumeIdentity(const Volume& volume, const DeviceDatabase& database)
{
    if (const auto number = blockDeviceNumber(volume.device)) {
        if (auto known = fromUdev(*number, database.udevData)) return *known;
        if (auto known = fromUuidLinks(*number, database.byUuid)) return *known;
        if (auto known = fromSuperblock(volume.device)) return *known;
    }
    return volume.device + " " + volume.type;
}

bool comparableIdentities(std::string_view first, std::string_view second)
{
    for (const std::string_view kind : {kUuid, kLabel}) {
        const bool firstIs = first.starts_with(kind), secondIs = second.starts_with(kind);
        if (firstIs || secondIs) return firstIs && secondIs;
    }
    return true;
}

std::string identityOfVolumeHolding(const std::string& folder)
{
    const auto volume = mountHolding(folder);
    return volume ? volumeIdentity(*volume) : std::string();
}

}  // namespace velmorane::platform
