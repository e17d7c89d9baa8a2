#include "engine/status_text.h"
#include "engine/validation.h"
#include "platform/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

RunSettings settings(std::string source, std::string but, std::int16_t sens, std::int16_t action)
{
    return RunSettings{std::move(source), std::move(but), sens, action, {}, {}};
}

TEST(AffMess, NothingChosen)
{
    EXPECT_EQ(affMess(settings("", "", -1, -1)),
              "Dossier de Travail Inconnu\r\n\r\nDossier d'Archive Inconnu\r\n\r\nSens de Transfert Inconnu\r\n\r\n"
              "Type d'Action Inconnu");
}

TEST(AffMess, WorkFolderDirectionZeroAddOnly)
{
    EXPECT_EQ(affMess(settings("/home/ana/Docs", "", 0, 2)),
              "Dossier de Travail :\r\n/home/ana/Docs\r\n\r\nDossier d'Archive Inconnu\r\n\r\n"
              "Sens de Transfert :\r\nSource = Travail\r\nDestination = Archive\r\n\r\n"
              "Type d'Action :\r\nAjouter tous les Dossiers et Fichiers de la Source à ceux de la Destination.");
}

TEST(AffMess, DirectionOneWithTheFourLinesOfPersonnaliser)
{
    EXPECT_EQ(affMess(settings("/t", "/a", 1, 1)),
              "Dossier de Travail :\r\n/t\r\n\r\nDossier d'Archive :\r\n/a\r\n\r\n"
              "Sens de Transfert :\r\nSource = Archive\r\nDestination = Travail\r\n\r\n"
              "Type d'Action :\r\n"
              "Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.\r\n"
              "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source.\r\n"
              "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source.\r\n"
              "Individualiser la mise à jour en intervenant sur chaque Fichier.");
}

TEST(AffMess, AnUnknownActionCodeIsInconnuAfterTheColon)
{
    const std::string text = affMess(settings("/t", "/a", 0, 7));
    EXPECT_TRUE(text.ends_with("\r\n\r\nType d'Action :\r\nInconnu")) << text;
}

struct Refusal {
    RunSettings settings;
    std::string message;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.message; }

class TesteOKRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(TesteOKRefusals, ShowTheLastFailingCheckInTheProfilIncorrectBox)
{
    platform::ScriptedDialogs dialogs;
    std::string txtMess = "avant";

    EXPECT_FALSE(TesteOK(GetParam().settings, txtMess, dialogs));

    EXPECT_EQ(txtMess, GetParam().message);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, GetParam().message);
    EXPECT_EQ(dialogs.shown()[0].title, "Profil Incorrect");
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::Buttons::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCheck, TesteOKRefusals,
    ::testing::Values(Refusal{settings("", "", -1, -1), "Il faut définir un Fichier de Travail."},
                      Refusal{settings("/t", "", -1, -1), "Il faut définir un Fichier d'Archive."},
                      Refusal{settings("/t", "/a", -1, -1), "Il faut définir un Sens de Transfert."},
                      Refusal{settings("/t", "/a", 0, -1), "Il faut définir un Type d'Action."},
                      Refusal{settings("/home/Été", "/HOME/éTÉ", 1, 0),
                              "Travail et Archive doivent être différents."}));

TEST(TesteOKAcceptance, OneFolderInsideTheOtherPassesWithoutABoxAndKeepsTheText)
{
    platform::ScriptedDialogs dialogs;
    std::string txtMess = "avant";

    EXPECT_TRUE(TesteOK(settings("/home/ana", "/home/ana/Archive", 0, 0), txtMess, dialogs));

    EXPECT_EQ(txtMess, "avant");
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace velmorane::engine
