#pragma once

#include "engine/comparison.h"
#include "engine/folder_structure.h"
#include "engine/task_entry.h"
#include "engine/task_list.h"
#include "engine/start_folders.h"
#include "execution/move_record.h"
#include "platform/system_error.h"

#include <string>
#include <vector>

namespace velmorane::execution {

struct EqualFilesInputs {
    RecordOwner owner;
    const engine::StructurePair& trees;
    // What the comparison found equal, in the trees it read.
    const engine::UnchangedFiles& unchanged;
    // The adds and replacements as listed before the execution: those it left equal are kept.
    const std::vector<engine::TaskEntry>& changed;
    const engine::StartFolder& dest;
    engine::ComparisonRules rules;
};

// After an execution: records every destination file it left equal to its source, found equal by
// the comparison or carried out and equal now, for the next run to prove moves by. Failed and
// untaken entries are not equal now and are left out; files without a birth time are useless there.
[[nodiscard]] platform::MaybeError recordEqualFiles(const EqualFilesInputs& inputs);

}  // namespace velmorane::execution
