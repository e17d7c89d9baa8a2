#include "execution/progress_shares.h"

namespace velmorane::execution {

std::optional<std::uint64_t> ProgressShares::of(const engine::TaskList& list, std::size_t index, bool choice)
{
    const engine::TaskEntry& entry = list.entry(index);
    if (chosenFolders_.contains(entry.destPath)) return 0;
    if (list.selected(index) != choice) return std::nullopt;
    if (entry.isFolder()) chosenFolders_.add(entry.destPath);
    if (list.kind() == engine::ListKind::Delete) return 0;
    return static_cast<std::uint64_t>(entry.size);
}

}  // namespace velmorane::execution
