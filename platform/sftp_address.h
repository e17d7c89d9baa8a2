#pragma once

#include "platform/system_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmorane::platform {

// A folder on an SSH server, written sftp://[user@]host[:port]/path as file managers write it.
struct SftpAddress {
    std::string user;  // empty: the one the SSH configuration gives
    std::string host;
    std::optional<std::uint16_t> port;
    std::string path;  // absolute, percent escapes decoded
};

bool isSftpAddress(std::string_view text);

// The parts of an address, or why it is not one (the error's reason, in French).
[[nodiscard]] Result<SftpAddress> parseSftpAddress(std::string_view text);

}  // namespace velmorane::platform
