#pragma once

#include <string_view>

namespace velmorane::platform {

// The text without the spaces at both ends (tabs and other blanks stay).
constexpr std::string_view trimmedSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace velmorane::platform
