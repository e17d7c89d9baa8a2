#include "engine/task_list.h"

namespace velmorane::engine {

void TaskList::add(TaskEntry entry)
{
    entries_.push_back(std::move(entry));
    selected_.push_back(false);
}

void TaskList::assign(std::vector<TaskEntry> entries)
{
    entries_ = std::move(entries);
    selected_.assign(entries_.size(), false);
}

void TaskList::clear()
{
    entries_.clear();
    selected_.clear();
}

std::string TaskList::text(std::size_t index) const
{
    const TaskEntry& entry = entries_[index];
    return entryText(entry, kind_ == ListKind::Add ? entry.sourcePath : entry.destPath);
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

}  // namespace velmorane::engine
