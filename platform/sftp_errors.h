#pragma once

#include "platform/sftp_session.h"
#include "platform/system_error.h"

namespace velmorane::platform {

// A failure of the server or of the connection as a system error, so that a run tells it as it
// tells a local volume's: the nearest error number, and a French reason.
SystemError systemErrorOf(const SftpError& error);

// What failed to connect at all, with ssh's own words.
SystemError connectionErrorOf(const SftpError& error);

}  // namespace velmorane::platform
