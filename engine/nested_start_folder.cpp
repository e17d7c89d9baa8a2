#include "engine/nested_start_folder.h"

#include "platform/folder_identity.h"

namespace velmorane::engine {

std::optional<NestedStartFolder> nestedStartFolder(const std::string& source, const std::string& dest)
{
    if (auto below = platform::pathBelow(source, dest)) return NestedStartFolder{StartSide::Source, std::move(*below)};
    if (auto below = platform::pathBelow(dest, source)) return NestedStartFolder{StartSide::Dest, std::move(*below)};
    return std::nullopt;
}

}  // namespace velmorane::engine
