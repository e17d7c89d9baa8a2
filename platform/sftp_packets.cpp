#include "platform/sftp_packets.h"

#include <sys/stat.h>

namespace velmorane::platform {
namespace {

constexpr std::uint32_t kHasSize = 0x1;
constexpr std::uint32_t kHasOwner = 0x2;
constexpr std::uint32_t kHasPermissions = 0x4;
constexpr std::uint32_t kHasTimes = 0x8;
constexpr std::uint32_t kHasExtended = 0x80000000;

void putUint32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int shift = 24, i = 0; shift >= 0; shift -= 8, ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xff);
    }
}

std::uint32_t fileType(const SftpAttributes& attributes)
{
    return attributes.permissions ? (*attributes.permissions & S_IFMT) : 0;
}

}  // namespace

bool SftpAttributes::isFolder() const { return fileType(*this) == S_IFDIR; }
bool SftpAttributes::isLink() const { return fileType(*this) == S_IFLNK; }
bool SftpAttributes::isRegularFile() const { return fileType(*this) == S_IFREG; }

SftpPacketWriter::SftpPacketWriter(SftpPacketType type) : bytes_(4, '\0')
{
    bytes_.push_back(static_cast<char>(type));
}

void SftpPacketWriter::addUint32(std::uint32_t value)
{
    bytes_.append(4, '\0');
    putUint32(bytes_, bytes_.size() - 4, value);
}

void SftpPacketWriter::addUint64(std::uint64_t value)
{
    addUint32(static_cast<std::uint32_t>(value >> 32));
    addUint32(static_cast<std::uint32_t>(value & 0xffffffffu));
}

void SftpPacketWriter::addString(std::string_view text)
{
    addUint32(static_cast<std::uint32_t>(text.size()));
    bytes_.append(text);
}

void SftpPacketWriter::addAttributes(const SftpAttributes& attributes)
{
    // Access and modification times travel together: the one not given keeps the other's value.
    const bool hasTimes = attributes.accessTime || attributes.modificationTime;
    const std::uint32_t flags = (attributes.size ? kHasSize : 0) | (attributes.uid && attributes.gid ? kHasOwner : 0) |
                                (attributes.permissions ? kHasPermissions : 0) | (hasTimes ? kHasTimes : 0);
    addUint32(flags);
    if (attributes.size) addUint64(*attributes.size);
    if (flags & kHasOwner) {
        addUint32(*attributes.uid);
        addUint32(*attributes.gid);
    }
    if (attributes.permissions) addUint32(*attributes.permissions);
    if (hasTimes) {
        addUint32(attributes.accessTime.value_or(attributes.modificationTime.value_or(0)));
        addUint32(attributes.modificationTime.value_or(attributes.accessTime.value_or(0)));
    }
}

void SftpPacketWriter::addEncoded(std::string_view fields)
{
    bytes_.append(fields);
}

std::string SftpPacketWriter::finish()
{
    putUint32(bytes_, 0, static_cast<std::uint32_t>(bytes_.size() - 4));
    return std::move(bytes_);
}

bool SftpPacketReader::readByte(std::uint8_t& value)
{
    if (body_.empty()) return false;
    value = static_cast<std::uint8_t>(body_.front());
    body_.remove_prefix(1);
    return true;
}

bool SftpPacketReader::readUint32(std::uint32_t& value)
{
    if (body_.size() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(body_[static_cast<std::size_t>(i)]);
    body_.remove_prefix(4);
    return true;
}

bool SftpPacketReader::readUint64(std::uint64_t& value)
{
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    if (!readUint32(high) || !readUint32(low)) return false;
    value = (std::uint64_t{high} << 32) | low;
    return true;
}

bool SftpPacketReader::readString(std::string& text)
{
    std::uint32_t length = 0;
    if (!readUint32(length) || body_.size() < length) return false;
    text.assign(body_.substr(0, length));
    body_.remove_prefix(length);
    return true;
}

bool SftpPacketReader::readAttributes(SftpAttributes& attributes)
{
    std::uint32_t flags = 0;
    if (!readUint32(flags)) return false;
    attributes = {};
    std::uint64_t size = 0;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (flags & kHasSize) {
        if (!readUint64(size)) return false;
        attributes.size = size;
    }
    if (flags & kHasOwner) {
        if (!readUint32(first) || !readUint32(second)) return false;
        attributes.uid = first;
        attributes.gid = second;
    }
    if (flags & kHasPermissions) {
        if (!readUint32(first)) return false;
        attributes.permissions = first;
    }
    if (flags & kHasTimes) {
        if (!readUint32(first) || !readUint32(second)) return false;
        attributes.accessTime = first;
        attributes.modificationTime = second;
    }
    if (flags & kHasExtended) {
        std::uint32_t count = 0;
        if (!readUint32(count)) return false;
        std::string ignored;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!readString(ignored) || !readString(ignored)) return false;
        }
    }
    return true;
}

std::optional<std::uint32_t> sftpPacketLength(std::string_view bytes)
{
    SftpPacketReader reader(bytes);
    std::uint32_t length = 0;
    if (!reader.readUint32(length)) return std::nullopt;
    return length;
}

}  // namespace velmorane::platform
