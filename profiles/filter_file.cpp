#include "profiles/filter_file.h"

#include "platform/letter_case.h"
#include "platform/paths.h"
#include "platform/spaces.h"
#include "platform/text_file.h"
#include "profiles/file_refusal.h"

#include <cerrno>

namespace velmorane::profiles {
namespace {

// The name of a "[NAME]" line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return platform::trimmedSpaces(line.substr(1, line.size() - 2));
}

std::string filterFileBeside(const std::string& profileFilePath)
{
    const std::string folder = platform::parentFolder(profileFilePath);
    return folder.empty() ? kFilterFileName : platform::joinPath(folder, kFilterFileName);
}

}  // namespace

std::vector<std::string> filterPatterns(const std::vector<std::string>& lines, std::string_view profileName)
{
    std::vector<std::string> patterns;
    bool applies = true;
    for (const std::string& text : lines) {
        const std::string_view line = platform::trimmedSpaces(text);
        if (line.empty() || line.front() == '#') continue;
        if (const auto name = sectionName(line)) {
            // A section without a name belongs to no profile.
            applies = !name->empty() && platform::equalIgnoringCase(*name, profileName);
            continue;
        }
        if (applies) patterns.emplace_back(line);
    }
    return patterns;
}

execution::RunFilters loadFilterFile(const std::string& path, std::string_view profileName)
{
    if (auto refusal = refusalReason(path)) return {{}, std::move(refusal)};
    const auto lines = platform::readTextLines(path);
    if (lines.error && lines.error->number == ENOENT) return {};
    if (lines.error) return {{}, lines.error->reason};
    return {filterPatterns(lines.value, profileName), std::nullopt};
}

execution::RunFilters loadRunFilters(const SharedState& state)
{
    const bool profileActive = state.activeProfile >= 1 && state.activeProfile <= state.profileTable.count();
    const std::string profileName = profileActive ? state.profileTable.at(state.activeProfile).name : "";
    return loadFilterFile(filterFileBeside(state.profileFilePath), profileName);
}

}  // namespace velmorane::profiles
