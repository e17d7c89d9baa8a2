#include "engine/comparison.h"

#include "engine/name_index.h"
#include "platform/paths.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace velmorane::engine {
namespace {

struct CommonFolder {
    std::size_t source;
    std::size_t dest;
};

// The lines of one folder's sub-folders, which a structure keeps one after another.
struct ChildRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

std::vector<ChildRange> childRanges(const FolderStructure& structure)
{
    std::vector<ChildRange> ranges(structure.lines.size());
    for (std::size_t i = 1; i < structure.lines.size(); ++i) {
        ChildRange& range = ranges[structure.lines[i].parent];
        if (range.count++ == 0) range.first = i;
    }
    return ranges;
}

// The bytes of the files in each folder and all its sub-folders: a folder copied whole brings them.
std::vector<std::int64_t> subtreeBytes(const FolderStructure& structure)
{
    std::vector<std::int64_t> bytes(structure.lines.size(), 0);
    for (std::size_t i = structure.lines.size(); i-- > 0;) {
        for (const auto& file : structure.lines[i].files) bytes[i] += file.size;
        if (i > 0) bytes[structure.lines[i].parent] += bytes[i];
    }
    return bytes;
}

std::string_view lineName(const FolderLine& line)
{
    std::string_view relative = line.relative;
    relative.remove_suffix(1);
    const auto slash = relative.rfind(platform::kSeparator);
    return slash == std::string_view::npos ? relative : relative.substr(slash + 1);
}

TaskEntry fileEntry(const platform::FileRecord& file, std::string sourcePath, std::string destPath)
{
    return {file.isLink ? EntryKind::Link : EntryKind::File,
            file.size,
            file.modified,
            file.modifiedNanoseconds,
            std::move(sourcePath),
            std::move(destPath)};
}

class Comparison {
public:
    Comparison(const FolderStructure& source, const FolderStructure& dest, platform::ProgressSink& progress,
               platform::EventPump& pump, std::int64_t timeTolerance, const Exclusions& exclusions)
        : source_(source),
          dest_(dest),
          progress_(progress),
          pump_(pump),
          timeTolerance_(timeTolerance),
          exclusions_(exclusions)
    {
    }

    TaskLists run()
    {
        progress_.setPanneau("Comparaison des Structures");
        compareSourceFolders();
        listDestinationOnlyFolders();
        progress_.setPanneau("Parcours des Dossiers Communs");
        for (const CommonFolder& common : common_) compareFiles(common);
        return std::move(lists_);
    }

private:
    void showCount()
    {
        progress_.setCompteur(std::to_string(counter_++));
        pump_.processEvents();
    }

    // Phase A, name by name: a source folder is common when its parent is common and the
    // parent's counterpart holds a sub-folder of the same name ignoring case, exact spelling first.
    void compareSourceFolders()
    {
        matchFolders();
        const std::vector<std::int64_t> bytes = subtreeBytes(source_);
        destPathOf_.resize(source_.lines.size());
        for (std::size_t i = 0; i < source_.lines.size(); ++i) {
            const FolderLine& line = source_.lines[i];
            showCount();
            progress_.setEtape(line.path);
            pump_.processEvents();
            if (const auto match = destMatchOf_[i]) {
                destPathOf_[i] = dest_.lines[*match].path;
                common_.push_back({i, *match});
            } else {
                // A new folder lands in the real destination folder of its parent, whatever its case.
                destPathOf_[i] = destPathOf_[line.parent] + std::string(lineName(line)) + platform::kSeparator;
                lists_.fichAjout().add({EntryKind::Folder, bytes[i], 0, 0, line.path, destPathOf_[i]});
            }
        }
    }

