#include "engine/volume_memory.h"

#include "platform/folder_identity.h"
#include "platform/paths.h"
#include "platform/sftp_address.h"
#include "platform/state_file.h"
#include "platform/volumes.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <utility>

namespace velmorane::engine {
namespace {

// The first memories knew mount points only; they are still read, their folders with no identity.
constexpr const char* kFirstHeader = "velmorane volumes 1";
constexpr const char* kHeader = "velmorane volumes 2";

// Where a start folder was at its last execution. An empty identity is unknown.
struct Place {
    std::string mountPoint;
    std::string identity;
};

// Folders are remembered as the user names them, made absolute and plain: a link that no longer
// leads anywhere (its volume gone) is still the same folder. A mirror is remembered by its two
// start folders, with the identity of the destination's volume.
struct Memory {
    std::map<std::string, Place> folders;
    std::map<std::pair<std::string, std::string>, std::string> mirrors;
};

std::string memoryKey(const std::string& folder)
{
    const std::string absolute =
        folder.starts_with(platform::kSeparator) ? folder : platform::joinPath(platform::currentDirectory(), folder);
    return platform::withoutTrailingSeparator(std::filesystem::path(absolute).lexically_normal().string());
}

// The fields of a line, each unescaped as the mounts table escapes it.
std::vector<std::string> fieldsOf(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> fields;
    for (std::string field; stream >> field;) fields.push_back(platform::decodeOctalEscapes(field));
    return fields;
}

bool absolute(const std::string& path)
{
    return path.starts_with(platform::kSeparator);
}

// First memories: "folder mountPoint". Now: "folder <folder> <mountPoint> <identity>" and
// "mirror <source> <dest> <identity>". Anything else makes the whole memory unusable.
bool addFirstLine(Memory& memory, const std::vector<std::string>& fields)
{
    if (fields.size() != 2 || !absolute(fields[0]) || !absolute(fields[1])) return false;
    memory.folders[fields[0]] = {fields[1], {}};
    return true;
}

bool addLine(Memory& memory, const std::vector<std::string>& fields)
{
    if (fields.size() != 4 || !absolute(fields[1]) || !absolute(fields[2])) return false;
    if (fields[0] == "folder") {
        memory.folders[fields[1]] = {fields[2], fields[3]};
    } else if (fields[0] == "mirror") {
        memory.mirrors[{fields[1], fields[2]}] = fields[3];
    } else {
        return false;
    }
    return true;
}

std::optional<Memory> parseMemory(const std::vector<std::string>& lines)
{
    if (lines.empty() || (lines.front() != kHeader && lines.front() != kFirstHeader)) return std::nullopt;
    const auto add = lines.front() == kHeader ? addLine : addFirstLine;
    Memory memory;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        if (!add(memory, fieldsOf(*line))) return std::nullopt;
    }
    return memory;
}

std::optional<Memory> readMemory(const std::string& stateFile)
{
    const auto lines = platform::readStateFile(stateFile);
    return lines ? parseMemory(*lines) : std::nullopt;
}

std::vector<std::string> linesOf(const Memory& memory)
{
    const auto line = [](std::initializer_list<std::string> fields) {
        std::string text;
        for (const std::string& field : fields) {
            if (!text.empty()) text += ' ';
            text += platform::encodeOctalEscapes(field);
        }
        return text;
    };
    std::vector<std::string> lines{kHeader};
    for (const auto& [folder, place] : memory.folders) {
        lines.push_back(line({"folder", folder, place.mountPoint, place.identity}));
    }
    for (const auto& [folders, identity] : memory.mirrors) {
        lines.push_back(line({"mirror", folders.first, folders.second, identity}));
    }
    return lines;
}

// The mounted volume that holds a path; the table always has the root.
platform::Volume volumeHolding(const std::string& path, const std::vector<platform::Volume>& mounted)
{
    const std::string mountPoint = platform::volumeOf(path, mounted);
    return *std::find_if(mounted.begin(), mounted.end(),
                         [&](const platform::Volume& v) { return v.mountPoint == mountPoint; });
}

// Another volume only when both identities are known and can be compared.
bool anotherVolume(const std::string& remembered, const std::string& now)
{
    return !remembered.empty() && platform::comparableIdentities(remembered, now) && remembered != now;
}

// The first mount point of the file-system table, from the root down, that should hold the path
// and is not mounted.
std::optional<std::string> missingFixedMount(const std::string& path, const std::vector<platform::Volume>& mounted,
                                             const std::string& fstabPath)
{
    std::vector<std::string> points = platform::fstabMountPoints(fstabPath);
    std::sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
    const auto isMounted = [&](const std::string& point) {
        return std::any_of(mounted.begin(), mounted.end(), [&](const auto& v) { return v.mountPoint == point; });
    };
    const auto missing = std::find_if(points.begin(), points.end(), [&](const std::string& point) {
        return platform::liesIn(path, point) && !isMounted(point);
    });
    return missing == points.end() ? std::nullopt : std::optional(*missing);
}

// Whether this source was mirrored onto this volume at this place. A memory written before
// mirrors were remembered knows only that the folder was a start folder on that mount point.
bool mirroredBefore(const Memory& memory, const std::string& source, const std::string& dest,
                    const platform::Volume& volume, const std::string& identity)
{
    const auto mirror = memory.mirrors.find({memoryKey(source), memoryKey(dest)});
    if (mirror != memory.mirrors.end()) return !anotherVolume(mirror->second, identity);
    const auto folder = memory.folders.find(memoryKey(dest));
    return folder != memory.folders.end() && folder->second.identity.empty() &&
           folder->second.mountPoint == volume.mountPoint;
}

}  // namespace

