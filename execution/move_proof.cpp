#include "execution/move_proof.h"

#include "engine/start_folders.h"
#include "execution/folder_set.h"
#include "platform/paths.h"
#include "platform/awaited_answer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace velmorane::execution {
namespace {

// Bytes are compared with a few candidates of an add at most: the same name first, then the same
// time. Files that differ mostly do so in their first block.
constexpr std::size_t kByteComparisonsPerFile = 4;
constexpr std::size_t kFolderCandidates = 4;

using engine::FolderLine;
using engine::FolderStructure;
using platform::FileRecord;

FileSnapshot snapshotOf(const FileRecord& file)
{
    return {file.identity.inode, file.size, platform::modifiedTimeOf(file), file.identity.changed};
}

std::string_view lastNameOf(const FolderLine& line)
{
    std::string_view relative = line.relative();
    relative.remove_suffix(1);
    const auto slash = relative.rfind(platform::kSeparator);
    return slash == std::string_view::npos ? relative : relative.substr(slash + 1);
}

// One file of a tree, by its folder line and its place in that line.
struct TreeFile {
    std::size_t line = 0;
    std::size_t file = 0;
};

// The sub-folders of each line of a tree, by name.
std::vector<std::map<std::string_view, std::size_t>> childrenByName(const FolderStructure& tree)
{
    std::vector<std::map<std::string_view, std::size_t>> children(tree.lines.size());
    for (std::size_t i = 1; i < tree.lines.size(); ++i) children[tree.lines[i].parent][lastNameOf(tree.lines[i])] = i;
    return children;
}

std::optional<std::size_t> fileNamed(const FolderLine& line, std::string_view name)
{
    for (std::size_t i = 0; i < line.files.size(); ++i) {
        if (line.files[i].name == name) return i;
    }
    return std::nullopt;
}

class Prover {
public:
    explicit Prover(const MoveProofInputs& in)
        : in_(in), source_(in.trees.source.structure), dest_(in.trees.dest.structure),
          sourceFolders_(in.source), destFolders_(in.dest)
    {
    }

    MovePlan run()
    {
        collectDeleteSide();
        if (deleteSide_.empty()) return std::move(plan_);
        collectAddSide();
        if (addSide_.empty()) return std::move(plan_);
        readRecord();
        proveFolders();
        for (const AddSideFile& added : addSide_) {
            if (!movedFolderLines_.contains(added.file.line)) proveFile(added);
        }
        return std::move(plan_);
    }

private:
    struct AddSideFile {
        TreeFile file;
        std::string destPath;
    };

    struct DeleteSideFile {
        TreeFile file;
        bool taken = false;
    };

    struct ProvenInside {
        AddSideFile added;
        std::size_t deleted = 0;
        MoveProof proof = MoveProof::Bytes;
    };

    const FileRecord& sourceFile(const TreeFile& f) const { return source_.lines[f.line].files[f.file]; }
    const FileRecord& destFile(const TreeFile& f) const { return dest_.lines[f.line].files[f.file]; }

    std::string destRelative(const TreeFile& f) const
    {
        return std::string(dest_.lines[f.line].relative()) + destFile(f).name;
    }

    // Every file the delete list takes away: those listed, and all those inside a listed folder,
    // each of whose sub-folders is listed too.
    void collectDeleteSide()
    {
        const engine::TaskList& deletes = in_.lists.deleteList();
        if (deletes.count() == 0 || in_.lists.addList().count() == 0) return;
        const engine::LinesByPath lines(dest_);
        for (std::size_t i = 0; i < deletes.count(); ++i) {
            const engine::TaskEntry& entry = deletes.entry(i);
            if (entry.kind == engine::EntryKind::Special) continue;
            if (entry.isFolder()) {
                const auto line = lines.find(entry.destPath);
                if (!line) continue;
                firstDeleteSide_[*line] = deleteSide_.size();
                for (std::size_t f = 0; f < dest_.lines[*line].files.size(); ++f) addDeleteSide({*line, f});
                continue;
            }
            const auto line = lines.find(platform::parentFolder(entry.destPath) + platform::kSeparator);
            if (!line) continue;
            if (const auto f = fileNamed(dest_.lines[*line], platform::lastComponent(entry.destPath))) {
                addDeleteSide({*line, *f});
            }
        }
    }

