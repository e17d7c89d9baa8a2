#pragma once

#include "execution/executor.h"

namespace velmorane::execution {

// The review's lists once an execution is over, from what became of each entry: the entries it
// carried out, or that failed and were passed, leave their list; the others stay in their order
// with their selection. A list where a failure was answered "Non" keeps all its entries.
void removeExecutedEntries(TaskLists& lists, const ExecutionReport& report);

}  // namespace velmorane::execution
