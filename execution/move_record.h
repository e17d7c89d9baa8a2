#pragma once

#include "platform/system_error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velmorane::platform {
class BinaryStateWriter;
class VolumeAccess;
}

namespace velmorane::execution {

// Whose record it is: an ordered pair of start folders on the volumes that held them. A record of
// another pair, of the reverse direction or of another volume at the same place is never read.
struct RecordOwner {
    std::string sourceFolder;
    std::string destFolder;
    std::string sourceVolume;
    std::string destVolume;
};

// A file an execution left equal in the destination: the source file as it was (inode, birth and
// change times where the volume keeps them, size and time in nanoseconds) and what the destination
// file was then; its size is the source's.
struct RecordedFile {
    std::uint64_t sourceInode = 0;
    std::int64_t sourceBorn = 0;
    std::int64_t sourceChanged = 0;
    std::int64_t size = 0;
    std::int64_t sourceModified = 0;
    std::uint64_t destInode = 0;
    std::int64_t destChanged = 0;
    std::int64_t destModified = 0;
};

// By their path below the destination start folder ("a/b.txt").
using RecordedFiles = std::unordered_map<std::string, RecordedFile>;

// The owner of the record of a run between these two volumes' start folders.
RecordOwner recordOwnerOf(const platform::VolumeAccess& source, const platform::VolumeAccess& dest);

// Where the record of a pair is kept, in the program's state folder.
std::string moveRecordPath(const RecordOwner& owner);

// Visits each file of the record in its order, with its folder ("" or "a/b/"). False when the
// record is missing, another pair's, damaged, truncated or edited by hand: what was visited then
// is worth nothing.
using RecordedFileVisitor =
    std::function<void(std::string_view folder, std::string_view name, const RecordedFile& file)>;
[[nodiscard]] bool forEachRecordedFile(const RecordOwner& owner, const RecordedFileVisitor& visit);

// The files of the record whose folder ("" for the start folder, else "a/b/") `wanted` accepts.
// Nothing at all when the record is missing, another pair's, damaged, truncated or edited by hand.
RecordedFiles readMoveRecord(const RecordOwner& owner, const std::function<bool(std::string_view)>& wanted);

// Writes a record whole: names are stored once per folder, numbers in as few bytes as they need,
// and a checksum closes it, so a record cut short or changed is known.
class MoveRecordWriter {
public:
    [[nodiscard]] static platform::Result<std::unique_ptr<MoveRecordWriter>> create(const RecordOwner& owner);
    ~MoveRecordWriter();
    MoveRecordWriter(const MoveRecordWriter&) = delete;
    MoveRecordWriter& operator=(const MoveRecordWriter&) = delete;

    // The folder of the files added next ("" or "a/b/").
    void enterFolder(std::string_view folder);
    void add(std::string_view name, const RecordedFile& file);
    [[nodiscard]] platform::MaybeError commit();

private:
    explicit MoveRecordWriter(std::unique_ptr<platform::BinaryStateWriter> file);
    void put(std::string_view bytes);
    void putText(std::string_view text);
    void appendNumber(std::uint64_t number);
    void appendText(std::string_view text);

    std::unique_ptr<platform::BinaryStateWriter> file_;
    std::uint64_t checksum_;
    std::uint64_t files_ = 0;
    std::string scratch_;
};

}  // namespace velmorane::execution