VolumeSources::VolumeSources()
    : stateFile(platform::joinPath(platform::stateFolder(), "volumes")), mountsText(platform::mountsTableText())
{
}

// A folder on an SSH server is held by no mount of this machine: reaching the server is its check.
std::optional<std::string> missingVolume(const std::string& folder, const VolumeSources& sources)
{
    if (platform::isSftpAddress(folder)) return std::nullopt;
    const auto mounted = platform::parseMounts(sources.mountsText, platform::MountKinds::All);
    const std::string path = platform::resolvedPath(folder);
    if (const auto memory = readMemory(sources.stateFile)) {
        const auto known = memory->folders.find(memoryKey(folder));
        if (known != memory->folders.end()) {
            const Place& place = known->second;
            const platform::Volume now = volumeHolding(path, mounted);
            if (place.mountPoint != now.mountPoint) return place.mountPoint;
            if (anotherVolume(place.identity, platform::volumeIdentity(now, sources.devices))) {
                return place.mountPoint + " (" + place.identity + ")";
            }
        }
    }
    return missingFixedMount(path, mounted, sources.fstabPath);
}

bool isNewVolumeRoot(const std::string& source, const std::string& dest, const VolumeSources& sources)
{
    if (platform::isSftpAddress(dest)) return false;
    const auto mounted = platform::parseMounts(sources.mountsText, platform::MountKinds::All);
    const std::string path = platform::resolvedPath(dest);
    const platform::Volume volume = volumeHolding(path, mounted);
    if (volume.mountPoint != path || !platform::isRemovableOrNetwork(volume)) return false;
    const auto memory = readMemory(sources.stateFile);
    return !memory || !mirroredBefore(*memory, source, dest, volume, platform::volumeIdentity(volume, sources.devices));
}

platform::MaybeError recordExecution(const std::string& source, const std::string& dest, const VolumeSources& sources)
{
    const auto mounted = platform::parseMounts(sources.mountsText, platform::MountKinds::All);
    const auto placeOf = [&](const std::string& folder) {
        const platform::Volume volume = volumeHolding(platform::resolvedPath(folder), mounted);
        return Place{volume.mountPoint, platform::volumeIdentity(volume, sources.devices)};
    };
    // Another run may end at the same moment: what both add is kept.
    return platform::updateStateFile(sources.stateFile, [&](std::optional<std::vector<std::string>> lines) {
        Memory memory = lines ? parseMemory(*lines).value_or(Memory{}) : Memory{};
        if (!platform::isSftpAddress(source)) memory.folders[memoryKey(source)] = placeOf(source);
        if (!platform::isSftpAddress(dest)) {
            const Place destPlace = placeOf(dest);
            memory.folders[memoryKey(dest)] = destPlace;
            memory.mirrors[{memoryKey(source), memoryKey(dest)}] = destPlace.identity;
        }
        return linesOf(memory);
    });
}

}  // namespace velmorane::engine
