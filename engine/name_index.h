#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmorane::engine {

// Finds names ignoring case in time independent of the number of names. Each name is matched at
// most once. The names added are not copied: they must outlive the index.
class NameIndex {
public:
    void add(std::string_view name);
    bool taken(std::size_t index) const { return taken_[index]; }

    // Matches every name of a list: exact spellings first, then the others ignoring case, the first
    // name added winning among those that differ only in case.
    std::vector<std::optional<std::size_t>> takeAll(const std::vector<std::string_view>& names);

private:
    std::optional<std::size_t> take(std::string_view name, bool exactOnly);

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::vector<std::string_view> names_;
    std::vector<bool> taken_;
    struct Chain {
        std::size_t first;
        std::size_t last;
    };
    // The names of one key in the order they were added: its first, then each one's next.
    std::unordered_map<std::string, Chain> byKey_;
    std::vector<std::size_t> next_;
};

}  // namespace velmorane::engine
