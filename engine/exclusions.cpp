#include "engine/exclusions.h"

#include "platform/letter_case.h"

#include <fnmatch.h>

#include <algorithm>

namespace velmorane::engine {
namespace {

constexpr std::string_view kGlobCharacters = "*?[]\\";

bool hasGlobCharacter(std::string_view text)
{
    return text.find_first_of(kGlobCharacters) != std::string_view::npos;
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
        if (!pattern.empty()) set.pathGlobs.emplace_back(platform::caseFoldedKey(pattern));
        return;
    }
    std::string folded = platform::caseFoldedKey(pattern);
    if (!hasGlobCharacter(folded)) {
        set.names.insert(std::move(folded));
    } else if (folded.starts_with("*.") && !hasGlobCharacter(std::string_view(folded).substr(2))) {
        set.extensions.insert(folded.substr(2));
    } else {
        set.nameGlobs.emplace_back(std::move(folded));
    }
}

void Exclusions::leaveOutFolder(std::string relativePath)
{
    exactFolders_.insert(std::move(relativePath));
}

bool Exclusions::leavesOutBelowTop() const
{
    return !anyEntry_.empty() || !foldersOnly_.empty() || !exactFolders_.empty();
}

bool Exclusions::leadsToLeftOutFolder(std::string_view relativeFolder) const
{
    return std::any_of(exactFolders_.begin(), exactFolders_.end(), [&](const std::string& folder) {
        return folder.size() > relativeFolder.size() && folder.starts_with(relativeFolder);
    });
}

bool Exclusions::PatternSet::empty() const
{
    return names.empty() && extensions.empty() && nameGlobs.empty() && pathGlobs.empty();
}

bool Exclusions::PatternSet::matches(const std::string& foldedName, std::string_view relativePath) const
{
    if (names.contains(foldedName)) return true;
    // "*.gz" matches "a.tar.gz" as a glob would: any text after any dot may be the extension.
    const std::string_view name(foldedName);
    for (std::size_t dot = name.find('.'); dot != std::string_view::npos; dot = name.find('.', dot + 1)) {
        if (extensions.contains(name.substr(dot + 1))) return true;
    }
    const auto nameMatches = [&](const GlobPattern& glob) { return glob.matches(foldedName, 0); };
    return std::any_of(nameGlobs.begin(), nameGlobs.end(), nameMatches) || pathMatches(relativePath);
}

// Under FNM_PATHNAME only a "/" matches a "/", so a path pattern can match only paths with as many.
bool Exclusions::PatternSet::pathMatches(std::string_view relativePath) const
{
    const auto slashes = static_cast<std::size_t>(std::count(relativePath.begin(), relativePath.end(), '/'));
    const auto sameDepth = [&](const GlobPattern& glob) { return glob.slashes() == slashes; };
    if (std::none_of(pathGlobs.begin(), pathGlobs.end(), sameDepth)) return false;
    const std::string foldedPath = platform::caseFoldedKey(relativePath);
    return std::any_of(pathGlobs.begin(), pathGlobs.end(), [&](const GlobPattern& glob) {
        return sameDepth(glob) && glob.matches(foldedPath, FNM_PATHNAME);
    });
}

bool Exclusions::leavesOut(std::string_view relativePath, bool isFolder) const
{
    if (relativePath.empty()) return false;
    if (isFolder && !exactFolders_.empty() && exactFolders_.contains(relativePath)) return true;
    const bool volumeCandidate = isFolder && relativePath.find('/') == std::string_view::npos;
    const bool checkFolders = isFolder && !foldersOnly_.empty();
    if (!volumeCandidate && anyEntry_.empty() && !checkFolders) return false;
    const std::string foldedName = platform::caseFoldedKey(lastName(relativePath));
    if (volumeCandidate && isVolumeFolder(foldedName)) return true;
    if (anyEntry_.matches(foldedName, relativePath)) return true;
    return checkFolders && foldersOnly_.matches(foldedName, relativePath);
}

}  // namespace velmorane::engine
