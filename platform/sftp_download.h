#pragma once

#include "platform/sftp_session.h"

#include <string>

namespace velmorane::platform {

// Copies a file of the server to a new local file, which must not exist yet (callers write to a
// temporary name and rename it). Blocks are read many at once and written where they belong; a
// short answer is asked again for its rest. On failure the new local file is removed.
[[nodiscard]] SftpResult<bool> downloadFile(SftpSession& session, const std::string& remotePath, const std::string& localPath);

}  // namespace velmorane::platform
