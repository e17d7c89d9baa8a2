#pragma once

#include "platform/sftp_packets.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmorane::platform {

// The extensions this client uses when a server names them.
inline constexpr const char* kPosixRename = "posix-rename@openssh.com";
inline constexpr const char* kFsync = "fsync@openssh.com";
inline constexpr const char* kStatvfs = "statvfs@openssh.com";
inline constexpr const char* kLinkSetStat = "lsetstat@openssh.com";
inline constexpr const char* kHardLink = "hardlink@openssh.com";

// A request without its number, which the session gives it when it is sent.
struct SftpRequest {
    SftpPacketType type;
    std::string fields;
};

SftpRequest realPathRequest(const std::string& path);
SftpRequest linkStatusRequest(const std::string& path);
SftpRequest statusRequest(const std::string& path);
SftpRequest statusSettingRequest(const std::string& path, const SftpAttributes& attributes);
SftpRequest handleStatusSettingRequest(const std::string& handle, const SftpAttributes& attributes);
SftpRequest folderMakingRequest(const std::string& path, const SftpAttributes& attributes);
SftpRequest folderRemovalRequest(const std::string& path);
SftpRequest fileRemovalRequest(const std::string& path);
SftpRequest renameRequest(const std::string& from, const std::string& to);
SftpRequest linkReadingRequest(const std::string& path);
SftpRequest symlinkRequest(const std::string& path, const std::string& target);
SftpRequest fileOpeningRequest(const std::string& path, std::uint32_t flags, const SftpAttributes& attributes);
SftpRequest folderOpeningRequest(const std::string& path);
SftpRequest folderReadingRequest(const std::string& handle);
SftpRequest closingRequest(const std::string& handle);
SftpRequest fileReadingRequest(const std::string& handle, std::uint64_t offset, std::uint32_t length);
SftpRequest fileWritingRequest(const std::string& handle, std::uint64_t offset, std::string_view bytes);

// An extension's request: its name, then the strings given.
SftpRequest extendedRequest(std::string_view extension, std::initializer_list<std::string_view> strings);
SftpRequest linkStatusSettingRequest(const std::string& path, const SftpAttributes& attributes);

}  // namespace velmorane::platform
