#include "engine/status_text.h"
#include "engine/validation.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

RunSettings settings(std::string source, std::string but, std::int16_t sens, std::int16_t action)
{
    return RunSettings{std::move(source), std::move(but), sens, action, {}, {}};
}

TEST(AffMess, EachPartIsInconnuOrItsTitleAndValue)
{
    const std::pair<RunSettings, std::string> cases[] = {
        {settings("", "", -1, -1), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\n"
                                   "Sens de Transfert Inconnu\n\nType d'Action Inconnu"},
        {settings("/home/ana/Docs", "", 0, 2),
         "Dossier de Travail :\n/home/ana/Docs\n\nDossier d'Archive Inconnu\n\n"
         "Sens de Transfert :\nSource = Travail\nDestination = Archive\n\n"
         "Type d'Action :\nAjouter tous les Dossiers et Fichiers de la Source à ceux de la Destination."},
        {settings("/t", "/a", 1, 1),
         "Dossier de Travail :\n/t\n\nDossier d'Archive :\n/a\n\n"
         "Sens de Transfert :\nSource = Archive\nDestination = Travail\n\nType d'Action :\n"
         "Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.\n"
         "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source.\n"
         "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source.\n"
         "Individualiser la mise à jour en intervenant sur chaque Fichier."},
        {settings("/t", "/a", 0, 7), "Dossier de Travail :\n/t\n\nDossier d'Archive :\n/a\n\n"
                                     "Sens de Transfert :\nSource = Travail\nDestination = Archive\n\n"
                                     "Type d'Action :\nInconnu"},
    };
    for (const auto& [given, text] : cases) EXPECT_EQ(affMess(given), text);
}

TEST(SettingsFault, TheFirstMissingPartIsTheFaultAndNestedFoldersAreAccepted)
{
    const std::pair<RunSettings, SettingsFault> refusals[] = {
        {settings("", "", -1, -1), SettingsFault::NoWorkFolder},
        {settings("/t", "", -1, -1), SettingsFault::NoArchiveFolder},
        {settings("/t", "/a", -1, -1), SettingsFault::NoDirection},
        {settings("/t", "/a", 0, -1), SettingsFault::NoAction},
        {settings("/home/Été", "/home/./Été/", 1, 0), SettingsFault::SameFolders},
    };
    for (const auto& [given, fault] : refusals) EXPECT_EQ(settingsFault(given), fault) << given.source;
    EXPECT_EQ(settingsFault(settings("/home/ana", "/home/ana/Archive", 0, 0)), std::nullopt);
}

}  // namespace
}  // namespace velmorane::engine
