#include "engine/name_index.h"

#include "platform/letter_case.h"

namespace velmorane::engine {

void NameIndex::add(std::string_view name)
{
    const std::size_t index = names_.size();
    const auto [chain, first] = byKey_.try_emplace(platform::caseFoldedKey(name), Chain{index, index});
    if (!first) {
        next_[chain->second.last] = index;
        chain->second.last = index;
    }
    names_.push_back(name);
    taken_.push_back(false);
    next_.push_back(kNone);
}

std::vector<std::optional<std::size_t>> NameIndex::takeAll(const std::vector<std::string_view>& names)
{
    std::vector<std::optional<std::size_t>> matches(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) matches[i] = take(names[i], true);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!matches[i]) matches[i] = take(names[i], false);
    }
    return matches;
}

std::optional<std::size_t> NameIndex::take(std::string_view name, bool exactOnly)
{
    const auto found = byKey_.find(platform::caseFoldedKey(name));
    if (found == byKey_.end()) return std::nullopt;
    std::optional<std::size_t> chosen;
    for (std::size_t index = found->second.first; index != kNone; index = next_[index]) {
        if (taken_[index]) continue;
        if (names_[index] == name) {
            chosen = index;
            break;
        }
        if (!chosen && !exactOnly) chosen = index;
    }
    if (chosen) taken_[*chosen] = true;
    return chosen;
}

}  // namespace velmorane::engine
