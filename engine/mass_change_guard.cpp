#include "engine/mass_change_guard.h"

namespace velmorane::engine {
namespace {

constexpr std::int64_t kMostFilesUnguarded = 50;

}  // namespace

bool isMassChange(std::int64_t filesDeletedOrReplaced, std::int64_t filesInDestination)
{
    const bool everyFile = filesInDestination > 0 && filesDeletedOrReplaced >= filesInDestination;
    return everyFile ||
           (filesDeletedOrReplaced > kMostFilesUnguarded && 2 * filesDeletedOrReplaced > filesInDestination);
}

}  // namespace velmorane::engine
