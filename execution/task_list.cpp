#include "execution/task_list.h"

namespace velmorane::execution {

void TaskList::assign(std::vector<engine::TaskEntry> entries)
{
    entries_ = std::move(entries);
    selected_.assign(entries_.size(), false);
}

void TaskList::clear()
{
    entries_.clear();
    selected_.clear();
}

void TaskList::removeWhereSelectionIs(bool flag)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (selected_[i] == flag) continue;
        if (kept != i) {
            entries_[kept] = std::move(entries_[i]);
            selected_[kept] = selected_[i];
        }
        ++kept;
    }
    entries_.resize(kept);
    selected_.resize(kept);
}

}  // namespace velmorane::execution
