#pragma once

#include "execution/mirror_run.h"

#include <optional>
#include <string>

namespace velmorane::execution {

// Why an execution would take no entry with the boxes and selections as they are: "Aucun élément à
// exécuter : " and, for each list that takes part and has entries, what leaves it out. Nothing when
// some entry would be taken, or when every list that takes part is empty (the review is then left).
std::optional<std::string> nothingChosenReason(const TaskLists& lists, const engine::RunFlags& flags,
                                               const ExecutionChoice& choice);

}  // namespace velmorane::execution
