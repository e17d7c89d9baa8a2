#pragma once

#include "platform/sftp_session.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// A name or a path as an address writes it: "%" escaped as "%25", every other byte as it is.
std::string addressEscaped(std::string_view text);

// A folder of a server written as an address that reads back to it: only "%" is escaped, as "%25".
std::string sftpFolderText(const SftpAddress& address);

// The top folder of a server: sftp://[user@]host[:port]/
std::string sftpServerRoot(const SftpAddress& address);

// The folder the server's user starts in (REALPATH of ".").
[[nodiscard]] SftpResult<std::string> remoteHomeFolder(SftpSession& session);

// The names of a server folder's sub-folders, in no order. Links are left out, as are names that
// hold a control character, which no address can carry.
[[nodiscard]] SftpResult<std::vector<std::string>> remoteSubFolders(SftpSession& session, const std::string& path);

}  // namespace velmorane::platform
