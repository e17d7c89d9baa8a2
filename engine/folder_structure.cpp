#include "engine/folder_structure.h"

#include "engine/folder_walk.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace velmorane::engine {
namespace {

constexpr std::chrono::milliseconds kProgressInterval{10};

FolderLine emptyLine(std::string path, std::size_t parent, std::uint32_t relativeStart)
{
    FolderLine line;
    line.path = std::move(path);
    line.parent = parent;
    line.relativeStart = relativeStart;
    return line;
}

// Lays a walked tree out in the order of the lines: each folder's sub-folders one after another,
// taken folder by folder depth first, the order in which a single reader would meet them.
StructureResult layOut(WalkedTree tree)
{
    StructureResult result;
    auto& lines = result.structure.lines;
    lines.reserve(tree.folders.size());
    const std::string start = platform::withTrailingSeparator(tree.startFolder);
    lines.push_back(emptyLine(start, 0, static_cast<std::uint32_t>(start.size())));
    std::vector<std::pair<std::size_t, std::size_t>> toRead{{0, 0}};  // walked folder, line
    while (!toRead.empty()) {
        const auto [index, lineIndex] = toRead.back();
        toRead.pop_back();
        WalkedFolder& folder = tree.folders[index];
        if (const auto failure = tree.failures.find(index); failure != tree.failures.end()) {
            result.failure = ReadFailure{lines[lineIndex].path, failure->second};
            return result;
        }
        lines[lineIndex].files = std::move(folder.files);
        if (const auto special = tree.specialFiles.find(index); special != tree.specialFiles.end()) {
            result.structure.specialFiles.emplace(lineIndex, std::move(special->second));
        }
        lines[lineIndex].permissions = folder.permissions;
        lines[lineIndex].holdsTemporaries = folder.holdsTemporaries;
        const std::size_t first = lines.size();
        const std::size_t firstChild = folder.firstChild;
        for (std::size_t child = firstChild; child < firstChild + folder.childCount; ++child) {
            const std::string& name = tree.folders[child].name;
            lines.push_back(emptyLine(lines[lineIndex].path + name + platform::kSeparator, lineIndex,
                                      lines[lineIndex].relativeStart));
        }
        for (std::size_t i = folder.childCount; i > 0; --i) toRead.emplace_back(firstChild + i - 1, first + i - 1);
    }
    return result;
}

class ReadingProgress {
public:
    explicit ReadingProgress(platform::ProgressSink& progress) : progress_(progress) {}

    void show(const WalkProgress& walk)
    {
        if (!destShown_ && walk.treeDone[0]) {
            progress_.setPanneau(kDestReadingCaption);
            destShown_ = true;
        }
        progress_.setEtape(walk.lastFolder);
        progress_.setCompteur(std::to_string(walk.foldersRead[destShown_ ? 1 : 0]));
    }

    // The last captions depend only on the trees read, never on when the screen was last updated.
    void finish(const StructurePair& pair)
    {
        if (!destShown_) progress_.setPanneau(kDestReadingCaption);
        const auto& lines = pair.dest.structure.lines;
        progress_.setEtape(platform::withoutTrailingSeparator(lines.back().path));
        progress_.setCompteur(std::to_string(lines.size()));
    }

private:
    platform::ProgressSink& progress_;
    bool destShown_ = false;
};

}  // namespace

const std::vector<platform::FileRecord>& FolderStructure::specialFilesOf(std::size_t line) const
{
    static const std::vector<platform::FileRecord> none;
    const auto found = specialFiles.find(line);
    return found == specialFiles.end() ? none : found->second;
}

LinesByPath::LinesByPath(const FolderStructure& tree) : tree_(tree), sorted_(tree.lines.size())
{
    for (std::uint32_t i = 0; i < sorted_.size(); ++i) sorted_[i] = i;
    std::sort(sorted_.begin(), sorted_.end(), [&](auto a, auto b) { return pathOf(a) < pathOf(b); });
}

std::optional<std::size_t> LinesByPath::find(std::string_view path) const
{
    const auto found = std::lower_bound(sorted_.begin(), sorted_.end(), path,
                                        [&](auto line, std::string_view wanted) { return pathOf(line) < wanted; });
    if (found == sorted_.end() || pathOf(*found) != path) return std::nullopt;
    return *found;
}

StructurePair readStartFolderTrees(const std::string& sourceFolder, const std::string& destFolder,
                           const Exclusions& exclusions, platform::ProgressSink& progress,
                           unsigned threadCount)
{
    const auto source = platform::openVolume(sourceFolder, threadCount);
    const auto dest = platform::openVolume(destFolder, threadCount);
    return readStartFolderTrees(*source, *dest, exclusions, progress, threadCount);
}

StructurePair readStartFolderTrees(platform::VolumeAccess& source, platform::VolumeAccess& dest,
                                   const Exclusions& exclusions, platform::ProgressSink& progress, unsigned inFlight)
{
    ReadingProgress shown(progress);
    std::vector<WalkedTree> trees;
    {
        ConcurrentWalk walk({&source, &dest}, exclusions, inFlight);
        while (!walk.waitFor(kProgressInterval)) shown.show(walk.progress());
        trees = walk.takeTrees();
    }
    // What the last run left serves the reading alone, and weighs 16 MB for a million files.
    source.rememberLastRun({});
    dest.rememberLastRun({});
    // Each walked tree goes as soon as it is laid out.
    StructurePair pair{layOut(std::move(trees[0])), layOut(std::move(trees[1]))};
    shown.finish(pair);
    return pair;
}

}  // namespace velmorane::engine
