#include "engine/mass_change_guard.h"

namespace velmorane::engine {
namespace {

constexpr std::int64_t kMostFilesUnguarded = 50;

}  // namespace

std::optional<std::string> massChangeRefusal(std::int64_t filesDeletedOrReplaced, std::int64_t filesInDestination,
                                             const std::string& destination)
{
    const bool everyFile = filesInDestination > 0 && filesDeletedOrReplaced >= filesInDestination;
    if (!everyFile &&
        (filesDeletedOrReplaced <= kMostFilesUnguarded || 2 * filesDeletedOrReplaced <= filesInDestination)) {
        return std::nullopt;
    }
    return "Exécution refusée : " + std::to_string(filesDeletedOrReplaced) +
           " fichier(s) à supprimer ou remplacer sur " + std::to_string(filesInDestination) + " dans " + destination;
}

}  // namespace velmorane::engine
