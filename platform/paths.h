#pragma once

#include <string>
#include <string_view>

namespace velmorane::platform {

inline constexpr char kSeparator = '/';

// The root "/" keeps its single separator, so no path built from these ever holds "//".
std::string withTrailingSeparator(std::string_view path);
std::string withoutTrailingSeparator(std::string_view path);
std::string joinPath(std::string_view folder, std::string_view name);
std::string lastComponent(std::string_view path);
std::string parentFolder(std::string_view path);
// Whether a plain absolute path is the folder or lies below it ("/a/bc" does not lie in "/a/b").
bool liesIn(std::string_view path, std::string_view folder);

std::string currentDirectory();

}  // namespace velmorane::platform
