#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace velmorane::platform {

std::string withTrailingSeparator(std::string_view path)
{
    std::string out(path);
    if (out.empty() || out.back() != kSeparator) out += kSeparator;
    return out;
}

std::string withoutTrailingSeparator(std::string_view path)
{
    while (path.size() > 1 && path.back() == kSeparator) path.remove_suffix(1);
    return std::string(path);
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    return withTrailingSeparator(folder) + std::string(name);
}

std::string lastComponent(std::string_view path)
{
    const std::string trimmed = withoutTrailingSeparator(path);
    const auto slash = trimmed.rfind(kSeparator);
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string parentFolder(std::string_view path)
{
    const std::string trimmed = withoutTrailingSeparator(path);
    const auto slash = trimmed.rfind(kSeparator);
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string(1, kSeparator) : trimmed.substr(0, slash);
}

bool liesIn(std::string_view path, std::string_view folder)
{
    if (folder == std::string_view(&kSeparator, 1)) return path.starts_with(kSeparator);
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == kSeparator);
}

std::string currentDirectory()
{
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::string(1, kSeparator) : path.string();
}

}  // namespace velmorane::platform
