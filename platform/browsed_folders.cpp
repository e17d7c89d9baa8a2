#include "platform/browsed_folders.h"

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/sftp_address.h"
#include "platform/sftp_errors.h"
#include "platform/sftp_folders.h"
#include "platform/ssh_sharing.h"

#include <cerrno>

namespace velmorane::platform {
namespace {

constexpr std::string_view kScheme = "sftp://";

// Where a server address's path begins: after the server's name, at its first "/".
std::size_t pathStart(std::string_view folder)
{
    const std::size_t slash = folder.find(kSeparator, kScheme.size());
    return slash == std::string_view::npos ? folder.size() : slash;
}

}  // namespace

SftpResult<std::string> BrowsedFolders::connect(const SshConnection& connection)
{
    SftpResult<std::unique_ptr<SftpSession>> session = SftpSession::open(connection);
    if (!session.ok()) return SftpResult<std::string>::failure(*session.error);
    const SftpResult<std::string> home = remoteHomeFolder(*session.value);
    if (!home.ok()) return home;
    sessions_[sftpServerRoot(connection.address)] = std::move(session.value);
    SftpAddress address = connection.address;
    address.path = home.value;
    return {sftpFolderText(address), std::nullopt};
}

// The connection is kept for the runs that follow: a password typed to browse is not asked again.
SftpResult<std::string> BrowsedFolders::connectAsked(const SftpAddress& server)
{
    return connect({server, false, sshConfigFile_, sharedConnectionsFolder()});
}

Result<std::vector<std::string>> BrowsedFolders::subFolders(const std::string& folder)
{
    if (!isSftpAddress(folder)) {
        Result<FolderContent> content = readFolder(folder);
        if (!content.ok()) return Result<std::vector<std::string>>::failure(*content.error);
        return {std::move(content.value.subFolders), std::nullopt};
    }
    const Result<SftpAddress> address = parseSftpAddress(folder);
    if (!address.ok()) return Result<std::vector<std::string>>::failure(*address.error);
    const auto session = sessions_.find(sftpServerRoot(address.value));
    if (session == sessions_.end() || !session->second->connected()) {
        return Result<std::vector<std::string>>::failure(SystemError{ENOTCONN, "pas de connexion au serveur"});
    }
    SftpResult<std::vector<std::string>> names = remoteSubFolders(*session->second, address.value.path);
    if (!names.ok()) return Result<std::vector<std::string>>::failure(systemErrorOf(*names.error));
    return {std::move(names.value), std::nullopt};
}

std::string plainFolder(std::string_view folder)
{
    if (!isSftpAddress(folder)) return withoutTrailingSeparator(folder);
    const std::size_t start = pathStart(folder);
    return std::string(folder.substr(0, start)) + withoutTrailingSeparator(start == folder.size() ? "/" : folder.substr(start));
}

std::string parentOf(std::string_view folder)
{
    if (!isSftpAddress(folder)) return folder == "/" ? std::string() : parentFolder(folder);
    const std::string plain = plainFolder(folder);
    const std::size_t start = pathStart(plain);
    const std::string path = plain.substr(start);
    return path == "/" ? std::string() : plain.substr(0, start) + parentFolder(path);
}

std::string nameOf(std::string_view folder)
{
    if (parentOf(folder).empty()) return std::string(folder);
    if (!isSftpAddress(folder)) return lastComponent(folder);
    const Result<SftpAddress> address = parseSftpAddress(folder);
    return address.ok() ? lastComponent(address.value.path) : lastComponent(folder);
}

std::string folderIn(std::string_view folder, std::string_view name)
{
    return joinPath(folder, isSftpAddress(folder) ? addressEscaped(name) : std::string(name));
}

}  // namespace velmorane::platform
