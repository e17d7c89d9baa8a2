#pragma once

#include <string>
#include <string_view>

namespace velmorane::platform {

// The one text comparison of the program that ignores letter case, Unicode-aware ("É" equals "é"),
// canonically equivalent texts being equal ("é" as one code point or as "e" and a combining accent).
// Bytes that are not valid UTF-8 are kept as they are while the characters around them fold.
std::string caseFoldedKey(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool containsIgnoringCase(std::string_view text, std::string_view part);

// Order of names in a folder: ignoring case, ties broken by exact byte order.
bool nameLess(std::string_view a, std::string_view b);

// Ascending order of texts as a French reader expects (accents weigh after letters, case ignored).
int collateIgnoringCase(std::string_view a, std::string_view b);

}  // namespace velmorane::platform
