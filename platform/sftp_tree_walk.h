#pragma once

#include "platform/sftp_session.h"

#include <string>
#include <vector>

namespace velmorane::platform {

struct SftpTreeEntry {
    std::string path;  // relative to the walk's root, "/" between names
    SftpAttributes attributes;
};

// Every entry below a folder of the server, in no particular order, links not followed. Dozens
// of folders are read at once across the tree, each READDIR answer bringing about a hundred names
// with their attributes, so the walk costs about one round trip per hundred entries of the
// deepest chain rather than one per entry. The first failure ends the walk.
[[nodiscard]] SftpResult<std::vector<SftpTreeEntry>> walkTree(SftpSession& session, const std::string& root);

}  // namespace velmorane::platform
