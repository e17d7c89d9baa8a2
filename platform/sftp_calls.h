#pragma once

#include "platform/sftp_channel.h"
#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmorane::platform {

// Requests of an SFTP channel waited for, their failures as system errors. For the steps of an
// execution, which wait for one another; never from a completion.

// Sends every request at once and waits for all the answers, in the requests' order.
std::vector<SftpResult<SftpAnswer>> callAll(SftpChannel& channel, std::vector<SftpRequest> requests);

MaybeError remoteDone(SftpChannel& channel, SftpRequest request);
// An entry's own attributes (ENOENT when nothing is there).
Result<SftpAttributes> remoteLinkStatus(SftpChannel& channel, const std::string& path);
Result<std::string> remoteRealPath(SftpChannel& channel, const std::string& path);
// The file system of a path; EOPNOTSUPP when the server does not say.
Result<SftpFileSystem> remoteFileSystem(SftpChannel& channel, const std::string& path);
// A folder's entries with their attributes, "." and ".." left out.
Result<std::vector<SftpNamedEntry>> remoteEntries(SftpChannel& channel, const std::string& path);
// Up to `length` bytes from `offset`, read in blocks in flight together; fewer at the end.
Result<std::string> remoteBytes(SftpChannel& channel, const std::string& path, std::uint64_t offset,
                                std::uint64_t length);
// Writes through an open handle, in blocks in flight together.
MaybeError remoteWrite(SftpChannel& channel, const std::string& handle, std::uint64_t offset, std::string_view bytes);

}  // namespace velmorane::platform
