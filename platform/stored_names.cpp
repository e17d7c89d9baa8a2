#include "platform/stored_names.h"

#include "platform/directory_entries.h"
#include "platform/folder_handle.h"
#include "platform/letter_case.h"
#include "platform/paths.h"

#include <sstream>
#include <vector>

namespace velmorane::platform {
namespace {

// The entry of `folder` that `name` finds there: the name itself when listed, else the one entry
// equal to it ignoring case. A folder that cannot be read keeps the name as given.
std::string storedName(const std::string& folder, const std::string& name)
{
    const Result<FolderHandle> handle = FolderHandle::openStart(folder);
    if (!handle.ok()) return name;
    const std::string key = caseFoldedKey(name);
    bool listed = false;
    std::vector<std::string> twins;
    const MaybeError failure = forEachDirectoryEntry(handle.value, [&](std::string_view entry, unsigned char) {
        if (entry == name) {
            listed = true;
        } else if (caseFoldedKey(entry) == key) {
            twins.emplace_back(entry);
        }
    });
    if (failure || listed || twins.size() != 1) return name;
    return twins.front();
}

}  // namespace

std::string storedSpelling(const std::string& path)
{
    std::string spelt(1, kSeparator);
    std::istringstream names(path);
    for (std::string name; std::getline(names, name, kSeparator);) {
        if (!name.empty()) spelt = joinPath(spelt, storedName(spelt, name));
    }
    return spelt;
}

}  // namespace velmorane::platform
