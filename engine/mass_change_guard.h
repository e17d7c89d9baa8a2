#pragma once

#include <cstdint>

namespace velmorane::engine {

// An unattended run does not carry out lists that would delete or replace more than half of the
// destination's files, and more than 50, nor every file of a destination that holds any, whatever
// its size: that is a source lost by accident (a pulled key, a folder deleted by mistake, files
// encrypted by ransomware), not a change anyone waits for. A folder deleted whole counts the files
// it holds.
bool isMassChange(std::int64_t filesDeletedOrReplaced, std::int64_t filesInDestination);

}  // namespace velmorane::engine