    void addDeleteSide(const TreeFile& f)
    {
        const FileRecord& file = destFile(f);
        const std::size_t index = deleteSide_.size();
        deleteSide_.push_back({f, false});
        deleteSideByPath_.emplace(destRelative(f), index);
        deleteSideBySize_[{file.isLink, file.size}].push_back(index);
        deleteSideFolders_.emplace(dest_.lines[f.line].relative());
    }

    // Every file the add list brings: those listed, and all those of each listed folder.
    void collectAddSide()
    {
        const engine::TaskList& adds = in_.lists.addList();
        const engine::LinesByPath lines(source_);
        for (std::size_t i = 0; i < adds.count(); ++i) {
            const engine::TaskEntry& entry = adds.entry(i);
            if (entry.isFolder()) {
                const auto line = lines.find(entry.sourcePath);
                if (!line) continue;
                addedFolderLines_.emplace(entry.destPath, *line);
                for (std::size_t f = 0; f < source_.lines[*line].files.size(); ++f) {
                    addSide_.push_back({{*line, f}, entry.destPath + source_.lines[*line].files[f].name});
                }
                continue;
            }
            const auto line = lines.find(platform::parentFolder(entry.sourcePath) + platform::kSeparator);
            if (!line) continue;
            if (const auto f = fileNamed(source_.lines[*line], platform::lastComponent(entry.sourcePath))) {
                addSide_.push_back({{*line, *f}, entry.destPath});
            }
        }
    }

    // Only the folders that lose files matter: the rest of the record is not kept in memory.
    void readRecord()
    {
        if (!in_.sourceKeepsIdentity) return;
        record_ = readMoveRecord(in_.owner, [this](std::string_view folder) {
            return deleteSideFolders_.contains(std::string(folder));
        });
        for (const auto& [path, recorded] : record_) {
            placesOfIdentity_[{recorded.sourceInode, recorded.sourceBorn}].push_back(path);
        }
    }

    // The record says the source file now added was at the deleted place, and left there what is
    // there still: same inode and birth, same size and time; the destination file unchanged since.
    bool provenByRecord(const FileRecord& added, const DeleteSideFile& deleted) const
    {
        if (!in_.sourceKeepsIdentity || added.identity.born == 0) return false;
        const auto found = record_.find(destRelative(deleted.file));
        if (found == record_.end()) return false;
        const RecordedFile& recorded = found->second;
        const FileRecord& old = destFile(deleted.file);
        const bool sameSource = recorded.sourceInode == added.identity.inode &&
                                recorded.sourceBorn == added.identity.born && recorded.size == added.size &&
                                recorded.sourceModified == platform::modifiedTimeOf(added);
        const bool sameDest = old.size == recorded.size && platform::modifiedTimeOf(old) == recorded.destModified &&
                              (!in_.destKeepsIdentity || (old.identity.inode == recorded.destInode &&
                                                          old.identity.changed == recorded.destChanged));
        return sameSource && sameDest && old.isLink == added.isLink;
    }

    bool provenByBytes(const TreeFile& added, const DeleteSideFile& deleted)
    {
        const FileRecord& from = sourceFile(added);
        const FileRecord& old = destFile(deleted.file);
        if (from.size != old.size || from.isLink != old.isLink) return false;
        const platform::FolderRef* sourceFolder = sourceFolders_.at(source_.lines[added.line].path);
        const platform::FolderRef* destFolder = destFolders_.at(dest_.lines[deleted.file.line].path);
        if (!sourceFolder || !destFolder) return false;
        const auto same = platform::awaited<platform::Result<bool>>([&](auto done) {
            in_.source.volume().sameBytes(*sourceFolder, from.name.str(), in_.dest.volume(), *destFolder, old.name.str(), done);
        });
        return same.ok() && same.value;
    }

    std::optional<MoveProof> proof(const TreeFile& added, const DeleteSideFile& deleted)
    {
        if (provenByRecord(sourceFile(added), deleted)) return MoveProof::Record;
        if (provenByBytes(added, deleted)) return MoveProof::Bytes;
        return std::nullopt;
    }

