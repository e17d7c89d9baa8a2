#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmorane::engine {

// An unattended run does not carry out lists that would delete or replace more than half of the
// destination's files, and more than 50, nor every file of a destination that holds any, whatever
// its size: that is a source lost by accident (a pulled key, a folder deleted by mistake, files
// encrypted by ransomware), not a change anyone waits for. A folder deleted whole counts the files
// it holds. The refusal's message, or nothing when the run may go.
std::optional<std::string> massChangeRefusal(std::int64_t filesDeletedOrReplaced, std::int64_t filesInDestination,
                                             const std::string& destination);

}  // namespace velmorane::engine
