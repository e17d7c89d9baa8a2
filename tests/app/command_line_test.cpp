#include "platform/date_text.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane {
namespace {

using testing::kTestTime;

std::string profileRecord(const std::string& name, const std::string& work, const std::string& archive)
{
    return name + "\r\n" + work + "\r\n" + archive +
           "\r\n0\r\n&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n";
}

class VelmoraneCommand : public ::testing::Test {
protected:
    VelmoraneCommand()
    {
        tree.makeFile("travail/a.txt", 10);
        tree.makeFile("travail/b.txt", 20);
        tree.makeFile("travail/Neuf/n.txt", 1);
        tree.makeFile("archive/a.txt", 11);
        tree.makeFile("archive/vieux.txt", 30);
        tree.makeFile("ArchProfils.vlr", " 2 \r\n" + profileRecord("Maison", work, archive) +
                                             profileRecord("Perdu", tree.path("absent"), archive));
    }

    testing::ProgramRun velmorane(const std::vector<std::string>& arguments)
    {
        return testing::runProgram(VELMORANE_BINARY, arguments, tree.root());
    }

    testing::TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive = tree.path("archive");
};

using VelmoraneListe = VelmoraneCommand;

TEST_F(VelmoraneListe, PrintsTheThreeListsWithTheirHeadingsAndChangesNothing)
{
    const auto before = testing::readTree(tree.root());

    const auto run = velmorane({"--liste", "maison"});

    const std::string date = platform::dateText(kTestTime);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>\n" + work + "/Neuf/ **Dossier\n" + work +
                           "/b.txt *-* 20 *-* " + date + "\n"
                           "Fichier(s) à Modifier ( 1) =>\n" + archive + "/a.txt *-* 10 *-* " + date + "\n"
                           "Dossier(s) et Fichier(s) à Supprimer ( 1 ) =>\n" + archive + "/vieux.txt *-* 30 *-* " +
                           date + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(testing::readTree(tree.root()), before);
}

TEST_F(VelmoraneListe, AnUnknownProfileOrAMissingSourceEndsWithStatusTwoAndTheReason)
{
    const auto unknown = velmorane({"--liste", "Absent"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "Profil introuvable : Absent\n");

    const auto missing = velmorane({"--liste", "Perdu"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Velmorane : " + tree.path("absent") + " est vide ou n'existe pas\n");
}

TEST(VelmoraneHelp, PrintsTheFiveLinesOfTheHelpBox)
{
    const auto run = testing::runProgram(VELMORANE_BINARY, {"--help"}, "/");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.starts_with("Syntaxe de lancement :\n"
                                    "\tVelmorane => lancement 'normal' du logiciel'\n"
                                    "\tVelmorane Profil => lancement du logiciel ET OUVERTURE du profil indiqué\n"
                                    "\tVelmorane Profil X => lancement ET EXECUTION du profil indiqué\n"
                                    "La commande en ligne n'est pas sensible à la casse\n"))
        << run.out;
}

TEST(VelmoraneWithoutDisplay, AnInteractiveStartSaysWhyAndEndsWithStatusTwo)
{
    testing::TempFolder empty;

    const auto run = testing::runProgram(VELMORANE_BINARY, {}, empty.root());

    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.starts_with("Aucun affichage disponible : ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line";
}

}  // namespace
}  // namespace velmorane
