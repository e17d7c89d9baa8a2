#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// The hosts named by the Host lines of an SSH configuration, in their order, each once: patterns
// (with "*" or "?") and negations ("!") stand for no one host and are left out.
std::vector<std::string> configuredHosts(std::string_view configText);

// The hosts a known_hosts file names, sorted, each once, written as they are typed to reach them:
// "serveur", "serveur:2222" for "[serveur]:2222", "[::1]" for an IPv6 address. Hashed names
// ("|1|..."), patterns, and the lines of certificate authorities and revoked keys are left out.
std::vector<std::string> knownHosts(std::string_view knownHostsText);

// The hosts of a home folder's .ssh/config then those of its .ssh/known_hosts not already named;
// a file that cannot be read names none.
std::vector<std::string> sshHosts(const std::string& homeFolder);

}  // namespace velmorane::platform