    void takeMove(const AddSideFile& added, std::size_t deletedIndex, MoveProof proof)
    {
        DeleteSideFile& deleted = deleteSide_[deletedIndex];
        deleted.taken = true;
        ++plan_.filesKept;
        const FileRecord& from = sourceFile(added.file);
        plan_.files[added.destPath] = {dest_.lines[deleted.file.line].path + destFile(deleted.file).name,
                                       source_.lines[added.file.line].path + from.name, snapshotOf(from),
                                       snapshotOf(destFile(deleted.file)), proof};
    }

    void proveFile(const AddSideFile& added)
    {
        const FileRecord& from = sourceFile(added.file);
        if (in_.sourceKeepsIdentity && from.identity.born != 0) {
            const auto places = placesOfIdentity_.find({from.identity.inode, from.identity.born});
            if (places != placesOfIdentity_.end()) {
                for (const std::string& place : places->second) {
                    const auto deleted = deleteSideByPath_.find(place);
                    if (deleted == deleteSideByPath_.end() || deleteSide_[deleted->second].taken) continue;
                    if (!provenByRecord(from, deleteSide_[deleted->second])) continue;
                    return takeMove(added, deleted->second, MoveProof::Record);
                }
            }
        }
        for (const std::size_t candidate : byteCandidates(from)) {
            if (provenByBytes(added.file, deleteSide_[candidate])) return takeMove(added, candidate, MoveProof::Bytes);
        }
    }

