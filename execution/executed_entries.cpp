#include "execution/executed_entries.h"

#include <algorithm>

namespace velmorane::execution {
namespace {

bool leavesTheList(EntryOutcome outcome)
{
    return outcome == EntryOutcome::Done || outcome == EntryOutcome::Failed;
}

bool stoppedIn(const std::vector<EntryResult>& results)
{
    return std::ranges::any_of(results, [](const EntryResult& result) { return result.outcome == EntryOutcome::Stopped; });
}

void removeExecuted(TaskList& list, const std::vector<EntryResult>& results)
{
    if (results.size() != list.count() || stoppedIn(results)) return;
    // The removal pass drops by selection state: the states of the entries that stay are put back.
    std::vector<bool> staying;
    for (std::size_t i = 0; i < list.count(); ++i) {
        const bool leaves = leavesTheList(results[i].outcome);
        if (!leaves) staying.push_back(list.selected(i));
        list.setSelected(i, leaves);
    }
    list.removeWhereSelectionIs(true);
    for (std::size_t i = 0; i < staying.size(); ++i) list.setSelected(i, staying[i]);
}

}  // namespace

void removeExecutedEntries(TaskLists& lists, const ExecutionReport& report)
{
    for (const ListKind kind : engine::kListKinds) removeExecuted(lists[kind], report.results[static_cast<std::size_t>(kind)]);
}

}  // namespace velmorane::execution
