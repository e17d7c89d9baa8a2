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

std::optional<std::string> nothingChosenReason(const TaskLists& lists, const engine::RunFlags& flags,
                                               const ExecutionChoice& choice)
{
    const std::array<ListChoice, 3> choices = {
        ListChoice{lists.addList(), flags.executeAdds, choice.addsSelectedChosen, "Dossier(s) et Fichier(s) à Ajouter"},
        ListChoice{lists.replaceList(), flags.executeReplacements, choice.replacementsSelectedChosen, "Fichier(s) à Modifier"},
        ListChoice{lists.deleteList(), flags.executeDeletions, choice.deletionsSelectedChosen,
                   "Dossier(s) et Fichier(s) à Supprimer"}};
    std::string reasons;
    for (const ListChoice& list : choices) {
        if (!list.takesPart || list.list.count() == 0) continue;
        if (takesAnEntry(list)) return std::nullopt;
        if (!reasons.empty()) reasons += " ; ";
        reasons += list.selectedChosen
                       ? std::string("rien n'est sélectionné dans ") + list.name
                       : std::string("tout est sélectionné dans ") + list.name +
                             ", où « Eléments Non-Sélectionnés » est coché";
    }
    if (reasons.empty()) return std::nullopt;
    return "Aucun élément à exécuter : " + reasons + ".";
}

}  // namespace velmorane::execution
