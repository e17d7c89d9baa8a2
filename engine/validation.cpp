#include "engine/validation.h"

#include "platform/folder_identity.h"

namespace velmorane::engine {

bool settingsAreValid(const RunSettings& settings, std::string& txtMess)
{
    bool ok = true;
    const auto refuse = [&](const char* message) {
        ok = false;
        txtMess = message;
    };
    // One folder by two spellings is still one folder; two folders whose names differ only in
    // letter case are two on Linux.
    if (platform::sameFolder(settings.source, settings.archive)) refuse("Travail et Archive doivent être différents.");
    if (settings.action == Action::Unset) refuse("Il faut définir un Type d'Action.");
    if (settings.direction == Direction::Unset) refuse("Il faut définir un Sens de Transfert.");
    if (settings.archive.empty()) refuse("Il faut définir un Fichier d'Archive.");
    if (settings.source.empty()) refuse("Il faut définir un Fichier de Travail.");
    return ok;
}

platform::Message settingsRefusal(const std::string& txtMess)
{
    return platform::stopMessage(txtMess, "Profil Incorrect");
}

}  // namespace velmorane::engine
