#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmorane::engine {

// A shell glob (fnmatch: "*", "?", "[...]") over UTF-8 texts, whatever the locale of the process.
// The literal pieces it must hold are checked first, so that most texts are turned down by a few
// comparisons instead of a call to fnmatch.
class GlobPattern {
public:
    explicit GlobPattern(std::string pattern);

    // flags: those of fnmatch (FNM_PATHNAME for paths).
    bool matches(const std::string& text, int flags) const;
    // The number of "/" in the pattern: under FNM_PATHNAME it matches only paths with as many.
    std::size_t slashes() const { return slashes_; }

private:
    bool holdsPieces(const std::string& text) const;

    std::string pattern_;
    std::size_t slashes_ = 0;
    bool ascii_ = false;
    std::string prefix_;               // the literal text it starts with
    std::string suffix_;               // the literal text it ends with
    std::vector<std::string> pieces_;  // the literal texts between, in order
};

}  // namespace velmorane::engine
