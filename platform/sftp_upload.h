#pragma once

#include "platform/sftp_session.h"

#include <string>
#include <vector>

namespace velmorane::platform {

// One local file to write to the server: to `remotePath`, which must not exist yet, then renamed
// to `finalPath` with the rename that never replaces, when one is given.
struct SftpUpload {
    std::string localPath;
    std::string remotePath;
    std::string finalPath;
};

// Writes files to the server, many at once and the blocks of each many at once; each is made
// durable with fsync@openssh.com where the server offers it before it is closed and renamed. A file
// that fails is removed from the server when the connection still allows it, so no partial file
// stays behind. One result per upload, in their order.
[[nodiscard]] std::vector<SftpResult<bool>> uploadFiles(SftpSession& session, const std::vector<SftpUpload>& uploads);

[[nodiscard]] SftpResult<bool> uploadFile(SftpSession& session, const std::string& localPath, const std::string& remotePath);

}  // namespace velmorane::platform
