#pragma once

#include "engine/settings.h"

#include <array>
#include <cstddef>
#include <optional>

namespace velmorane::ui {

// The direction and action menus: their choices in menu order, and their captions.
inline constexpr std::array kDirectionMenu = {engine::Direction::WorkToArchive, engine::Direction::ArchiveToWork};
inline constexpr std::array<const char*, 2> kDirectionCaptions = {"&Travail => Archive", "Archive => &Travail"};
inline constexpr std::array kActionMenu = {engine::Action::Compare, engine::Action::Update, engine::Action::AddOnly,
                                           engine::Action::DeleteOnly, engine::Action::ReplaceOnly};
inline constexpr std::array<const char*, 5> kActionCaptions = {
    "&Comparer", "&Personnaliser la Mise à Jour", "&Ajouter Seulement", "Supprimer &Seulement",
    "&Modifier Seulement"};

// The menu entry of a choice; none when nothing is chosen.
template <typename Choice, std::size_t Count>
std::optional<std::size_t> menuEntryOf(Choice choice, const std::array<Choice, Count>& menu)
{
    for (std::size_t entry = 0; entry < Count; ++entry) {
        if (menu[entry] == choice) return entry;
    }
    return std::nullopt;
}

// The entry a click on a direction or action label chooses: the one after the current choice, back
// to the first past the last or when nothing is chosen.
template <typename Choice, std::size_t Count>
std::size_t nextMenuEntry(Choice choice, const std::array<Choice, Count>& menu)
{
    const auto entry = menuEntryOf(choice, menu);
    return entry ? (*entry + 1) % Count : 0;
}

}  // namespace velmorane::ui
