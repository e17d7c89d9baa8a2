#include "execution/review_headings.h"

namespace velmorane::execution {

std::string ajoutHeading(std::size_t count)
{
    return "Dossier(s) et Fichier(s) à Ajouter ( " + std::to_string(count) + " ) =>";
}

// This heading has no blank before its closing parenthesis, unlike the two others.
std::string modifHeading(std::size_t count)
{
    return "Fichier(s) à Modifier ( " + std::to_string(count) + ") =>";
}

std::string supprHeading(std::size_t count)
{
    return "Dossier(s) et Fichier(s) à Supprimer ( " + std::to_string(count) + " ) =>";
}

}  // namespace velmorane::execution
