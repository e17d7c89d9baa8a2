#include "engine/glob_pattern.h"

#include <gtest/gtest.h>

#include <fnmatch.h>
#include <locale.h>

namespace velmorane::engine {
namespace {

// fnmatch itself, reading UTF-8.
bool fnmatchUtf8(const std::string& pattern, const std::string& text, int flags)
{
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    const locale_t previous = ::uselocale(utf8);
    const bool matched = ::fnmatch(pattern.c_str(), text.c_str(), flags) == 0;
    ::uselocale(previous);
    ::freelocale(utf8);
    return matched;
}

TEST(GlobPattern, TheLiteralPiecesNeverChangeWhatFnmatchAnswers)
{
    const std::vector<std::string> patterns = {
        "*.sw?",  "*(1).*", "*.tar.*", "~*",    "*~",      ".~lock.*#", "cache[0-9]*", "a*b*c", "a*a",   "[]a]*",
        "[!a]*b", "[abc",   "x[abc",   "a]b",   "?t?",     "r[éè]*",    "*é*é",        "ab",    "*",     "\\*x*",
        "a/*/c",  "a/b",    "*/b*",    "[/]b",  "é?/*.md",
    };
    const std::vector<std::string> texts = {
        "a.swp",   "x(1).txt", "s.tar.gz", "~tmp",  "tmp~",   ".~lock.doc#", "cache7x", "abc",   "aXbYc", "acb",
        "a",       "aa",       "]x",       "bb",    "[abc",   "x[abc",       "a]b",     "été",   "rèx",   "éaé",
        "*x1",     "a/x/c",    "a/b",      "a/x/y/c", "z/bq", "é1/n.md",     "",        "ab",    "aab",   "[abc]",
    };
    for (const int flags : {0, FNM_PATHNAME}) {
        for (const std::string& pattern : patterns) {
            const GlobPattern glob(pattern);
            for (const std::string& text : texts) {
                EXPECT_EQ(glob.matches(text, flags), fnmatchUtf8(pattern, text, flags))
                    << "pattern " << pattern << ", text " << text << ", flags " << flags;
            }
        }
    }
    EXPECT_EQ(GlobPattern("a/*/c").slashes(), 2u);
}

}  // namespace
}  // namespace velmorane::engine
