#include "engine/folder_structure.h"

#include "platform/paths.h"

#include <utility>

namespace velmorane::engine {
namespace {

struct PendingFolder {
    std::size_t line;
    std::size_t position;  // among its siblings, from 1
};

// Reads the folder of one line: keeps its files and appends a line for each of its sub-folders.
std::optional<ReadFailure> readLine(FolderStructure& structure, std::size_t index,
                                    std::vector<PendingFolder>& pending)
{
    auto content = platform::readFolder(structure.lines[index].path);
    if (!content.ok()) return ReadFailure{structure.lines[index].path, *content.error};
    structure.lines[index].files = std::move(content.value.files);

    const std::size_t first = structure.lines.size();
    for (auto& name : content.value.subFolders) {
        FolderLine line;
        line.path = structure.lines[index].path + name + platform::kSeparator;
        line.relative = structure.lines[index].relative + name + platform::kSeparator;
        line.parent = index;
        structure.lines.push_back(std::move(line));
    }
    for (std::size_t i = structure.lines.size(); i > first; --i) pending.push_back({i - 1, i - first});
    return std::nullopt;
}

}  // namespace

StructureResult lireDossiers(const std::string& startFolder, platform::ProgressSink& progress,
                             platform::EventPump& pump)
{
    StructureResult result;
    result.structure.lines.push_back(FolderLine{platform::withTrailingSeparator(startFolder), {}, 0, {}});
    std::vector<PendingFolder> pending;
    result.failure = readLine(result.structure, 0, pending);
    while (!result.failure && !pending.empty()) {
        const PendingFolder next = pending.back();
        pending.pop_back();
        progress.setCompteur(std::to_string(next.position));
        progress.setEtape(platform::withoutTrailingSeparator(result.structure.lines[next.line].path));
        pump.processEvents();
        result.failure = readLine(result.structure, next.line, pending);
    }
    return result;
}

}  // namespace velmorane::engine
