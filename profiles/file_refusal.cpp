#include "profiles/file_refusal.h"

#include "platform/file_trust.h"

namespace velmorane::profiles {

std::optional<std::string> refusalReason(const std::string& path)
{
    switch (platform::fileTrust(path)) {
    case platform::FileTrust::WritableByOthers:
        return "Le fichier est modifiable par d'autres utilisateurs";
    case platform::FileTrust::OwnedByAnother:
        return "Le fichier appartient à un autre utilisateur";
    case platform::FileTrust::Trusted:
        break;
    }
    return std::nullopt;
}

}  // namespace velmorane::profiles
