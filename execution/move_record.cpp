#include "execution/move_record.h"

#include "platform/binary_state_file.h"
#include "platform/paths.h"
#include "platform/state_file.h"
#include "platform/volume.h"

#include <array>
#include <cstdio>
#include <optional>

namespace velmorane::execution {
namespace {

constexpr std::string_view kMagic = "velmorane moves 1\n";
constexpr char kFolderTag = 'D';
constexpr char kFileTag = 'F';
constexpr char kEndTag = 'E';
constexpr std::uint64_t kChecksumStart = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kChecksumPrime = 0x100000001b3ULL;
// No path below a start folder is longer than this; a larger length is a damaged record.
constexpr std::uint64_t kLongestText = 1 << 20;

std::uint64_t checksumOf(std::uint64_t checksum, std::string_view bytes)
{
    for (const char c : bytes) checksum = (checksum ^ static_cast<unsigned char>(c)) * kChecksumPrime;
    return checksum;
}

std::string hexOf(std::uint64_t value)
{
    std::array<char, 17> text{};
    std::snprintf(text.data(), text.size(), "%016llx", static_cast<unsigned long long>(value));
    return text.data();
}

std::uint64_t zigzag(std::int64_t number)
{
    return (static_cast<std::uint64_t>(number) << 1) ^ static_cast<std::uint64_t>(number >> 63);
}

std::int64_t unzigzag(std::uint64_t number)
{
    return static_cast<std::int64_t>(number >> 1) ^ -static_cast<std::int64_t>(number & 1);
}

// Reads what MoveRecordWriter wrote; any surprise marks the whole record damaged.
class RecordReader {
public:
    explicit RecordReader(std::unique_ptr<platform::BinaryStateReader> file) : file_(std::move(file)) {}

    bool damaged() const { return damaged_; }
    std::uint64_t checksum() const { return checksum_; }

    std::optional<char> byte()
    {
        if (position_ == buffer_.size() && !refill()) return std::nullopt;
        const char c = buffer_[position_++];
        checksum_ = (checksum_ ^ static_cast<unsigned char>(c)) * kChecksumPrime;
        return c;
    }

    std::uint64_t number()
    {
        std::uint64_t value = 0;
        for (unsigned shift = 0; shift < 64; shift += 7) {
            const auto c = byte();
            if (!c) return fail();
            value |= static_cast<std::uint64_t>(*c & 0x7f) << shift;
            if ((*c & 0x80) == 0) return value;
        }
        return fail();
    }

    std::int64_t signedNumber() { return unzigzag(number()); }

    std::string text()
    {
        const std::uint64_t length = number();
        if (length > kLongestText) return fail(), std::string();
        std::string out;
        out.reserve(length);
        for (std::uint64_t i = 0; i < length && !damaged_; ++i) {
            const auto c = byte();
            if (!c) fail();
            else out.push_back(*c);
        }
        return out;
    }

    // The closing checksum is not part of what it sums.
    std::uint64_t rawWord()
    {
        std::uint64_t value = 0;
        const std::uint64_t summed = checksum_;
        for (unsigned shift = 0; shift < 64; shift += 8) {
            const auto c = byte();
            if (!c) return fail();
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(*c)) << shift;
        }
        checksum_ = summed;
        return value;
    }

    bool atEnd() { return position_ == buffer_.size() && !refill(); }

private:
    std::uint64_t fail()
    {
        damaged_ = true;
        return 0;
    }

    bool refill()
    {
        buffer_.resize(kBlock);
        buffer_.resize(file_->read(buffer_.data(), kBlock));
        position_ = 0;
        return !buffer_.empty();
    }

    static constexpr std::size_t kBlock = 1 << 20;
    std::unique_ptr<platform::BinaryStateReader> file_;
    std::string buffer_;
    std::size_t position_ = 0;
    std::uint64_t checksum_ = kChecksumStart;
    bool damaged_ = false;
};

bool readHeader(RecordReader& reader, const RecordOwner& owner)
{
    for (const char expected : kMagic) {
        if (reader.byte() != expected) return false;
    }
    return reader.text() == owner.sourceFolder && reader.text() == owner.destFolder &&
           reader.text() == owner.sourceVolume && reader.text() == owner.destVolume && !reader.damaged();
}

RecordedFile readFile(RecordReader& reader)
{
    RecordedFile file;
    file.sourceInode = reader.number();
    file.sourceBorn = reader.signedNumber();
    file.sourceChanged = reader.signedNumber();
    file.size = reader.signedNumber();
    file.sourceModified = reader.signedNumber();
    file.destInode = reader.number();
    file.destChanged = reader.signedNumber();
    file.destModified = file.sourceModified + reader.signedNumber();
    return file;
}

}  // namespace

RecordOwner recordOwnerOf(const platform::VolumeAccess& source, const platform::VolumeAccess& dest)
{
    return {source.startFolder(), dest.startFolder(), source.identity(), dest.identity()};
}

