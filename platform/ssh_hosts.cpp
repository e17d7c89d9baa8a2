#include "platform/ssh_hosts.h"

#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace velmorane::platform {
namespace {

std::string fileText(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool isPattern(std::string_view name)
{
    return name.empty() || name.front() == '!' || name.find_first_of("*?") != std::string_view::npos;
}

void addOnce(std::vector<std::string>& hosts, std::string host)
{
    if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(std::move(host));
}

// The words of a configuration line: its keyword may be followed by "=", and a word may be quoted.
std::vector<std::string> configWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (std::isspace(static_cast<unsigned char>(c)) || (c == '=' && words.empty()))) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

// "[serveur]:2222" is typed "serveur:2222"; an IPv6 address keeps brackets around it.
std::string typedHost(std::string_view name)
{
    std::string_view port;
    if (name.starts_with('[')) {
        const std::size_t close = name.find("]:");
        if (close == std::string_view::npos) return {};
        port = name.substr(close + 2);
        name = name.substr(1, close - 1);
    }
    std::string host = name.find(':') == std::string_view::npos ? std::string(name) : "[" + std::string(name) + "]";
    return port.empty() ? host : host + ":" + std::string(port);
}

}  // namespace

std::vector<std::string> configuredHosts(std::string_view configText)
{
    std::vector<std::string> hosts;
    std::istringstream lines{std::string(configText)};
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> words = configWords(line);
        if (words.empty() || !equalIgnoringAsciiCase(words.front(), "Host")) continue;
        for (auto word = words.begin() + 1; word != words.end(); ++word) {
            if (!isPattern(*word)) addOnce(hosts, *word);
        }
    }
    return hosts;
}

std::vector<std::string> knownHosts(std::string_view knownHostsText)
{
    std::vector<std::string> hosts;
    std::istringstream lines{std::string(knownHostsText)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string names;
        if (!(fields >> names) || names.starts_with('#') || names.starts_with('@') || names.starts_with('|')) continue;
        std::istringstream list(names);
        for (std::string name; std::getline(list, name, ',');) {
            if (isPattern(name) || name.starts_with('|')) continue;
            if (std::string host = typedHost(name); !host.empty()) addOnce(hosts, std::move(host));
        }
    }
    std::sort(hosts.begin(), hosts.end());
    return hosts;
}

std::vector<std::string> sshHosts(const std::string& homeFolder)
{
    std::vector<std::string> hosts = configuredHosts(fileText(joinPath(homeFolder, ".ssh/config")));
    for (std::string& host : knownHosts(fileText(joinPath(homeFolder, ".ssh/known_hosts")))) addOnce(hosts, std::move(host));
    return hosts;
}

}  // namespace velmorane::platform
