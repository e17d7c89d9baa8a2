#pragma once

#include "platform/sftp_session.h"
#include "platform/system_error.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmorane::platform {

// The folders the window's folder list shows: those of this machine by their paths, and those of
// SSH servers by their addresses, sftp://[user@]host[:port]/path, each server read over the session
// opened when the user connected to it.
class BrowsedFolders {
public:
    // The SSH configuration the connections read: the user's own when empty, as in a terminal;
    // another file for a test's private server.
    void setSshConfigFile(std::string file) { sshConfigFile_ = std::move(file); }
    // Connects to a server as the user does in a terminal: ssh may ask its questions (through
    // SSH_ASKPASS when the window started it).
    [[nodiscard]] SftpResult<std::string> connectAsked(const SftpAddress& server);
    // Connects to a server as ssh does in a terminal (the connection's path is not used) and returns
    // the folder its user starts in, as an address. A new session replaces the last one to the
    // server; a failed one leaves it.
    [[nodiscard]] SftpResult<std::string> connect(const SshConnection& connection);
    // The names of a folder's sub-folders, in no order.
    [[nodiscard]] Result<std::vector<std::string>> subFolders(const std::string& folder);

private:
    std::string sshConfigFile_;
    std::map<std::string, std::unique_ptr<SftpSession>> sessions_;  // by the server's top folder
};

// Folders of either kind, as the folder list handles them. Without its trailing "/", but for a top
// folder, "/" or a server's "sftp://host/".
std::string plainFolder(std::string_view folder);
// Empty for a top folder.
std::string parentOf(std::string_view folder);
// The name a folder is listed by; a top folder's is its whole text.
std::string nameOf(std::string_view folder);
std::string folderIn(std::string_view folder, std::string_view name);

}  // namespace velmorane::platform
