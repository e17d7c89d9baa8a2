#pragma once

#include "platform/system_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// The program's text files (profile file, journal). Lines are written with CR LF. Reading accepts
// CR LF or LF, and UTF-8 or Windows-1252 bytes; lines come back as UTF-8.
Result<std::vector<std::string>> readTextLines(const std::string& path);

// Writes the lines in Windows-1252 when every character fits and in UTF-8 otherwise, so no character
// of a path is lost. Replaces the file whole through a temporary file, so a failure never leaves it
// truncated. The temporary file is always a new one: an existing name, a link included, is never opened.
// With a backup suffix, the file replaced stays beside it under its name and that suffix (a hard
// link, or a copy where the volume has none), made before the new one takes its place.
MaybeError writeTextFileAtomically(const std::string& path, const std::vector<std::string>& lines,
                                   std::string_view backupSuffix = {});

// Appends the lines in UTF-8, or in Windows-1252 to a file that already holds bytes that are not
// UTF-8, so one file keeps one encoding ("?" for a character Windows-1252 lacks). Appends them whole
// or not at all (a failed append leaves the file as long as before), and never through a link: a link
// at path is a failure (ELOOP) and what it points to stays untouched.
MaybeError appendTextLines(const std::string& path, const std::vector<std::string>& lines);

bool fileExists(const std::string& path);

}  // namespace velmorane::platform
