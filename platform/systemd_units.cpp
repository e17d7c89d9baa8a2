#include "platform/systemd_units.h"

#include "platform/child_program.h"
#include "platform/paths.h"
#include "platform/state_file.h"
#include "platform/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <system_error>

namespace velmorane::platform {
namespace {

bool keptAsIs(unsigned char c, bool first)
{
    if (c == '.') return !first;
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '_';
}

std::string hexEscape(unsigned char c)
{
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02x", c);
    return text;
}

MaybeError systemctl(const std::vector<std::string>& words)
{
    std::vector<std::string> arguments{"systemctl", "--user"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    const auto end = runSystemProgram(arguments);
    if (!end.ok()) return end.error;
    if (end.value.exitCode != 0) {
        const std::string& text = end.value.errorText;
        return SystemError{EIO, text.substr(0, text.find('\n'))};
    }
    return std::nullopt;
}

// A unit file is replaced whole, so the manager never reads half of one.
MaybeError writeUnitFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) return systemError(errno ? errno : EIO);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return systemError(errno);
    return std::nullopt;
}

}  // namespace

std::string escapedUnitText(std::string_view text)
{
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '/') escaped += '-';
        else if (keptAsIs(c, i == 0)) escaped += static_cast<char>(c);
        else escaped += hexEscape(c);
    }
    return escaped;
}

std::string escapedUnitPath(std::string_view path)
{
    std::string simple;
    for (const char c : path) {
        if (c == kSeparator && (simple.empty() || simple.back() == kSeparator)) continue;
        simple += c;
    }
    if (!simple.empty() && simple.back() == kSeparator) simple.pop_back();
    return simple.empty() ? "-" : escapedUnitText(simple);
}

std::string userUnitFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base = config && *config == kSeparator ? std::string(config) : homeFolder() + "/.config";
    return joinPath(base, "systemd/user");
}

bool userManagerRuns()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != kSeparator) return false;
    struct stat info{};
    return ::stat(joinPath(runtime, "systemd/private").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

std::optional<std::string> readUserUnit(const std::string& name)
{
    std::ifstream in(joinPath(userUnitFolder(), name), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

MaybeError installUserUnits(const std::vector<UnitFile>& units, const std::string& enabled, bool startNow)
{
    if (!userManagerRuns()) return SystemError{ENOTCONN, "le gestionnaire systemd de l'utilisateur ne fonctionne pas"};
    const std::string folder = userUnitFolder();
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) return systemError(made.value());
    for (const UnitFile& unit : units) {
        if (auto error = writeUnitFile(joinPath(folder, unit.name), unit.text)) return error;
    }
    if (auto error = systemctl({"daemon-reload"})) return error;
    std::vector<std::string> enable{"enable"};
    if (startNow) enable.push_back("--now");
    enable.push_back(enabled);
    return systemctl(enable);
}

MaybeError removeUserUnits(const std::vector<std::string>& names)
{
    const std::string folder = userUnitFolder();
    bool anyRemoved = false;
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        if (!fileExists(path)) continue;
        if (userManagerRuns()) {
            if (auto error = systemctl({"disable", "--now", name})) return error;
        }
        if (std::remove(path.c_str()) != 0) return systemError(errno);
        anyRemoved = true;
    }
    if (anyRemoved && userManagerRuns()) return systemctl({"daemon-reload"});
    return std::nullopt;
}

}  // namespace velmorane::platform
