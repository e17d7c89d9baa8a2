#include "platform/sftp_requests.h"

namespace velmorane::platform {
namespace {

// The fields of a request, without the packet's length, type and number, which the session adds.
class Fields {
public:
    Fields& string(std::string_view text)
    {
        writer_.addString(text);
        return *this;
    }
    Fields& number(std::uint32_t value)
    {
        writer_.addUint32(value);
        return *this;
    }
    Fields& offset(std::uint64_t value)
    {
        writer_.addUint64(value);
        return *this;
    }
    Fields& attributes(const SftpAttributes& value)
    {
        writer_.addAttributes(value);
        return *this;
    }
    SftpRequest request(SftpPacketType type)
    {
        std::string packet = writer_.finish();
        return SftpRequest{type, packet.substr(kHeaderSize)};
    }

private:
    static constexpr std::size_t kHeaderSize = 5;  // length and type
    SftpPacketWriter writer_{SftpPacketType::Init};
};

SftpRequest onePath(SftpPacketType type, const std::string& path)
{
    return Fields().string(path).request(type);
}

}  // namespace

SftpRequest realPathRequest(const std::string& path) { return onePath(SftpPacketType::RealPath, path); }
SftpRequest linkStatusRequest(const std::string& path) { return onePath(SftpPacketType::Lstat, path); }
SftpRequest statusRequest(const std::string& path) { return onePath(SftpPacketType::Stat, path); }
SftpRequest folderRemovalRequest(const std::string& path) { return onePath(SftpPacketType::RemoveFolder, path); }
SftpRequest fileRemovalRequest(const std::string& path) { return onePath(SftpPacketType::Remove, path); }
SftpRequest linkReadingRequest(const std::string& path) { return onePath(SftpPacketType::ReadLink, path); }
SftpRequest folderOpeningRequest(const std::string& path) { return onePath(SftpPacketType::OpenFolder, path); }
SftpRequest folderReadingRequest(const std::string& handle) { return onePath(SftpPacketType::ReadFolder, handle); }
SftpRequest closingRequest(const std::string& handle) { return onePath(SftpPacketType::Close, handle); }

SftpRequest statusSettingRequest(const std::string& path, const SftpAttributes& attributes)
{
    return Fields().string(path).attributes(attributes).request(SftpPacketType::SetStat);
}

SftpRequest handleStatusSettingRequest(const std::string& handle, const SftpAttributes& attributes)
{
    return Fields().string(handle).attributes(attributes).request(SftpPacketType::FileSetStat);
}

SftpRequest folderMakingRequest(const std::string& path, const SftpAttributes& attributes)
{
    return Fields().string(path).attributes(attributes).request(SftpPacketType::MakeFolder);
}

SftpRequest renameRequest(const std::string& from, const std::string& to)
{
    return Fields().string(from).string(to).request(SftpPacketType::Rename);
}

SftpRequest symlinkRequest(const std::string& path, const std::string& target)
{
    // OpenSSH's server has always read the two paths the other way round from the protocol's
    // text, and every client follows it: the target comes first.
    return Fields().string(target).string(path).request(SftpPacketType::Symlink);
}

SftpRequest fileOpeningRequest(const std::string& path, std::uint32_t flags, const SftpAttributes& attributes)
{
    return Fields().string(path).number(flags).attributes(attributes).request(SftpPacketType::Open);
}

SftpRequest fileReadingRequest(const std::string& handle, std::uint64_t offset, std::uint32_t length)
{
    return Fields().string(handle).offset(offset).number(length).request(SftpPacketType::Read);
}

SftpRequest fileWritingRequest(const std::string& handle, std::uint64_t offset, std::string_view bytes)
{
    return Fields().string(handle).offset(offset).string(bytes).request(SftpPacketType::Write);
}

SftpRequest extendedRequest(std::string_view extension, std::initializer_list<std::string_view> strings)
{
    Fields fields;
    fields.string(extension);
    for (const std::string_view text : strings) fields.string(text);
    return fields.request(SftpPacketType::Extended);
}

SftpRequest linkStatusSettingRequest(const std::string& path, const SftpAttributes& attributes)
{
    return Fields().string(kLinkSetStat).string(path).attributes(attributes).request(SftpPacketType::Extended);
}

}  // namespace velmorane::platform
