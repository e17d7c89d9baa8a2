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
// UTF-8 text to Windows-1252 bytes, or nothing when a character has no place in that code page.
std::optional<std::string> utf8ToWindows1252(std::string_view text);

}  // namespace velmorane::platform
