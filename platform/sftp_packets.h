#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// The packet types of SFTP version 3, as numbered on the wire.
enum class SftpPacketType : std::uint8_t {
    Init = 1,
    Version = 2,
    Open = 3,
    Close = 4,
    Read = 5,
    Write = 6,
    Lstat = 7,
    Fstat = 8,
    SetStat = 9,
    FileSetStat = 10,
    OpenFolder = 11,
    ReadFolder = 12,
    Remove = 13,
    MakeFolder = 14,
    RemoveFolder = 15,
    RealPath = 16,
    Stat = 17,
    Rename = 18,
    ReadLink = 19,
    Symlink = 20,
    Status = 101,
    Handle = 102,
    Data = 103,
    Name = 104,
    Attributes = 105,
    Extended = 200,
    ExtendedReply = 201,
};

// The status codes a server answers with.
enum class SftpStatus : std::uint32_t {
    Ok = 0,
    EndOfFile = 1,
    NoSuchFile = 2,
    PermissionDenied = 3,
    Failure = 4,
    BadMessage = 5,
    NoConnection = 6,
    ConnectionLost = 7,
    Unsupported = 8,
};

// The flags of OPEN.
inline constexpr std::uint32_t kSftpOpenRead = 0x01;
inline constexpr std::uint32_t kSftpOpenWrite = 0x02;
inline constexpr std::uint32_t kSftpOpenCreate = 0x08;
inline constexpr std::uint32_t kSftpOpenExclusive = 0x20;

// What a server tells or is told of an entry; each part is there only when sent. Times are whole
// seconds: the protocol has no finer ones.
struct SftpAttributes {
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> uid;
    std::optional<std::uint32_t> gid;
    std::optional<std::uint32_t> permissions;  // the type bits of st_mode included
    std::optional<std::uint32_t> accessTime;
    std::optional<std::uint32_t> modificationTime;

    bool isFolder() const;
    bool isLink() const;
    bool isRegularFile() const;
};

// Builds one packet: its length, its type, then the fields added.
class SftpPacketWriter {
public:
    explicit SftpPacketWriter(SftpPacketType type);
    void addUint32(std::uint32_t value);
    void addUint64(std::uint64_t value);
    void addString(std::string_view text);
    void addAttributes(const SftpAttributes& attributes);
    // Fields encoded already, as a request carries them.
    void addEncoded(std::string_view fields);
    // The whole packet, its length in front.
    std::string finish();

private:
    std::string bytes_;
};

// Reads the fields of a packet's body in order; every read is false once the body ran short, so a
// server's malformed answer is refused rather than read past its end.
class SftpPacketReader {
public:
    explicit SftpPacketReader(std::string_view body) : body_(body) {}
    [[nodiscard]] bool readByte(std::uint8_t& value);
    [[nodiscard]] bool readUint32(std::uint32_t& value);
    [[nodiscard]] bool readUint64(std::uint64_t& value);
    [[nodiscard]] bool readString(std::string& text);
    [[nodiscard]] bool readAttributes(SftpAttributes& attributes);
    bool atEnd() const { return body_.empty(); }

private:
    std::string_view body_;
};

// The length of the packet at the start of bytes, its 4-byte length field excluded; empty while
// fewer than 4 bytes arrived.
std::optional<std::uint32_t> sftpPacketLength(std::string_view bytes);

}  // namespace velmorane::platform
