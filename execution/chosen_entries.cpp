#include "execution/chosen_entries.h"

#include <array>

namespace velmorane::execution {
namespace {

struct ListChoice {
    const TaskList& list;
    bool takesPart;
    bool selectedChosen;
    const char* name;
};

bool takesAnEntry(const ListChoice& choice)
{
    for (std::size_t i = 0; i < choice.list.count(); ++i) {
        if (choice.list.selected(i) == choice.selectedChosen) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> nothingChosenReason(const TaskLists& lists, const ExecutionSettings& settings)
{
    const std::array<ListChoice, 3> choices = {
        ListChoice{lists.fichAjout, settings.flags.execAjout, settings.ajoutSelectedChosen,
                   "Dossier(s) et Fichier(s) à Ajouter"},
        ListChoice{lists.fichModif, settings.flags.execModif, settings.modifSelectedChosen, "Fichier(s) à Modifier"},
        ListChoice{lists.fichSuppr, settings.flags.execSuppr, settings.supprSelectedChosen,
                   "Dossier(s) et Fichier(s) à Supprimer"}};
    std::string reasons;
    for (const ListChoice& choice : choices) {
        if (!choice.takesPart || choice.list.count() == 0) continue;
        if (takesAnEntry(choice)) return std::nullopt;
        if (!reasons.empty()) reasons += " ; ";
        reasons += choice.selectedChosen
                       ? std::string("rien n'est sélectionné dans ") + choice.name
                       : std::string("tout est sélectionné dans ") + choice.name +
                             ", où « Eléments Non-Sélectionnés » est coché";
    }
    if (reasons.empty()) return std::nullopt;
    return "Aucun élément à exécuter : " + reasons + ".";
}

}  // namespace velmorane::execution