    void matchFolders()
    {
        const auto sourceChildren = childRanges(source_);
        const auto destChildren = childRanges(dest_);
        destMatchOf_.assign(source_.lines.size(), std::nullopt);
        destTaken_.assign(dest_.lines.size(), false);
        destMatchOf_[0] = 0;
        destTaken_[0] = true;
        // Children come after their parent, so a parent's match is known when its children are matched.
        for (std::size_t parent = 0; parent < source_.lines.size(); ++parent) {
            const auto match = destMatchOf_[parent];
            if (!match || sourceChildren[parent].count == 0 || destChildren[*match].count == 0) continue;
            const ChildRange& sourceRange = sourceChildren[parent];
            const ChildRange& destRange = destChildren[*match];
            NameIndex destNames;
            for (std::size_t d = 0; d < destRange.count; ++d) destNames.add(lineName(dest_.lines[destRange.first + d]));
            std::vector<std::string_view> names;
            names.reserve(sourceRange.count);
            for (std::size_t s = 0; s < sourceRange.count; ++s) names.push_back(lineName(source_.lines[sourceRange.first + s]));
            const auto matches = destNames.takeAll(names);
            for (std::size_t s = 0; s < sourceRange.count; ++s) {
                if (!matches[s]) continue;
                destMatchOf_[sourceRange.first + s] = destRange.first + *matches[s];
                destTaken_[destRange.first + *matches[s]] = true;
            }
        }
    }

    // Phase B: every destination folder left has no source counterpart.
    void listDestinationOnlyFolders()
    {
        for (std::size_t i = 0; i < dest_.lines.size(); ++i) {
            if (destTaken_[i]) continue;
            showCount();
            const FolderLine& line = dest_.lines[i];
            if (exclusions_.leadsToLeftOutFolder(line.relative)) {
                // It holds the other start folder: what else it holds goes, the folder stays.
                for (const auto& file : line.files) {
                    lists_.fichSuppr().add(fileEntry(file, {}, line.path + file.name));
                }
                continue;
            }
            lists_.fichSuppr().add({EntryKind::Folder, 0, 0, 0, {}, line.path});
        }
    }

    // Phase C: the files of one common folder.
    void compareFiles(const CommonFolder& common)
    {
        const FolderLine& sourceFolder = source_.lines[common.source];
        const FolderLine& destFolder = dest_.lines[common.dest];
        progress_.setEtape(sourceFolder.path);
        pump_.processEvents();
        for (const char* step : {"1", "2", "3"}) {
            progress_.setCompteur(step);
            pump_.processEvents();
        }

        NameIndex destFiles;
        for (const auto& file : destFolder.files) destFiles.add(file.name);
        std::vector<std::string_view> names;
        names.reserve(sourceFolder.files.size());
        for (const auto& file : sourceFolder.files) names.push_back(file.name);
        const auto matches = destFiles.takeAll(names);
        for (std::size_t i = 0; i < sourceFolder.files.size(); ++i) {
            const platform::FileRecord& file = sourceFolder.files[i];
            const std::string sourcePath = sourceFolder.path + file.name;
            const auto& match = matches[i];
            if (!match) {
                lists_.fichAjout().add(fileEntry(file, sourcePath, destFolder.path + file.name));
                continue;
            }
            const platform::FileRecord& destFile = destFolder.files[*match];
            if (destFile.size == file.size && std::llabs(destFile.modified - file.modified) <= timeTolerance_ &&
                destFile.isLink == file.isLink) {
                continue;
            }
            const std::string destPath = destFolder.path + destFile.name;
            lists_.fichModif().add(fileEntry(file, sourcePath, destPath));
        }

        progress_.setCompteur("4");
        pump_.processEvents();
        for (std::size_t i = 0; i < destFolder.files.size(); ++i) {
            if (destFiles.taken(i)) continue;
            const platform::FileRecord& destFile = destFolder.files[i];
            const std::string destPath = destFolder.path + destFile.name;
            lists_.fichSuppr().add(fileEntry(destFile, {}, destPath));
        }
    }

    const FolderStructure& source_;
    const FolderStructure& dest_;
    platform::ProgressSink& progress_;
    platform::EventPump& pump_;
    const std::int64_t timeTolerance_;
    const Exclusions& exclusions_;
    std::vector<std::optional<std::size_t>> destMatchOf_;
    std::vector<bool> destTaken_;
    std::vector<std::string> destPathOf_;
    std::vector<CommonFolder> common_;
    std::size_t counter_ = 0;
    TaskLists lists_;
};

}  // namespace

TaskLists compareStructures(const FolderStructure& source, const FolderStructure& dest,
                            platform::ProgressSink& progress, platform::EventPump& pump, std::int64_t timeTolerance,
                            const Exclusions& exclusions)
{
    return Comparison(source, dest, progress, pump, timeTolerance, exclusions).run();
}

}  // namespace velmorane::engine
