#pragma once

#include "platform/sftp_session.h"

#include <string>

namespace velmorane::platform {

// Copies a local file to a new file of the server, which must not exist yet (callers write to a
// temporary name and rename it). Blocks are written many at once; the file is made durable with
// fsync@openssh.com where the server offers it. On failure the new file is removed when the
// connection still allows it.
[[nodiscard]] SftpResult<bool> uploadFile(SftpSession& session, const std::string& localPath, const std::string& remotePath);

}  // namespace velmorane::platform
