#pragma once

#include "execution/executor.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmorane::cli {

// What an unattended run leaves for its user once it has ended: a report naming each failed entry,
// and, when the run did not do its job (failures, refused, interrupted), a line on standard error
// naming the report and a notice on the desktop. `outcome` is the journal's: "OK", "3 erreur(s)"...
void tellUnattendedOutcome(const std::string& profileName, const std::string& outcome,
                           const std::vector<execution::EntryFailure>& failures, std::ostream& err);

}  // namespace velmorane::cli
