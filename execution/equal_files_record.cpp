#include "execution/equal_files_record.h"

#include "platform/awaited_answer.h"
#include "platform/paths.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace velmorane::execution {
namespace {

using platform::FileRecord;

RecordedFile recordedOf(const FileRecord& source, std::uint64_t destInode, std::int64_t destChanged,
                        std::int64_t destModified)
{
    return {source.identity.inode, source.identity.born, source.identity.changed, source.size,
            platform::modifiedTimeOf(source), destInode, destChanged, destModified};
}

constexpr std::size_t kCarriedAtOnce = 4096;

class EqualFiles {
public:
    EqualFiles(const EqualFilesInputs& in, MoveRecordWriter& writer)
        : in_(in), writer_(writer), source_(in.trees.source.structure), dest_(in.trees.dest.structure),
          destFolders_(in.dest)
    {
    }

    void write()
    {
        writeUnchanged();
        std::optional<engine::LinesByPath> sourceLines;
        if (!in_.changed.empty()) sourceLines.emplace(source_);
        for (const engine::TaskEntry& entry : in_.changed) {
            if (entry.isFolder()) {
                if (const auto line = sourceLines->find(entry.sourcePath)) {
                    noteCarriedOut(source_.lines[*line], entry.destPath);
                }
                continue;
            }
            const auto line = sourceLines->find(platform::parentFolder(entry.sourcePath) + platform::kSeparator);
            if (!line) continue;
            const FileRecord* file = fileNamed(source_.lines[*line], platform::lastComponent(entry.sourcePath));
            if (file) {
                carry({file, platform::parentFolder(entry.destPath) + platform::kSeparator,
                       std::string(platform::lastComponent(entry.destPath))});
            }
        }
        writeCarried();
    }

private:
    void writeUnchanged()
    {
        const engine::UnchangedFiles& unchanged = in_.unchanged;
        for (std::size_t folder = 0; folder < unchanged.folders.size(); ++folder) {
            const engine::FolderLine& sourceLine = source_.lines[unchanged.folders[folder].sourceLine];
            const engine::FolderLine& destLine = dest_.lines[unchanged.folders[folder].destLine];
            writer_.enterFolder(destLine.relative());
            const std::size_t first = unchanged.folders[folder].first;
            for (std::size_t slot = first; slot < unchanged.end(folder); ++slot) {
                if (unchanged.destFileOf[slot] == engine::UnchangedFiles::kNotEqual) continue;
                const FileRecord& source = sourceLine.files[slot - first];
                const FileRecord& dest = destLine.files[unchanged.destFileOf[slot]];
                if (source.identity.born == 0) continue;
                writer_.add(dest.name, recordedOf(source, dest.identity.inode, dest.identity.changed,
                                                  platform::modifiedTimeOf(dest)));
            }
        }
    }

    // The entries of a list come folder after folder: each folder's files are indexed once.
    const FileRecord* fileNamed(const engine::FolderLine& line, const std::string& name)
    {
        if (&line != indexedLine_) {
            indexedLine_ = &line;
            filesByName_.clear();
            for (const FileRecord& file : line.files) filesByName_.emplace(file.name, &file);
        }
        const auto found = filesByName_.find(name);
        return found == filesByName_.end() ? nullptr : found->second;
    }

    // A file the execution carried out: recorded if it left it equal to its source.
    struct CarriedFile {
        const FileRecord* source;
        std::string destFolder;
        std::string name;
    };

    // The files of a folder copied whole (its sub-folders are entries of their own).
    void noteCarriedOut(const engine::FolderLine& line, const std::string& destFolder)
    {
        for (const FileRecord& file : line.files) carry({&file, destFolder, file.name.str()});
    }

    // Looked at a few thousand at a time: one wait each on a server, and little memory for a
    // million files copied whole.
    void carry(CarriedFile file)
    {
        carried_.push_back(std::move(file));
        if (carried_.size() == kCarriedAtOnce) writeCarried();
    }

    void writeCarried()
    {
        const auto statuses = statusesNow();
        for (std::size_t i = 0; i < carried_.size(); ++i) {
            if (statuses[i] && statuses[i]->ok()) writeIfEqualNow(carried_[i], statuses[i]->value);
        }
        carried_.clear();
    }

    // Every carried file looked at in one go: a volume on a server answers them all in one wait.
    std::vector<std::optional<platform::Result<platform::EntryStatus>>> statusesNow()
    {
        std::vector<std::optional<platform::FolderRef>> folders;
        folders.reserve(carried_.size());
        for (const CarriedFile& file : carried_) {
            const platform::FolderRef* folder =
                file.source->identity.born == 0 ? nullptr : destFolders_.at(file.destFolder);
            folders.push_back(folder ? std::optional(*folder) : std::nullopt);
        }
        return platform::awaitedAll<platform::Result<platform::EntryStatus>>(
            carried_.size(), [&](std::size_t i, auto done) {
                if (!folders[i]) return false;
                in_.dest.volume().entryStatus(*folders[i], carried_[i].name, done);
                return true;
            });
    }

    // What the comparison would find equal now: the same kind, size and time.
    void writeIfEqualNow(const CarriedFile& file, const platform::EntryStatus& now)
    {
        const FileRecord& source = *file.source;
        const platform::EntryKind kind = source.isLink ? platform::EntryKind::Link : platform::EntryKind::File;
        const platform::FileTime modified = platform::fileTimeOf(now.modified);
        if (now.kind != kind || now.size != source.size ||
            !engine::sameTime(in_.rules, source.modified, source.modifiedNanoseconds, modified.seconds,
                              modified.nanoseconds)) {
            return;
        }
        if (file.destFolder != lastFolder_) {
            lastFolder_ = file.destFolder;
            writer_.enterFolder(file.destFolder.substr(in_.dest.path().size()));
        }
        writer_.add(file.name, recordedOf(source, now.identity.inode, now.identity.changed, now.modified));
    }

    const EqualFilesInputs& in_;
    MoveRecordWriter& writer_;
    const engine::FolderStructure& source_;
    const engine::FolderStructure& dest_;
    engine::OpenFolderCache destFolders_;
    std::vector<CarriedFile> carried_;
    std::string lastFolder_;
    const engine::FolderLine* indexedLine_ = nullptr;
    std::unordered_map<std::string_view, const FileRecord*> filesByName_;
};

}  // namespace

platform::MaybeError recordEqualFiles(const EqualFilesInputs& inputs)
{
    auto writer = MoveRecordWriter::create(inputs.owner);
    if (!writer.ok()) return writer.error;
    EqualFiles(inputs, *writer.value).write();
    return writer.value->commit();
}

}  // namespace velmorane::execution
