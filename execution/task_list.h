#pragma once

#include "engine/task_entry.h"

#include <cstddef>
#include <vector>

namespace velmorane::execution {

// A task list as the review shows it: its entries, each with a selection state. No size limit.
class TaskList {
public:
    void assign(std::vector<engine::TaskEntry> entries);
    void clear();

    std::size_t count() const { return entries_.size(); }
    const engine::TaskEntry& entry(std::size_t index) const { return entries_[index]; }
    bool selected(std::size_t index) const { return selected_[index]; }
    void setSelected(std::size_t index, bool selected) { selected_[index] = selected; }

    // The removal pass: drops every entry whose selection state equals the flag; the others keep
    // their order and their states.
    void removeWhereSelectionIs(bool flag);

private:
    std::vector<engine::TaskEntry> entries_;
    std::vector<bool> selected_;
};

}  // namespace velmorane::execution
