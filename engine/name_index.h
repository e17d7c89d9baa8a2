#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmorane::engine {

// Finds names ignoring case in time independent of the number of names. Each name is matched at
// most once.
class NameIndex {
public:
    void add(std::string_view name);
    bool taken(std::size_t index) const { return taken_[index]; }

    // Matches every name of a list: exact spellings first, then the others ignoring case, the first
    // name added winning among those that differ only in case.
    std::vector<std::optional<std::size_t>> takeAll(const std::vector<std::string_view>& names);

private:
    std::optional<std::size_t> take(std::string_view name, bool exactOnly);

    std::vector<std::string> names_;
    std::vector<bool> taken_;
    std::unordered_map<std::string, std::vector<std::size_t>> byKey_;
};

}  // namespace velmorane::engine
