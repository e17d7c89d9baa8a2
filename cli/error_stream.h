#pragma once

#include "execution/outcome_texts.h"

#include <ostream>

namespace velmorane::cli {

// A text as standard error carries it: "title : text" and a line feed.
void printOutcome(std::ostream& err, const execution::OutcomeText& outcome);

}  // namespace velmorane::cli
