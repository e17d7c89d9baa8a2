#pragma once

#include "execution/executor.h"
#include "platform/system_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::execution {

// The reports of the last runs of each profile are kept; older ones are removed.
inline constexpr std::size_t kReportsKept = 30;

// Where unattended runs leave their reports: $XDG_STATE_HOME/velmorane/rapports.
std::string reportFolder();

// One line of a report for a failed entry: the files it concerns, then its reason, in the texts of
// the failure question.
std::string reportLine(const EntryFailure& failure);

// Writes the report of a run of the profile whose reports are named after `profileKey`: when,
// which profile and its outcome, then one line per failed entry. Only the newest reports of that
// profile are kept. Returns the report's path.
[[nodiscard]] platform::Result<std::string> writeRunReport(const std::string& profileKey, const std::string& windowTitle,
                                                           const std::string& outcome,
                                                           const std::vector<EntryFailure>& failures, std::int64_t time);

// The path of the newest report of the profile, or nothing when it has none.
std::optional<std::string> lastRunReport(const std::string& profileKey);

}  // namespace velmorane::execution
