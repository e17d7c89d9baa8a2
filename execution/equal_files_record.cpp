#include "execution/equal_files_record.h"

#include "platform/awaited_answer.h"
#include "platform/paths.h"

#include <unordered_map>

namespace velmorane::execution {
namespace {

using platform::FileRecord;

RecordedFile recordedOf(const FileRecord& source, std::uint64_t destInode, std::int64_t destChanged,
                        std::int64_t destModified)
{
    return {source.identity.inode, source.identity.born, source.identity.changed, source.size,
            platform::modifiedTimeOf(source), destInode, destChanged, destModified};
}

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
        std::unordered_map<std::string_view, std::size_t> sourceLines;
        for (std::size_t i = 0; i < source_.lines.size(); ++i) sourceLines.emplace(source_.lines[i].path, i);
        for (const engine::TaskEntry& entry : in_.changed) {
            if (entry.isFolder()) {
                const auto line = sourceLines.find(entry.sourcePath);
                if (line != sourceLines.end()) writeCarriedOut(source_.lines[line->second], entry.destPath);
                continue;
            }
            const auto line = sourceLines.find(platform::parentFolder(entry.sourcePath) + platform::kSeparator);
            if (line == sourceLines.end()) continue;
            for (const FileRecord& file : source_.lines[line->second].files) {
                if (file.name == platform::lastComponent(entry.sourcePath)) {
                    writeIfEqualNow(file, platform::parentFolder(entry.destPath) + platform::kSeparator,
                                    platform::lastComponent(entry.destPath));
                }
            }
        }
    }

private:
    void writeUnchanged()
    {
        const engine::UnchangedFiles& unchanged = in_.unchanged;
        for (std::size_t folder = 0; folder < unchanged.folders.size(); ++folder) {
            const engine::FolderLine& sourceLine = source_.lines[unchanged.folders[folder].sourceLine];
            const engine::FolderLine& destLine = dest_.lines[unchanged.folders[folder].destLine];
            writer_.enterFolder(destLine.relative);
            for (std::size_t i = unchanged.folders[folder].first; i < unchanged.end(folder); ++i) {
                const FileRecord& source = sourceLine.files[unchanged.pairs[i].first];
                const FileRecord& dest = destLine.files[unchanged.pairs[i].second];
                if (source.identity.born == 0) continue;
                writer_.add(dest.name, recordedOf(source, dest.identity.inode, dest.identity.changed,
                                                  platform::modifiedTimeOf(dest)));
            }
        }
    }

    // The files of a folder copied whole (its sub-folders are entries of their own).
    void writeCarriedOut(const engine::FolderLine& line, const std::string& destFolder)
    {
        for (const FileRecord& file : line.files) writeIfEqualNow(file, destFolder, file.name);
    }

    // What the comparison would find equal now: the same kind, size and time.
    void writeIfEqualNow(const FileRecord& source, const std::string& destFolder, const std::string& name)
    {
        if (source.identity.born == 0) return;
        const platform::FolderRef* folder = destFolders_.at(destFolder);
        if (!folder) return;
        const auto dest = platform::awaited<platform::Result<platform::EntryStatus>>(
            [&](auto done) { in_.dest.volume().entryStatus(*folder, name, done); });
        if (!dest.ok()) return;
        const platform::EntryStatus& now = dest.value;
        const platform::EntryKind kind = source.isLink ? platform::EntryKind::Link : platform::EntryKind::File;
        const platform::FileTime modified = platform::fileTimeOf(now.modified);
        if (now.kind != kind || now.size != source.size ||
            !engine::sameTime(in_.rules, source.modified, source.modifiedNanoseconds, modified.seconds,
                              modified.nanoseconds)) {
            return;
        }
        if (destFolder != lastFolder_) {
            lastFolder_ = destFolder;
            writer_.enterFolder(destFolder.substr(in_.dest.path().size()));
        }
        writer_.add(name, recordedOf(source, now.identity.inode, now.identity.changed, now.modified));
    }

    const EqualFilesInputs& in_;
    MoveRecordWriter& writer_;
    const engine::FolderStructure& source_;
    const engine::FolderStructure& dest_;
    engine::OpenFolderCache destFolders_;
    std::string lastFolder_;
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
