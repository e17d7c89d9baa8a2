#pragma once

#include "engine/glob_pattern.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velmorane::engine {

// What a walk leaves out, on both sides: the folders a volume keeps at its root for itself, the
// user's filter patterns (every match ignores letter case), and single folders named exactly.
class Exclusions {
public:
    Exclusions();  // the default volume folders only
    explicit Exclusions(const std::vector<std::string>& patterns);  // defaults + patterns

    // relativePath: below the start folder, no leading or trailing "/", e.g. "a/b/node_modules".
    // The start folder itself (an empty path) is never left out.
    bool leavesOut(std::string_view relativePath, bool isFolder) const;

    // Leaves out one folder and all it holds: this exact path below the start folder ("a/b"),
    // letter case included, and not a pattern.
    void leaveOutFolder(std::string relativePath);

    // Whether anything below the top of a start folder may be left out: a folder moved or deleted
    // whole could then take along what the run must leave alone.
    bool leavesOutBelowTop() const;

    // Whether a folder named exactly to be left out lies below this one ("a/", "" for the start
    // folder): such a folder is on the way to it and cannot go whole.
    bool leadsToLeftOutFolder(std::string_view relativeFolder) const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using TextSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

    // Plain names and "*.ext" patterns are looked up in hash sets so that many patterns cost no
    // more than a few; only the remaining ones are matched as globs.
    struct PatternSet {
        TextSet names;
        TextSet extensions;
        std::vector<GlobPattern> nameGlobs;
        std::vector<GlobPattern> pathGlobs;

        bool empty() const;
        bool matches(const std::string& foldedName, std::string_view relativePath) const;
        bool pathMatches(std::string_view relativePath) const;
    };

    void addPattern(std::string_view pattern);

    PatternSet anyEntry_;
    PatternSet foldersOnly_;
    TextSet exactFolders_;
};

}  // namespace velmorane::engine
