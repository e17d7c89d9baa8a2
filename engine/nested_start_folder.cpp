#include "engine/nested_start_folder.h"

#include "platform/folder_identity.h"

#include <algorithm>
#include <tuple>

namespace velmorane::engine {

std::vector<NestedStartFolder> nestedStartFolders(const std::string& source, const std::string& dest)
{
    std::vector<NestedStartFolder> nested;
    for (const auto& [outer, inner, side] : {std::tuple{&source, &dest, StartSide::Source},
                                             std::tuple{&dest, &source, StartSide::Dest}}) {
        for (const std::string& place : platform::folderPlaces(*inner)) {
            const auto below = platform::pathBelow(*outer, place);
            // Seen from the outer folder, two places of the inner one may be the same path.
            const auto known = [&](const NestedStartFolder& n) { return n.outer == side && n.relativePath == *below; };
            if (below && std::none_of(nested.begin(), nested.end(), known)) nested.push_back({side, *below});
        }
    }
    return nested;
}

}  // namespace velmorane::engine
