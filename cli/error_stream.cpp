#include "cli/error_stream.h"

namespace velmorane::cli {

void printOutcome(std::ostream& err, const execution::OutcomeText& outcome)
{
    err << outcome.title << " : " << outcome.text << '\n' << std::flush;
}

}  // namespace velmorane::cli
