#include "engine/exclusions.h"

#include "platform/letter_case.h"

#include <fnmatch.h>

#include <algorithm>

namespace velmorane::engine {
namespace {

bool hasGlobCharacter(std::string_view text)
{
    return text.find_first_of("*?[\\") != std::string_view::npos;
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The folders a volume keeps at its root: the file system checker's, the desktops' trashes, and the
// ones Windows writes on any disk it has seen.
bool isVolumeFolder(const std::string& foldedName)
{
    static const std::unordered_set<std::string> names = {"lost+found", ".trash", "system volume information",
                                                          "$recycle.bin"};
    constexpr std::string_view userTrash = ".trash-";
    if (names.contains(foldedName)) return true;
    return foldedName.starts_with(userTrash) && isDigits(std::string_view(foldedName).substr(userTrash.size()));
}

bool globMatches(const std::string& foldedPattern, const std::string& foldedText, int flags)
{
    return ::fnmatch(foldedPattern.c_str(), foldedText.c_str(), flags) == 0;
}

std::string_view lastName(std::string_view relativePath)
{
    const std::size_t slash = relativePath.rfind('/');
    return slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
}

}  // namespace

Exclusions::Exclusions() = default;

Exclusions::Exclusions(const std::vector<std::string>& patterns)
{
    for (const std::string& pattern : patterns) addPattern(pattern);
}

void Exclusions::addPattern(std::string_view pattern)
{
    const bool folderOnly = pattern.ends_with('/');
    while (pattern.ends_with('/')) pattern.remove_suffix(1);
    if (pattern.empty()) return;
    PatternSet& set = folderOnly ? foldersOnly_ : anyEntry_;
    if (pattern.find('/') != std::string_view::npos) {
        // A path pattern is anchored at the start folder, with or without a leading "/".
        while (pattern.starts_with('/')) pattern.remove_prefix(1);
        if (!pattern.empty()) set.pathGlobs.push_back(platform::caseFoldedKey(pattern));
        return;
    }
    std::string folded = platform::caseFoldedKey(pattern);
    if (!hasGlobCharacter(folded)) {
        set.names.insert(std::move(folded));
    } else if (folded.starts_with("*.") && !hasGlobCharacter(std::string_view(folded).substr(2))) {
        set.extensions.insert(folded.substr(2));
    } else {
        set.nameGlobs.push_back(std::move(folded));
    }
}

bool Exclusions::PatternSet::empty() const
{
    return names.empty() && extensions.empty() && nameGlobs.empty() && pathGlobs.empty();
}

bool Exclusions::PatternSet::matches(const std::string& foldedName, std::string_view relativePath) const
{
    if (names.contains(foldedName)) return true;
    // "*.gz" matches "a.tar.gz" as a glob would: any text after any dot may be the extension.
    for (std::size_t dot = foldedName.find('.'); dot != std::string::npos; dot = foldedName.find('.', dot + 1)) {
        if (extensions.contains(foldedName.substr(dot + 1))) return true;
    }
    for (const std::string& glob : nameGlobs) {
        if (globMatches(glob, foldedName, 0)) return true;
    }
    if (pathGlobs.empty()) return false;
    const std::string foldedPath = platform::caseFoldedKey(relativePath);
    return std::any_of(pathGlobs.begin(), pathGlobs.end(),
                       [&](const std::string& glob) { return globMatches(glob, foldedPath, FNM_PATHNAME); });
}

bool Exclusions::leavesOut(std::string_view relativePath, bool isFolder) const
{
    if (relativePath.empty()) return false;
    const bool volumeCandidate = isFolder && relativePath.find('/') == std::string_view::npos;
    const bool checkFolders = isFolder && !foldersOnly_.empty();
    if (!volumeCandidate && anyEntry_.empty() && !checkFolders) return false;
    const std::string foldedName = platform::caseFoldedKey(lastName(relativePath));
    if (volumeCandidate && isVolumeFolder(foldedName)) return true;
    if (anyEntry_.matches(foldedName, relativePath)) return true;
    return checkFolders && foldersOnly_.matches(foldedName, relativePath);
}

}  // namespace velmorane::engine
