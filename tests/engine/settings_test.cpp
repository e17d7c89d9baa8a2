#include "engine/status_text.h"
#include "engine/validation.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

RunSettings settings(std::string source, std::string archive, Direction direction, Action action)
{
    return RunSettings{std::move(source), std::move(archive), direction, action, {}, {}};
}

TEST(AffMess, EachPartIsInconnuOrItsTitleAndValue)
{
    const std::pair<RunSettings, std::string> cases[] = {
        {settings("", "", Direction::Unset, Action::Unset), "Dossier de Travail Inconnu\r\n\r\nDossier d'Archive Inconnu\r\n\r\n"
                                   "Sens de Transfert Inconnu\r\n\r\nType d'Action Inconnu"},
        {settings("/home/ana/Docs", "", Direction::WorkToArchive, Action::AddOnly),
         "Dossier de Travail :\r\n/home/ana/Docs\r\n\r\nDossier d'Archive Inconnu\r\n\r\n"
         "Sens de Transfert :\r\nSource = Travail\r\nDestination = Archive\r\n\r\n"
         "Type d'Action :\r\nAjouter tous les Dossiers et Fichiers de la Source à ceux de la Destination."},
        {settings("/t", "/a", Direction::ArchiveToWork, Action::Update),
         "Dossier de Travail :\r\n/t\r\n\r\nDossier d'Archive :\r\n/a\r\n\r\n"
         "Sens de Transfert :\r\nSource = Archive\r\nDestination = Travail\r\n\r\nType d'Action :\r\n"
         "Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.\r\n"
         "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source.\r\n"
         "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source.\r\n"
         "Individualiser la mise à jour en intervenant sur chaque Fichier."},
    };
    for (const auto& [given, text] : cases) EXPECT_EQ(affMess(given), text);
}

TEST(SettingsAreValid, RefusesWithTheFirstMissingPartInTheProfilIncorrectBoxAndAcceptsNestedFolders)
{
    const std::pair<RunSettings, std::string> refusals[] = {
        {settings("", "", Direction::Unset, Action::Unset), "Il faut définir un Fichier de Travail."},
        {settings("/t", "", Direction::Unset, Action::Unset), "Il faut définir un Fichier d'Archive."},
        {settings("/t", "/a", Direction::Unset, Action::Unset), "Il faut définir un Sens de Transfert."},
        {settings("/t", "/a", Direction::WorkToArchive, Action::Unset), "Il faut définir un Type d'Action."},
        {settings("/home/Été", "/home/./Été/", Direction::ArchiveToWork, Action::Compare), "Travail et Archive doivent être différents."},
    };
    for (const auto& [given, message] : refusals) {
        std::string txtMess = "avant";
        EXPECT_FALSE(settingsAreValid(given, txtMess));
        EXPECT_EQ(txtMess, message);
        const platform::Message box = settingsRefusal(txtMess);
        EXPECT_EQ(box.text + "|" + box.title, message + "|Profil Incorrect");
        EXPECT_TRUE(box.icon == platform::Icon::Critical && box.buttons == platform::Buttons::Ok) << message;
    }

    std::string txtMess = "avant";
    EXPECT_TRUE(settingsAreValid(settings("/home/ana", "/home/ana/Archive", Direction::WorkToArchive, Action::Compare), txtMess));
    EXPECT_EQ(txtMess, "avant");
}

}  // namespace
}  // namespace velmorane::engine
