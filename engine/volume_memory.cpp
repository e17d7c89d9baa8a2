#include "engine/volume_memory.h"

#include "platform/folder_identity.h"
#include "platform/paths.h"
#include "platform/state_file.h"
#include "platform/volumes.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace velmorane::engine {
namespace {

constexpr const char* kHeader = "velmorane volumes 1";

// Remembered by the folder as the user names it, made absolute and plain: a link that no longer
// leads anywhere (its volume gone) is still the same folder.
using Memory = std::map<std::string, std::string>;

std::string memoryKey(const std::string& folder)
{
    const std::string absolute =
        folder.starts_with(platform::kSeparator) ? folder : platform::joinPath(platform::currentDirectory(), folder);
    return platform::withoutTrailingSeparator(std::filesystem::path(absolute).lexically_normal().string());
}

// One line per folder: the folder and its mount point, each escaped as the mounts table does.
// Anything else makes the whole memory unusable.
std::optional<Memory> parseMemory(const std::vector<std::string>& lines)
{
    if (lines.empty() || lines.front() != kHeader) return std::nullopt;
    Memory memory;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        std::istringstream fields(*line);
        std::string folder, mountPoint, extra;
        if (!(fields >> folder >> mountPoint) || fields >> extra) return std::nullopt;
        folder = platform::decodeOctalEscapes(folder);
        mountPoint = platform::decodeOctalEscapes(mountPoint);
        if (!folder.starts_with(platform::kSeparator) || !mountPoint.starts_with(platform::kSeparator)) {
            return std::nullopt;
        }
        memory[folder] = mountPoint;
    }
    return memory;
}

std::optional<Memory> readMemory(const std::string& stateFile)
{
    const auto lines = platform::readStateFile(stateFile);
    return lines ? parseMemory(*lines) : std::nullopt;
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

std::string message(const std::string& folder, const std::string& mountPoint)
{
    return "Le dossier " + folder + " n'est plus sur le volume " + mountPoint + " : le support est-il branché ?";
}

}  // namespace

VolumeSources::VolumeSources()
    : stateFile(platform::joinPath(platform::stateFolder(), "volumes")), mountsText(platform::mountsTableText())
{
}

std::optional<std::string> volumeChangeMessage(const std::string& folder, const VolumeSources& sources)
{
    const auto mounted = platform::parseMounts(sources.mountsText, platform::MountKinds::All);
    const std::string path = platform::resolvedPath(folder);
    if (const auto memory = readMemory(sources.stateFile)) {
        const auto known = memory->find(memoryKey(folder));
        if (known != memory->end() && known->second != platform::volumeOf(path, mounted)) {
            return message(folder, known->second);
        }
    }
    if (const auto missing = missingFixedMount(path, mounted, sources.fstabPath)) return message(folder, *missing);
    return std::nullopt;
}

void recordVolumes(const std::vector<std::string>& folders, const VolumeSources& sources)
{
    const auto mounted = platform::parseMounts(sources.mountsText, platform::MountKinds::All);
    Memory memory = readMemory(sources.stateFile).value_or(Memory{});
    for (const std::string& folder : folders) {
        memory[memoryKey(folder)] = platform::volumeOf(platform::resolvedPath(folder), mounted);
    }
    std::vector<std::string> lines{kHeader};
    for (const auto& [folder, mountPoint] : memory) {
        lines.push_back(platform::encodeOctalEscapes(folder) + " " + platform::encodeOctalEscapes(mountPoint));
    }
    // What cannot be written costs this protection only, for the runs to come.
    [[maybe_unused]] const auto failure = platform::writeStateFile(sources.stateFile, lines);
}

}  // namespace velmorane::engine
