#pragma once

#include <string>

namespace velmorane::platform {

// An absolute path whose folders exist, each name spelt as its folder stores it. A volume that
// folds case (FAT, exFAT, CIFS) finds "DATA" when it holds "Data", and its FUSE driver gives each
// spelling its own inode: only the stored names tell that two spellings are one folder. A name
// that its folder lists as it is, or that no single entry matches ignoring case, stays as it is.
std::string storedSpelling(const std::string& path);

}  // namespace velmorane::platform
