#pragma once

#include "platform/system_error.h"

#include <string>
#include <vector>

namespace velmorane::platform {

// The program's 8-bit text files (profile file, journal). Lines are written with CR LF, in
// Windows-1252 when every character fits and in UTF-8 otherwise, so no character of a path is lost.
// Reading accepts CR LF or LF, and UTF-8 or Windows-1252 bytes; lines come back as UTF-8.
Result<std::vector<std::string>> readTextLines(const std::string& path);

// Replaces the file whole through a temporary file, so a failure never leaves it truncated.
MaybeError writeTextFileAtomically(const std::string& path, const std::vector<std::string>& lines);

MaybeError appendTextLines(const std::string& path, const std::vector<std::string>& lines);

bool fileExists(const std::string& path);

}  // namespace velmorane::platform
