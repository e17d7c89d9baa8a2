#pragma once

#include "engine/task_list.h"
#include "execution/folder_set.h"

#include <cstdint>
#include <optional>

namespace velmorane::execution {

// What each entry of one list adds to an execution's progress, decided alike when the total is
// counted and as the entries are taken, so the count ends at its total. A chosen entry counts with
// the size the comparison listed, whatever the file holds by then and whether it is copied, moved
// or its attributes set; a deletion copies nothing. An entry inside a folder chosen whole counts
// without bytes, chosen or not: the folder's listed size holds them, and it comes or goes with it.
class ProgressShares {
public:
    // The entries must be asked in the order of the list; none when the entry takes no part.
    std::optional<std::uint64_t> of(const engine::TaskList& list, std::size_t index, bool choice);

private:
    FolderSet chosenFolders_;
};

}  // namespace velmorane::execution
