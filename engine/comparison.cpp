#include "engine/comparison.h"

#include "engine/name_index.h"
#include "engine/start_folders.h"
#include "platform/awaited_answer.h"
#include "platform/copying_user.h"
#include "platform/letter_case.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace velmorane::engine {
namespace {

// A folder's place among the lines of its tree. Four bytes: the comparison keeps several per
// folder, and a large tree has a hundred thousand folders.
using Line = std::uint32_t;
constexpr Line kNoLine = 0xffff'ffff;

struct CommonPair {
    Line source;
    Line dest;
};

// The folders whose files' extended attributes are read, opened at the first file that has any.
struct AttributeFolders {
    AttributeFolders(const std::string& sourceFolder, const std::string& destFolder)
        : folders(sourceFolder, destFolder), source(folders.source()), dest(folders.dest())
    {
    }

    RunFolders folders;
    OpenFolderCache source;
    OpenFolderCache dest;
};

// The lines of one folder's sub-folders, which a structure keeps one after another.
struct ChildRange {
    Line first = 0;
    Line count = 0;
};

std::vector<ChildRange> childRanges(const FolderStructure& structure)
{
    std::vector<ChildRange> ranges(structure.lines.size());
    for (std::size_t i = 1; i < structure.lines.size(); ++i) {
        ChildRange& range = ranges[structure.lines[i].parent];
        if (range.count++ == 0) range.first = static_cast<Line>(i);
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
    std::string_view relative = line.relative();
    relative.remove_suffix(1);
    const auto slash = relative.rfind(platform::kSeparator);
    return slash == std::string_view::npos ? relative : relative.substr(slash + 1);
}

TaskEntry fileEntry(const platform::FileRecord& file, std::string sourcePath, std::string destPath,
                    EntryKind kind = EntryKind::File)
{
    return {file.isLink ? EntryKind::Link : kind, file.size,           file.modified, file.modifiedNanoseconds,
            std::move(sourcePath),                std::move(destPath), false};
}

constexpr std::int64_t kSecondsInHour = 3600;

bool within(platform::TimePrecision precision, std::int64_t seconds, bool sameNanoseconds)
{
    switch (precision) {
    case platform::TimePrecision::Nanoseconds: return seconds == 0 && sameNanoseconds;
    case platform::TimePrecision::Seconds: return seconds == 0;
    case platform::TimePrecision::TwoSeconds: return std::llabs(seconds) <= 1;
    }
    return false;
}

std::size_t entryCount(const TaskLists& lists)
{
    return lists.addList().count() + lists.replaceList().count() + lists.deleteList().count();
}

class Comparison {
public:
    Comparison(const FolderStructure& source, const FolderStructure& dest, platform::ProgressSink& progress,
               const ComparisonRules& rules, const Exclusions& exclusions)
        : source_(source), dest_(dest), progress_(progress), rules_(rules), exclusions_(exclusions),
          user_(platform::CopyingUser::current())
    {
    }

    TaskLists run()
    {
        progress_.setPanneau("Comparaison des Structures");
        compareSourceFolders();
        listDestinationOnlyFolders();
        progress_.setPanneau("Parcours des Dossiers Communs");
        reserveUnchanged();
        for (const CommonPair& common : common_) compareFiles(common);
        listFoldersToSettle();
        return std::move(lists_);
    }

private:
    void showCount() { progress_.setCompteur(std::to_string(counter_++)); }

    // Most files of a run are found equal: room for all at once, rather than growing by halves.
    void reserveUnchanged()
    {
        std::size_t files = 0;
        for (const CommonPair& common : common_) files += source_.lines[common.source].files.size();
        lists_.unchangedFiles.destFileOf.reserve(files);
    }

    // Phase A, name by name: a source folder is common when its parent is common and the
    // parent's counterpart holds a sub-folder of the same name ignoring case, exact spelling first.
    void compareSourceFolders()
    {
        matchFolders();
        const std::vector<std::int64_t> bytes = subtreeBytes(source_);
        commonOf_.assign(source_.lines.size(), kNoLine);
        for (Line i = 0; i < source_.lines.size(); ++i) {
            const FolderLine& line = source_.lines[i];
            showCount();
            progress_.setEtape(line.path);
            if (const Line match = destMatchOf_[i]; match != kNoLine) {
                commonOf_[i] = static_cast<Line>(common_.size());
                common_.push_back({i, match});
                if (permissionsDiffer(line.permissions, dest_.lines[match].permissions, false)) settle(i);
            } else {
                // A new folder lands in the real destination folder of its parent, whatever its case.
                std::string& destPath = newFolderPathOf_[i];
                destPath = std::string(destPathOf(line.parent)) + std::string(lineName(line)) + platform::kSeparator;
                lists_.addList().add({EntryKind::Folder, bytes[i], 0, 0, line.path, destPath, false});
                settle(line.parent);
            }
        }
    }

    // Where a source folder is, or will be, in the destination.
    std::string_view destPathOf(std::size_t sourceLine) const
    {
        if (const Line match = destMatchOf_[sourceLine]; match != kNoLine) return dest_.lines[match].path;
        return newFolderPathOf_.at(static_cast<Line>(sourceLine));
    }

    void matchFolders()
    {
        sourceChildren_ = childRanges(source_);
        const auto destChildren = childRanges(dest_);
        destMatchOf_.assign(source_.lines.size(), kNoLine);
        sourceMatchOf_.assign(dest_.lines.size(), kNoLine);
        destMatchOf_[0] = 0;
        sourceMatchOf_[0] = 0;
        // Children come after their parent, so a parent's match is known when its children are matched.
        for (std::size_t parent = 0; parent < source_.lines.size(); ++parent) {
            const Line match = destMatchOf_[parent];
            if (match == kNoLine || sourceChildren_[parent].count == 0 || destChildren[match].count == 0) continue;
            const ChildRange& sourceRange = sourceChildren_[parent];
            const ChildRange& destRange = destChildren[match];
            NameIndex destNames;
            for (std::size_t d = 0; d < destRange.count; ++d) destNames.add(lineName(dest_.lines[destRange.first + d]));
            std::vector<std::string_view> names;
            names.reserve(sourceRange.count);
            for (std::size_t s = 0; s < sourceRange.count; ++s) names.push_back(lineName(source_.lines[sourceRange.first + s]));
            const auto matches = destNames.takeAll(names);
            for (std::size_t s = 0; s < sourceRange.count; ++s) {
                if (!matches[s]) continue;
                const Line dest = destRange.first + static_cast<Line>(*matches[s]);
                destMatchOf_[sourceRange.first + s] = dest;
                sourceMatchOf_[dest] = sourceRange.first + static_cast<Line>(s);
            }
        }
    }

    // Phase B: every destination folder left has no source counterpart.
    void listDestinationOnlyFolders()
    {
        for (std::size_t i = 0; i < dest_.lines.size(); ++i) {
            if (sourceMatchOf_[i] != kNoLine) continue;
            showCount();
            const FolderLine& line = dest_.lines[i];
            if (exclusions_.leadsToLeftOutFolder(line.relative())) {
                // It holds the other start folder: what else it holds goes, the folder stays.
                for (const auto& file : line.files) {
                    lists_.deleteList().add(fileEntry(file, {}, line.path + file.name));
                }
                continue;
            }
            lists_.deleteList().add({EntryKind::Folder, 0, 0, 0, {}, line.path, false});
            if (const Line parent = sourceMatchOf_[line.parent]; parent != kNoLine) settle(parent);
        }
    }

    // Phase C: the files of one common folder.
    void compareFiles(const CommonPair& common)
    {
        const FolderLine& sourceFolder = source_.lines[common.source];
        const FolderLine& destFolder = dest_.lines[common.dest];
        progress_.setEtape(sourceFolder.path);
        for (const char* step : {"1", "2", "3"}) {
            progress_.setCompteur(step);
        }

        const std::size_t entriesBefore = entryCount(lists_);
        std::vector<std::uint32_t>& destFileOf = lists_.unchangedFiles.destFileOf;
        const std::size_t firstSlot = destFileOf.size();
        destFileOf.resize(firstSlot + sourceFolder.files.size(), UnchangedFiles::kNotEqual);
        bool anyEqual = false;
        NameIndex destFiles;
        for (const auto& file : destFolder.files) destFiles.add(file.name);
        std::vector<std::string_view> names;
        names.reserve(sourceFolder.files.size());
        for (const auto& file : sourceFolder.files) names.push_back(file.name);
        const auto matches = destFiles.takeAll(names);
        for (std::size_t i = 0; i < sourceFolder.files.size(); ++i) {
            const platform::FileRecord& file = sourceFolder.files[i];
            const auto& match = matches[i];
            if (!match) {
                lists_.addList().add(fileEntry(file, sourceFolder.path + file.name, destFolder.path + file.name));
                continue;
            }
            const platform::FileRecord& destFile = destFolder.files[*match];
            const bool sameContent = destFile.size == file.size && destFile.isLink == file.isLink &&
                                     sameTime(rules_, file.modified, file.modifiedNanoseconds, destFile.modified,
                                              destFile.modifiedNanoseconds);
            if (sameContent && !permissionsDiffer(file.permissions, destFile.permissions, file.isLink) &&
                !attributesDiffer(file, destFile, sourceFolder.path, destFolder.path)) {
                destFileOf[firstSlot + i] = static_cast<std::uint32_t>(*match);
                anyEqual = true;
                continue;
            }
            TaskEntry entry = fileEntry(file, sourceFolder.path + file.name, destFolder.path + destFile.name);
            entry.attributesOnly = sameContent;
            lists_.replaceList().add(std::move(entry));
        }

        progress_.setCompteur("4");
        for (std::size_t i = 0; i < destFolder.files.size(); ++i) {
            if (destFiles.taken(i)) continue;
            const platform::FileRecord& destFile = destFolder.files[i];
            lists_.deleteList().add(fileEntry(destFile, {}, destFolder.path + destFile.name));
        }
        listSpecialFilesInTheWay(common);
        if (entryCount(lists_) != entriesBefore) settle(common.source);
        if (anyEqual) {
            lists_.unchangedFiles.folders.push_back(
                {static_cast<std::uint32_t>(common.source), static_cast<std::uint32_t>(common.dest), firstSlot});
        } else {
            destFileOf.resize(firstSlot);
        }
    }

    // A socket, FIFO or device node of the destination is never mirrored, but one that holds the
    // name of a source file or folder is deleted, so that the name is free.
    void listSpecialFilesInTheWay(const CommonPair& common)
    {
        const FolderLine& destFolder = dest_.lines[common.dest];
        const std::vector<platform::FileRecord>& specialFiles = dest_.specialFilesOf(common.dest);
        if (specialFiles.empty()) return;
        const FolderLine& sourceFolder = source_.lines[common.source];
        std::unordered_set<std::string> sourceNames;
        for (const auto& file : sourceFolder.files) sourceNames.insert(platform::caseFoldedKey(file.name));
        const ChildRange& children = sourceChildren_[common.source];
        for (std::size_t i = 0; i < children.count; ++i) {
            sourceNames.insert(platform::caseFoldedKey(lineName(source_.lines[children.first + i])));
        }
        for (const platform::FileRecord& special : specialFiles) {
            if (!sourceNames.contains(platform::caseFoldedKey(special.name))) continue;
            lists_.deleteList().add(fileEntry(special, {}, destFolder.path + special.name, EntryKind::Special));
        }
    }

    // Permission bits as a copy would set them (a link has none), then owner and group.
    bool permissionsDiffer(const platform::Permissions& source, const platform::Permissions& dest, bool isLink) const
    {
        if (!rules_.permissions) return false;
        if (rules_.owners && (source.uid != dest.uid || source.gid != dest.gid)) return true;
        return !isLink && user_.modeOfCopy(source) != dest.mode;
    }

    // The listing says which files have attributes at all: most have none, and are not read again;
    // nor are those the last run left as they are on both sides, which it found or made equal.
    bool attributesDiffer(const platform::FileRecord& source, const platform::FileRecord& dest,
                          const std::string& sourceFolder, const std::string& destFolder)
    {
        using platform::CarriedAttributes;
        if (!rules_.attributes || source.isLink || dest.isLink) return false;
        if (source.attributes == dest.attributes && source.attributes != CarriedAttributes::Some) return false;
        if (!attributeFolders_) attributeFolders_.emplace(source_.lines[0].path, dest_.lines[0].path);
        const platform::FolderRef* from = attributeFolders_->source.at(sourceFolder);
        const platform::FolderRef* to = attributeFolders_->dest.at(destFolder);
        // A file that cannot be read now fails, if at all, when it is copied.
        if (!from || !to) return false;
        const auto differ = platform::awaited<platform::Result<bool>>([&](auto done) {
            attributeFolders_->folders.dest().volume().attributesDiffer(attributeFolders_->folders.source().volume(),
                                                                        *from, source.name.str(), *to, dest.name.str(), done);
        });
        return differ.ok() && differ.value;
    }

    void settle(std::size_t sourceLine)
    {
        // The top of a FAT volume has no time of its own, and a driver in user space may fail on it.
        if (sourceLine == 0 && !rules_.permissions) return;
        if (const Line common = commonOf_[sourceLine]; common != kNoLine) toSettle_.push_back(common);
    }

    void listFoldersToSettle()
    {
        std::sort(toSettle_.begin(), toSettle_.end());
        toSettle_.erase(std::unique(toSettle_.begin(), toSettle_.end()), toSettle_.end());
        for (const std::size_t common : toSettle_) {
            lists_.foldersToSettle.push_back(
                {source_.lines[common_[common].source].path, dest_.lines[common_[common].dest].path});
        }
    }

    const FolderStructure& source_;
    const FolderStructure& dest_;
    platform::ProgressSink& progress_;
    const ComparisonRules rules_;
    const Exclusions& exclusions_;
    const platform::CopyingUser user_;
    std::optional<AttributeFolders> attributeFolders_;
    std::vector<ChildRange> sourceChildren_;
    std::vector<Line> destMatchOf_;
    std::vector<Line> sourceMatchOf_;  // by destination line
    // Only the folders the destination lacks have one: a million paths copied would weigh on the run.
    std::unordered_map<Line, std::string> newFolderPathOf_;
    std::vector<CommonPair> common_;
    std::vector<Line> commonOf_;  // by source line, into common_
    std::vector<std::size_t> toSettle_;
    std::size_t counter_ = 0;
    TaskLists lists_;
};

}  // namespace

TaskLists compareStructures(const FolderStructure& source, const FolderStructure& dest,
                            platform::ProgressSink& progress, const ComparisonRules& rules,
                            const Exclusions& exclusions)
{
    return Comparison(source, dest, progress, rules, exclusions).run();
}

bool sameTime(const ComparisonRules& rules, std::int64_t secondsA, std::int32_t nanosecondsA, std::int64_t secondsB,
              std::int32_t nanosecondsB)
{
    const std::int64_t seconds = secondsA - secondsB;
    const bool sameNanoseconds = nanosecondsA == nanosecondsB;
    if (within(rules.times, seconds, sameNanoseconds)) return true;
    return rules.hourShift && (within(rules.times, seconds - kSecondsInHour, sameNanoseconds) ||
                               within(rules.times, seconds + kSecondsInHour, sameNanoseconds));
}

bool keepsAttributes(const platform::VolumeCapabilities& volume)
{
    return volume.keepsAcls && volume.keepsExtendedAttributes;
}

ComparisonRules rulesFor(const platform::VolumeCapabilities& source, const platform::VolumeCapabilities& dest)
{
    ComparisonRules rules;
    rules.times = std::max(source.times, dest.times);
    rules.hourShift = source.localTimes || dest.localTimes;
    rules.permissions = source.keepsPermissions && dest.keepsPermissions;
    rules.owners = rules.permissions && dest.setsAnyOwner;
    // The volumes that keep no permission bits (FAT, exFAT, NTFS) keep no extended attributes either;
    // a server reached by SFTP keeps bits but neither.
    rules.attributes = rules.permissions && keepsAttributes(source) && keepsAttributes(dest);
    return rules;
}

}  // namespace velmorane::engine