std::string moveRecordPath(const RecordOwner& owner)
{
    std::uint64_t key = checksumOf(kChecksumStart, owner.sourceFolder);
    key = checksumOf(key, std::string_view("\0", 1));
    key = checksumOf(key, owner.destFolder);
    return platform::joinPath(platform::joinPath(platform::stateFolder(), "moves"), hexOf(key));
}

bool forEachRecordedFile(const RecordOwner& owner, const RecordedFileVisitor& visit)
{
    auto file = platform::BinaryStateReader::open(moveRecordPath(owner));
    if (!file) return false;
    RecordReader reader(std::move(file));
    if (!readHeader(reader, owner)) return false;
    std::string folder;
    std::uint64_t count = 0;
    for (;;) {
        const auto tag = reader.byte();
        if (!tag || reader.damaged()) return false;
        if (*tag == kFolderTag) {
            folder = reader.text();
        } else if (*tag == kFileTag) {
            const std::string name = reader.text();
            const RecordedFile recorded = readFile(reader);
            ++count;
            if (!reader.damaged()) visit(folder, name, recorded);
        } else if (*tag == kEndTag) {
            const bool countMatches = reader.number() == count;
            const std::uint64_t summed = reader.checksum();
            const bool sumMatches = reader.rawWord() == summed;
            return countMatches && sumMatches && !reader.damaged() && reader.atEnd();
        } else {
            return false;
        }
    }
}

RecordedFiles readMoveRecord(const RecordOwner& owner, const std::function<bool(std::string_view)>& wanted)
{
    RecordedFiles files;
    std::optional<std::string> folderSeen;
    bool keep = false;
    const bool whole = forEachRecordedFile(owner, [&](std::string_view folder, std::string_view name,
                                                      const RecordedFile& recorded) {
        if (folderSeen != folder) {
            folderSeen = std::string(folder);
            keep = wanted(folder);
        }
        if (keep) files[std::string(folder).append(name)] = recorded;
    });
    if (!whole) return {};
    return files;
}

platform::Result<std::unique_ptr<MoveRecordWriter>> MoveRecordWriter::create(const RecordOwner& owner)
{
    using Created = platform::Result<std::unique_ptr<MoveRecordWriter>>;
    auto file = platform::BinaryStateWriter::create(moveRecordPath(owner));
    if (!file.ok()) return Created::failure(*file.error);
    std::unique_ptr<MoveRecordWriter> writer(new MoveRecordWriter(std::move(file.value)));
    writer->put(kMagic);
    for (const std::string* text : {&owner.sourceFolder, &owner.destFolder, &owner.sourceVolume, &owner.destVolume}) {
        writer->putText(*text);
    }
    return {std::move(writer), std::nullopt};
}

MoveRecordWriter::MoveRecordWriter(std::unique_ptr<platform::BinaryStateWriter> file)
    : file_(std::move(file)), checksum_(kChecksumStart)
{
}

MoveRecordWriter::~MoveRecordWriter() = default;

void MoveRecordWriter::put(std::string_view bytes)
{
    checksum_ = checksumOf(checksum_, bytes);
    file_->write(bytes);
}

void MoveRecordWriter::appendNumber(std::uint64_t number)
{
    while (number >= 0x80) {
        scratch_.push_back(static_cast<char>((number & 0x7f) | 0x80));
        number >>= 7;
    }
    scratch_.push_back(static_cast<char>(number));
}

void MoveRecordWriter::appendText(std::string_view text)
{
    appendNumber(text.size());
    scratch_.append(text);
}

// Each piece is gathered whole, then summed and written at once.
void MoveRecordWriter::putText(std::string_view text)
{
    scratch_.clear();
    appendText(text);
    put(scratch_);
}

void MoveRecordWriter::enterFolder(std::string_view folder)
{
    scratch_.assign(1, kFolderTag);
    appendText(folder);
    put(scratch_);
}

void MoveRecordWriter::add(std::string_view name, const RecordedFile& file)
{
    scratch_.assign(1, kFileTag);
    appendText(name);
    appendNumber(file.sourceInode);
    appendNumber(zigzag(file.sourceBorn));
    appendNumber(zigzag(file.sourceChanged));
    appendNumber(zigzag(file.size));
    appendNumber(zigzag(file.sourceModified));
    appendNumber(file.destInode);
    appendNumber(zigzag(file.destChanged));
    appendNumber(zigzag(file.destModified - file.sourceModified));  // mostly 0: one byte
    put(scratch_);
    ++files_;
}

platform::MaybeError MoveRecordWriter::commit()
{
    scratch_.assign(1, kEndTag);
    appendNumber(files_);
    put(scratch_);
    std::string word;
    for (unsigned shift = 0; shift < 64; shift += 8) word.push_back(static_cast<char>((checksum_ >> shift) & 0xff));
    file_->write(word);
    return file_->commit();
}

}  // namespace velmorane::execution
