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
        {settings("", "", Direction::Unset, Action::Unset), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\n"
                                   "Sens de Transfert Inconnu\n\nType d'Action Inconnu"},
        {settings("/home/ana/Docs", "", Direction::WorkToArchive, Action::AddOnly),
         "Dossier de Travail :\n/home/ana/Docs\n\nDossier d'Archive Inconnu\n\n"
         "Sens de Transfert :\nSource = Travail\nDestination = Archive\n\n"
         "Type d'Action :\nAjouter tous les Dossiers et Fichiers de la Source à ceux de la Destination."},
        {settings("/t", "/a", Direction::ArchiveToWork, Action::Update),
         "Dossier de Travail :\n/t\n\nDossier d'Archive :\n/a\n\n"
         "Sens de Transfert :\nSource = Archive\nDestination = Travail\n\nType d'Action :\n"
         "Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.\n"
         "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source.\n"
         "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source.\n"
         "Individualiser la mise à jour en intervenant sur chaque Fichier."},
    };
    for (const auto& [given, text] : cases) EXPECT_EQ(statusText(given), text);
}

TEST(SettingsFault, TheFirstMissingPartIsTheFaultAndNestedFoldersAreAccepted)
{
    const std::pair<RunSettings, SettingsFault> refusals[] = {
        {settings("", "", Direction::Unset, Action::Unset), SettingsFault::NoWorkFolder},
        {settings("/t", "", Direction::Unset, Action::Unset), SettingsFault::NoArchiveFolder},
        {settings("/t", "/a", Direction::Unset, Action::Unset), SettingsFault::NoDirection},
        {settings("/t", "/a", Direction::WorkToArchive, Action::Unset), SettingsFault::NoAction},
        {settings("/home/Été", "/home/./Été/", Direction::ArchiveToWork, Action::Compare), SettingsFault::SameFolders},
        {settings("sftp://nas/srv/Été", "sftp://nas/srv/Été/", Direction::WorkToArchive, Action::Compare),
         SettingsFault::SameFolders},
    };
    for (const auto& [given, fault] : refusals) EXPECT_EQ(settingsFault(given), fault) << given.source;
    EXPECT_EQ(settingsFault(settings("/home/ana", "/home/ana/Archive", Direction::WorkToArchive, Action::Compare)),
              std::nullopt);
    // A server's folder is never this machine's folder of the same path.
    EXPECT_EQ(settingsFault(settings("/srv/Été", "sftp://nas/srv/Été", Direction::WorkToArchive, Action::Compare)),
              std::nullopt);
}

}  // namespace
}  // namespace velmorane::engine
