#pragma once

#include "platform/paths.h"

#include <string>
#include <string_view>
#include <unordered_set>

namespace velmorane::execution {

// Folders an execution has copied, moved or deleted, to recognise entries that lie inside one of them.
class FolderSet {
public:
    void add(const std::string& folder) { folders_.insert(platform::withTrailingSeparator(folder)); }

    bool contains(std::string_view path) const
    {
        if (folders_.empty()) return false;
        for (std::size_t slash = path.find('/'); slash != std::string_view::npos && slash + 1 < path.size();
             slash = path.find('/', slash + 1)) {
            if (folders_.count(std::string(path.substr(0, slash + 1)))) return true;
        }
        return false;
    }

private:
    std::unordered_set<std::string> folders_;
};

}  // namespace velmorane::execution
