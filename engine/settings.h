#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velmorane::engine {

// The captions of the direction and action menus, in menu order; their index is the code.
inline constexpr std::array<const char*, 2> kSensCaptions = {"&Travail => Archive", "Archive => &Travail"};
inline constexpr std::array<const char*, 5> kActionCaptions = {
    "&Comparer", "&Personnaliser la Mise à Jour", "&Ajouter Seulement", "Supprimer &Seulement",
    "&Modifier Seulement"};

// What a run needs, as the main window shows it: the two folders (empty = not chosen), the codes
// (-1 = not chosen) and the texts of the direction and action labels, which profiles keep verbatim.
struct RunSettings {
    std::string source;  // the work folder, label `Source`
    std::string but;     // the archive folder, label `But`
    std::int16_t sensTransfert = -1;
    std::int16_t typeAction = -1;
    std::string sens1;    // text of the label `Sens1`
    std::string action1;  // text of the label `Action1`
};

// Which lists take part in execution, from the action type.
struct RunFlags {
    bool seulComparer = true;
    bool execAjout = false;
    bool execModif = false;
    bool execSuppr = false;
};

RunFlags flagsFor(std::int16_t typeAction);

}  // namespace velmorane::engine
