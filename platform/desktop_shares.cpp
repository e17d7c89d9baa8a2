#include "platform/desktop_shares.h"

#include "platform/paths.h"
#include "platform/volumes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// GVfs escapes the values of a folder name as URIs do ("%2F" for "/").
std::string percentDecoded(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                            std::isxdigit(static_cast<unsigned char>(text[i + 2]));
        if (escape) {
            decoded.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::string lastNameOf(std::string_view path)
{
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string shareName(const std::string& what, const std::string& host)
{
    return what.empty() ? host : what + " sur " + host;
}

// "key=value,key=value" after the kind's name and its colon.
std::map<std::string, std::string> gvfsFields(std::string_view text)
{
    std::map<std::string, std::string> fields;
    std::istringstream pairs{std::string(text)};
    for (std::string pair; std::getline(pairs, pair, ',');) {
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) fields[pair.substr(0, equals)] = percentDecoded(pair.substr(equals + 1));
    }
    return fields;
}

// "nas:/export/docs", "[fe80::1]:/docs", "moi@serveur:/home/moi" or "moi@serveur:".
DesktopShare hostAndPathShare(const std::string& folder, std::string_view source)
{
    std::string_view user;
    if (const std::size_t at = source.find('@'); at != std::string_view::npos && at < source.find(':')) {
        user = source.substr(0, at);
        source.remove_prefix(at + 1);
    }
    const std::size_t colon = source.starts_with('[') ? source.find("]:") + 1 : source.find(':');
    if (colon == std::string_view::npos || colon == 0) return {folder, lastNameOf(folder)};
    std::string host(source.substr(0, colon));
    if (host.starts_with('[')) host = host.substr(1, host.size() - 2);
    std::string what = lastNameOf(source.substr(colon + 1));
    return {folder, shareName(what.empty() ? std::string(user) : what, host)};
}

// "//nas/docs".
DesktopShare windowsShare(const std::string& folder, std::string_view source)
{
    while (source.starts_with('/') || source.starts_with('\\')) source.remove_prefix(1);
    const std::size_t slash = source.find_first_of("/\\");
    if (slash == std::string_view::npos) return {folder, std::string(source)};
    return {folder, shareName(lastNameOf(source.substr(slash + 1)), std::string(source.substr(0, slash)))};
}

}  // namespace

std::string gvfsShareName(std::string_view folderName)
{
    const std::size_t colon = folderName.find(':');
    if (colon == std::string_view::npos) return std::string(folderName);
    std::map<std::string, std::string> fields = gvfsFields(folderName.substr(colon + 1));
    const std::string host = !fields["server"].empty() ? fields["server"] : fields["host"];
    if (host.empty()) return std::string(folderName);
    for (const char* key : {"share", "volume"}) {
        if (!fields[key].empty()) return shareName(fields[key], host);
    }
    const std::string prefix = lastNameOf(fields["prefix"]);
    return shareName(prefix.empty() ? fields["user"] : prefix, host);
}

std::vector<DesktopShare> gvfsShares(const std::string& gvfsFolder)
{
    std::vector<DesktopShare> shares;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(gvfsFolder, error)) {
        if (!entry.is_directory(error)) continue;
        const std::string name = entry.path().filename().string();
        shares.push_back({entry.path().string(), gvfsShareName(name)});
    }
    std::sort(shares.begin(), shares.end(), [](const DesktopShare& a, const DesktopShare& b) { return a.name < b.name; });
    return shares;
}

std::string userGvfsFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime == '/' ? runtime : "/run/user/" + std::to_string(::getuid());
    return joinPath(folder, "gvfs");
}

std::vector<std::string> gvfsFolderNames(const std::string& gvfsFolder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(gvfsFolder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<DesktopShare> networkMounts(std::string_view mountInfoText)
{
    std::vector<DesktopShare> shares;
    std::istringstream lines{std::string(mountInfoText)};
    for (std::string line; std::getline(lines, line);) {
        const std::size_t separator = line.find(" - ");
        if (separator == std::string::npos) continue;
        std::istringstream before(line.substr(0, separator));
        std::istringstream after(line.substr(separator + 3));
        std::string id, parent, device, root, mountPoint, type, source;
        if (!(before >> id >> parent >> device >> root >> mountPoint) || !(after >> type >> source)) continue;
        const std::string folder = withoutTrailingSeparator(decodeOctalEscapes(mountPoint));
        const std::string decodedSource = decodeOctalEscapes(source);
        if (type == "nfs" || type == "nfs4" || type == "fuse.sshfs") shares.push_back(hostAndPathShare(folder, decodedSource));
        else if (type == "cifs" || type == "smb3") shares.push_back(windowsShare(folder, decodedSource));
    }
    return shares;
}

std::string mountInfoText()
{
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace velmorane::platform
