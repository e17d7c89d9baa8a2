#include "platform/sftp_folders.h"

#include "platform/sftp_requests.h"

#include <algorithm>

namespace velmorane::platform {
namespace {

bool holdsControlCharacter(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

bool isSubFolder(const SftpNamedEntry& entry)
{
    return entry.name != "." && entry.name != ".." && entry.attributes.isFolder() && !holdsControlCharacter(entry.name);
}

}  // namespace

std::string addressEscaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '%') out += "%25";
        else out += c;
    }
    return out;
}

std::string sftpServerRoot(const SftpAddress& address)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "[" + text at -O2.
    std::string text = "sftp://";
    if (!address.user.empty()) text.append(addressEscaped(address.user)).append("@");
    const bool literalAddress = address.host.find(':') != std::string::npos;
    if (literalAddress) text.append("[");
    text.append(addressEscaped(address.host));
    if (literalAddress) text.append("]");
    if (address.port) text.append(":").append(std::to_string(*address.port));
    return text.append("/");
}

std::string sftpFolderText(const SftpAddress& address)
{
    const std::string root = sftpServerRoot(address);
    return root.substr(0, root.size() - 1) + (address.path.empty() ? "/" : addressEscaped(address.path));
}

SftpResult<std::string> remoteHomeFolder(SftpSession& session)
{
    return session.realPath(".");
}

SftpResult<std::vector<std::string>> remoteSubFolders(SftpSession& session, const std::string& path)
{
    const SftpResult<std::string> handle = session.openFolder(path);
    if (!handle.ok()) return SftpResult<std::vector<std::string>>::failure(*handle.error);
    std::vector<std::string> names;
    for (;;) {
        SftpResult<SftpAnswer> answer = session.call(folderReadingRequest(handle.value));
        if (!answer.ok()) {
            (void)session.close(handle.value);
            return SftpResult<std::vector<std::string>>::failure(*answer.error);
        }
        if (answer.value.type == SftpPacketType::Status) break;
        for (SftpNamedEntry& entry : answer.value.names) {
            if (isSubFolder(entry)) names.push_back(std::move(entry.name));
        }
    }
    if (const SftpResult<bool> closed = session.close(handle.value); !closed.ok()) {
        return SftpResult<std::vector<std::string>>::failure(*closed.error);
    }
    return {std::move(names), std::nullopt};
}

}  // namespace velmorane::platform
