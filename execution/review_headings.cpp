#include "execution/review_headings.h"

namespace velmorane::execution {

std::string listHeading(engine::ListKind kind, std::size_t count)
{
    const std::string number = std::to_string(count);
    switch (kind) {
    case engine::ListKind::Add: return "Dossier(s) et Fichier(s) à Ajouter ( " + number + " ) =>";
    // This heading has no blank before its closing parenthesis, unlike the two others.
    case engine::ListKind::Replace: return "Fichier(s) à Modifier ( " + number + ") =>";
    case engine::ListKind::Delete: break;
    }
    return "Dossier(s) et Fichier(s) à Supprimer ( " + number + " ) =>";
}

}  // namespace velmorane::execution
