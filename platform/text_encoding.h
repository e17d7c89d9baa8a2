#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmorane::platform {

bool isValidUtf8(std::string_view bytes);
// Length of the longest start of bytes that is valid UTF-8.
std::size_t validUtf8Length(std::string_view bytes);
bool isAscii(std::string_view bytes);

// Windows-1252 bytes to UTF-8 text.
std::string windows1252ToUtf8(std::string_view bytes);
// UTF-8 text in which each byte that is not part of valid UTF-8 is read as Windows-1252.
std::string repairedUtf8(std::string_view bytes);
// UTF-8 text to Windows-1252 bytes, or nothing when a character has no place in that code page.
std::optional<std::string> utf8ToWindows1252(std::string_view text);
// The same, with "?" for a character that has no place; bytes that are not UTF-8 stay as they are.
std::string utf8ToWindows1252Replacing(std::string_view text);

}  // namespace velmorane::platform