    std::vector<std::size_t> byteCandidates(const FileRecord& from) const
    {
        const auto sameSize = deleteSideBySize_.find({from.isLink, from.size});
        if (sameSize == deleteSideBySize_.end()) return {};
        std::vector<std::pair<int, std::size_t>> ranked;
        for (const std::size_t index : sameSize->second) {
            if (deleteSide_[index].taken) continue;
            const FileRecord& old = destFile(deleteSide_[index].file);
            const bool sameName = old.name == from.name;
            const bool sameTime = engine::sameTime(in_.rules, from.modified, from.modifiedNanoseconds, old.modified,
                                                   old.modifiedNanoseconds);
            ranked.emplace_back(sameName ? 0 : sameTime ? 1 : 2, index);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::size_t> candidates;
        for (std::size_t i = 0; i < ranked.size() && i < kByteComparisonsPerFile; ++i) candidates.push_back(ranked[i].second);
        return candidates;
    }

    // Added folders, outermost first: one that holds a deleted folder's names, each file proven at
    // its own place there, is renamed whole.
    void proveFolders()
    {
        if (addedFolderLines_.empty()) return;
        sourceChildren_ = childrenByName(source_);
        destChildren_ = childrenByName(dest_);
        std::unordered_map<engine::Fingerprint, std::vector<std::string>> deletedByFingerprint;
        for (const auto& [path, fingerprint] : in_.fingerprints.deleted) deletedByFingerprint[fingerprint].push_back(path);
        const engine::LinesByPath destLines(dest_);
        FolderSet moved;
        FolderSet taken;
        const engine::TaskList& adds = in_.lists.addList();
        for (std::size_t i = 0; i < adds.count(); ++i) {
            const engine::TaskEntry& entry = adds.entry(i);
            if (!entry.isFolder() || moved.contains(entry.destPath)) continue;
            const auto fingerprint = in_.fingerprints.added.find(entry.sourcePath);
            if (fingerprint == in_.fingerprints.added.end()) continue;
            const auto candidates = deletedByFingerprint.find(fingerprint->second);
            const auto sourceLine = addedFolderLines_.find(entry.destPath);
            if (candidates == deletedByFingerprint.end() || sourceLine == addedFolderLines_.end()) continue;
            for (const std::string& oldPath : rankedFolders(candidates->second, entry.destPath, taken)) {
                const auto destLine = destLines.find(oldPath);
                if (!destLine) continue;
                ProvenFolderMove folder{oldPath, {}};
                std::vector<ProvenInside> files;
                if (!proveFolder(sourceLine->second, *destLine, entry.destPath, files)) continue;
                for (const ProvenInside& inside : files) {
                    takeMove(inside.added, inside.deleted, inside.proof);
                    folder.files.push_back(inside.added.destPath);
                }
                markMovedLines(sourceLine->second);
                moved.add(entry.destPath);
                taken.add(oldPath);
                plan_.folders.emplace(entry.destPath, std::move(folder));
                break;
            }
        }
    }

    std::vector<std::string> rankedFolders(const std::vector<std::string>& candidates, const std::string& newPath,
                                           const FolderSet& taken) const
    {
        const std::string name = platform::lastComponent(platform::withoutTrailingSeparator(newPath));
        std::vector<std::string> ranked;
        for (const std::string& path : candidates) {
            if (taken.contains(path + "/")) continue;  // the folder itself, or one above it, is taken
            if (platform::lastComponent(platform::withoutTrailingSeparator(path)) == name) {
                ranked.insert(ranked.begin(), path);
            } else {
                ranked.push_back(path);
            }
        }
        if (ranked.size() > kFolderCandidates) ranked.resize(kFolderCandidates);
        return ranked;
    }

    // Both folders hold the same names all the way down, and each added file is proven to be the
    // deleted one at its own place.
    bool proveFolder(std::size_t sourceLine, std::size_t destLine, const std::string& newPath,
                     std::vector<ProvenInside>& files)
    {
        const FolderLine& from = source_.lines[sourceLine];
        const FolderLine& old = dest_.lines[destLine];
        const auto first = firstDeleteSide_.find(destLine);
        if (first == firstDeleteSide_.end() || from.files.size() != old.files.size()) return false;
        if (sourceChildren_[sourceLine].size() != destChildren_[destLine].size()) return false;
        for (std::size_t f = 0; f < from.files.size(); ++f) {
            const auto match = fileNamed(old, from.files[f].name);
            if (!match || deleteSide_[first->second + *match].taken) return false;
            AddSideFile added{{sourceLine, f}, newPath + from.files[f].name};
            const std::size_t deleted = first->second + *match;
            const auto how = proof(added.file, deleteSide_[deleted]);
            if (!how) return false;
            files.push_back({std::move(added), deleted, *how});
        }
        for (const auto& [name, child] : sourceChildren_[sourceLine]) {
            const auto counterpart = destChildren_[destLine].find(name);
            if (counterpart == destChildren_[destLine].end()) return false;
            if (!proveFolder(child, counterpart->second, newPath + std::string(name) + platform::kSeparator, files)) {
                return false;
            }
        }
        return true;
    }

    void markMovedLines(std::size_t sourceLine)
    {
        movedFolderLines_.insert(sourceLine);
        for (const auto& [name, child] : sourceChildren_[sourceLine]) markMovedLines(child);
    }

    struct IdentityHash {
        std::size_t operator()(const std::pair<std::uint64_t, std::int64_t>& key) const
        {
            return std::hash<std::uint64_t>()(key.first * 0x9e3779b97f4a7c15ULL ^ static_cast<std::uint64_t>(key.second));
        }
    };

    const MoveProofInputs& in_;
    const FolderStructure& source_;
    const FolderStructure& dest_;
    engine::OpenFolderCache sourceFolders_;
    engine::OpenFolderCache destFolders_;
    std::vector<DeleteSideFile> deleteSide_;
    std::unordered_map<std::string, std::size_t> deleteSideByPath_;  // by destination relative path
    std::map<std::pair<bool, std::int64_t>, std::vector<std::size_t>> deleteSideBySize_;
    std::unordered_set<std::string> deleteSideFolders_;
    std::unordered_map<std::size_t, std::size_t> firstDeleteSide_;  // a deleted folder's line: its first file
    std::vector<AddSideFile> addSide_;
    std::unordered_map<std::string, std::size_t> addedFolderLines_;  // by destination path
    std::unordered_set<std::size_t> movedFolderLines_;
    std::vector<std::map<std::string_view, std::size_t>> sourceChildren_;
    std::vector<std::map<std::string_view, std::size_t>> destChildren_;
    RecordedFiles record_;
    std::unordered_map<std::pair<std::uint64_t, std::int64_t>, std::vector<std::string>, IdentityHash> placesOfIdentity_;
    MovePlan plan_;
};

}  // namespace

MovePlan proveMoves(const MoveProofInputs& inputs)
{
    return Prover(inputs).run();
}

}  // namespace velmorane::execution
