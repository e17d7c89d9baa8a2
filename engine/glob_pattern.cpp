#include "engine/glob_pattern.h"

#include "platform/text_encoding.h"

#include <fnmatch.h>
#include <locale.h>

#include <algorithm>

namespace velmorane::engine {
namespace {

// The end of the bracket expression that starts at open, or npos when it is never closed (the "["
// then stands for itself, as fnmatch takes it).
std::size_t bracketEnd(const std::string& pattern, std::size_t open)
{
    std::size_t i = open + 1;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) ++i;
    if (i < pattern.size() && pattern[i] == ']') ++i;  // a "]" first in the set is one of its characters
    return pattern.find(']', i);
}

struct Pieces {
    std::vector<std::string> literals;
    bool startsLiteral = false;
    bool endsLiteral = false;
};

// The literal texts between the wildcards and bracket expressions of a pattern without escapes.
Pieces literalPieces(const std::string& pattern)
{
    Pieces pieces;
    std::string current;
    bool lastLiteral = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        std::size_t close = std::string::npos;
        if (c == '[') close = bracketEnd(pattern, i);
        const bool wildcard = c == '*' || c == '?' || close != std::string::npos;
        if (!wildcard) {
            if (i == 0) pieces.startsLiteral = true;
            current += c;
            lastLiteral = true;
            continue;
        }
        if (!current.empty()) pieces.literals.push_back(std::move(current));
        current.clear();
        lastLiteral = false;
        if (c == '[') i = close;
    }
    if (!current.empty()) pieces.literals.push_back(std::move(current));
    pieces.endsLiteral = lastLiteral;
    return pieces;
}

// fnmatch reads characters in the thread's locale. A scheduled run often has none ("C"), where "?"
// or "[éè]" would take "é" for two characters: texts that are not ASCII are read as UTF-8. ASCII
// texts take the single-byte way, which is faster and gives the same answer.
int fnmatchIn(bool ascii, const std::string& pattern, const std::string& text, int flags)
{
    static const locale_t singleByte = ::newlocale(LC_CTYPE_MASK, "C", locale_t{});
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    const locale_t chosen = ascii ? singleByte : utf8;
    if (!chosen) return ::fnmatch(pattern.c_str(), text.c_str(), flags);
    const locale_t previous = ::uselocale(chosen);
    const int result = ::fnmatch(pattern.c_str(), text.c_str(), flags);
    ::uselocale(previous);
    return result;
}

}  // namespace

GlobPattern::GlobPattern(std::string pattern)
    : pattern_(std::move(pattern)),
      slashes_(static_cast<std::size_t>(std::ranges::count(pattern_, '/'))),
      ascii_(platform::isAscii(pattern_))
{
    // An escaped character would make the pieces wrong; such rare patterns go to fnmatch only.
    if (pattern_.find('\\') != std::string::npos) return;
    Pieces pieces = literalPieces(pattern_);
    pieces_ = std::move(pieces.literals);
    if (pieces.startsLiteral && !pieces_.empty()) {
        prefix_ = std::move(pieces_.front());
        pieces_.erase(pieces_.begin());
    }
    if (pieces.endsLiteral && !pieces_.empty()) {
        suffix_ = std::move(pieces_.back());
        pieces_.pop_back();
    }
}

bool GlobPattern::holdsPieces(const std::string& text) const
{
    if (text.size() < prefix_.size() + suffix_.size()) return false;
    if (!text.starts_with(prefix_) || !text.ends_with(suffix_)) return false;
    const std::size_t end = text.size() - suffix_.size();
    std::size_t from = prefix_.size();
    for (const std::string& piece : pieces_) {
        const std::size_t found = text.find(piece, from);
        if (found == std::string::npos || found + piece.size() > end) return false;
        from = found + piece.size();
    }
    return true;
}

bool GlobPattern::matches(const std::string& text, int flags) const
{
    if (!holdsPieces(text)) return false;
    return fnmatchIn(ascii_ && platform::isAscii(text), pattern_, text, flags) == 0;
}

}  // namespace velmorane::engine
