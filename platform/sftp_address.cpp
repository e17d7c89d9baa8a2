#include "platform/sftp_address.h"

#include <cerrno>

namespace velmorane::platform {
namespace {

constexpr std::string_view kScheme = "sftp://";

Result<SftpAddress> refused(std::string reason)
{
    return Result<SftpAddress>::failure(SystemError{EINVAL, std::move(reason)});
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes %XX escapes; empty when an escape is malformed or would give a control character, which
// no name on a server should hold.
std::optional<std::string> decodedText(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        decoded.push_back(c);
    }
    return decoded;
}

// A name ssh would read as one of its options, or that holds spaces, is no host or user. ssh
// splits its destination at the last "@", so a user's name may hold one, a host's may not.
bool isSafeName(std::string_view name, std::string_view forbidden)
{
    if (name.empty() || name.front() == '-') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f || forbidden.find(c) != std::string_view::npos) return false;
    }
    return true;
}

std::optional<std::uint16_t> portNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Splits "host[:port]", the host possibly a bracketed IPv6 address.
Result<SftpAddress> withHostAndPort(SftpAddress address, std::string_view hostPart)
{
    std::string_view host;
    std::string_view portText;
    bool hasPort = false;
    if (hostPart.starts_with('[')) {
        const std::size_t close = hostPart.find(']');
        if (close == std::string_view::npos) return refused("le crochet de l'adresse IPv6 n'est pas fermé");
        host = hostPart.substr(1, close - 1);
        const std::string_view rest = hostPart.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return refused("le nom du serveur n'est pas valable");
        hasPort = !rest.empty();
        if (hasPort) portText = rest.substr(1);
    } else {
        const std::size_t colon = hostPart.find(':');
        host = hostPart.substr(0, colon);
        hasPort = colon != std::string_view::npos;
        if (hasPort) portText = hostPart.substr(colon + 1);
    }
    if (host.empty()) return refused("le nom du serveur manque");
    const std::optional<std::string> decodedHost = decodedText(host);
    if (!decodedHost || !isSafeName(*decodedHost, "/@")) return refused("le nom du serveur n'est pas valable");
    address.host = *decodedHost;
    if (hasPort) {
        address.port = portNumber(portText);
        if (!address.port) return refused("le numéro de port n'est pas valable");
    }
    return {std::move(address), std::nullopt};
}

}  // namespace

bool isSftpAddress(std::string_view text)
{
    return text.starts_with(kScheme);
}

Result<SftpAddress> parseSftpAddress(std::string_view text)
{
    if (!isSftpAddress(text)) return refused("l'adresse ne commence pas par sftp://");
    const std::string_view rest = text.substr(kScheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return refused("le chemin du dossier manque après le nom du serveur");
    std::string_view authority = rest.substr(0, slash);
    SftpAddress address;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::optional<std::string> user = decodedText(authority.substr(0, at));
        if (!user || !isSafeName(*user, "/")) return refused("le nom d'utilisateur n'est pas valable");
        // A password written in an address would be stored in the profile file for all to read.
        if (user->find(':') != std::string::npos) return refused("un mot de passe ne s'écrit pas dans l'adresse");
        address.user = *user;
        authority = authority.substr(at + 1);
    }
    std::optional<std::string> path = decodedText(rest.substr(slash));
    if (!path) return refused("le chemin du dossier contient un caractère interdit");
    address.path = std::move(*path);
    return withHostAndPort(std::move(address), authority);
}

}  // namespace velmorane::platform
