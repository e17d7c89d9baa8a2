#include "tests/support/child_process.h"
#include "tests/support/mirror_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace velmorane::testing {
namespace {

// The binary without a display, in a working directory of its own.
class VelmoraneCommand : public ::testing::Test {
protected:
    VelmoraneCommand()
    {
        makeMirrorTree(tree);
        tree.makeFile("ArchProfils.vlr", " 4 \r\n" + profileRecord("Maison", work, archive) +
                                             profileRecord("Perdu", tree.path("absent"), archive) +
                                             profileRecord("Pareil", work, work) +
                                             profileRecord("Nom avec espaces", work, archive));
    }

    ProgramRun velmorane(const std::vector<std::string>& arguments) { return runProgram(VELMORANE_BINARY, arguments, tree.root()); }

    std::string journal() const
    {
        return std::filesystem::exists(tree.path("ArchJournal.vlr")) ? readFileBytes(tree.path("ArchJournal.vlr")) : "";
    }

    TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive = tree.path("archive");
};

TEST_F(VelmoraneCommand, ListePrintsTheThreeListsAndChangesNothing)
{
    const auto before = readTree(tree.root());
    const auto run = velmorane({"--liste", "maison"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(velmorane({"--liste", "Nom avec espaces"}).out, run.out);
    EXPECT_EQ(run.out, "Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>\n" + work + "/Neuf/ **Dossier\n" +
                           fileEntry(work + "/b.txt", 3) + "\nFichier(s) à Modifier ( 1) =>\n" +
                           fileEntry(archive + "/a.txt", 16) + "\nDossier(s) et Fichier(s) à Supprimer ( 2 ) =>\n" +
                           archive + "/Vieux/ **Dossier\n" + fileEntry(archive + "/vieux.txt", 2) + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readTree(tree.root()), before);

    const auto unknown = velmorane({"--liste", "Absent"});
    EXPECT_EQ(std::make_tuple(unknown.exitCode, unknown.out, unknown.err),
              std::make_tuple(2, std::string(), std::string("Profil introuvable : Absent\n")));
    const auto missing = velmorane({"--liste", "Perdu"});
    EXPECT_EQ(std::make_tuple(missing.exitCode, missing.out, missing.err),
              std::make_tuple(2, std::string(), "Velmorane : " + tree.path("absent") + " est vide ou n'existe pas\n"));
}

TEST_F(VelmoraneCommand, HelpPrintsTheFiveLinesOfTheHelpBoxAndDescribesTheFilterFileAndVersionItsNumber)
{
    const auto run = velmorane({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.starts_with("Syntaxe de lancement :\n"
                                    "\tVelmorane => lancement 'normal' du logiciel'\n"
                                    "\tVelmorane Profil => lancement du logiciel ET OUVERTURE du profil indiqué\n"
                                    "\tVelmorane Profil X => lancement ET EXECUTION du profil indiqué\n"
                                    "La commande en ligne n'est pas sensible à la casse\n"))
        << run.out;
    EXPECT_NE(run.out.find("Filtres : ArchFiltres.vlr, à côté de ArchProfils.vlr, un motif par ligne (*, ?, [...]), "
                           "sans distinction de casse\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\t\t*.tmp\n\t\tnode_modules/\n\t\t[Documents]\n\t\tPhotos/Brouillons\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("entre guillemets : velmorane \"Clé USB\" X\n"), std::string::npos);

    // Neither the short forms nor the version need a display.
    const auto shortHelp = velmorane({"-h"});
    EXPECT_EQ(std::make_tuple(shortHelp.exitCode, shortHelp.out, shortHelp.err),
              std::make_tuple(0, run.out, std::string()));
    for (const char* option : {"--version", "-V"}) {
        const auto version = velmorane({option});
        EXPECT_EQ(std::make_tuple(version.exitCode, version.out, version.err),
                  std::make_tuple(0, std::string("velmorane 1.0\n"), std::string()))
            << option;
    }
}

TEST_F(VelmoraneCommand, AnUnattendedRunMirrorsAndJournalsEachExecution)
{
    // One journal entry in UTF-8 with CR LF line ends.
    const auto entry = [](const std::string& profile) {
        return "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n\tExécution du Profil " + profile +
               " : OK\r\n";
    };
    const auto first = velmorane({"maison", "x"});
    EXPECT_EQ(std::make_tuple(first.exitCode, first.out, first.err), std::make_tuple(0, std::string(), std::string()));
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    EXPECT_TRUE(std::regex_match(journal(), std::regex(entry("Maison")))) << journal();

    // The second run, of a name given as one quoted argument, finds nothing to do, and still journals.
    const auto before = readTree(archive);
    EXPECT_EQ(velmorane({"Nom avec espaces", "X"}).exitCode, 0);
    EXPECT_EQ(readTree(archive), before);
    EXPECT_TRUE(std::regex_match(journal(), std::regex(entry("Maison") + entry("Nom avec espaces")))) << journal();
}

TEST_F(VelmoraneCommand, NothingExecutedEndsWithStatusTwoTheReasonAndAJournalEntrySayingWhy)
{
    const auto before = readTree(archive);
    for (const auto& [profile, reason] : std::vector<std::pair<std::string, std::string>>{
             {"Absent", "Profil introuvable : Absent\n"},
             {"Perdu", tree.path("absent") + " est vide ou n'existe pas"},
             {"Pareil", "Profil Incorrect : Travail et Archive doivent être différents."}}) {
        const auto run = velmorane({profile, "X"});
        EXPECT_EQ(run.exitCode, 2) << profile;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    EXPECT_EQ(readTree(archive), before);
    // Every run leaves a trace, an unknown profile under the name as typed.
    const std::string when = "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n";
    EXPECT_TRUE(std::regex_match(journal(), std::regex(when + "\tExécution du Profil Absent : Non exécuté "
                                                       "\\(Profil introuvable\\)\r\n" +
                                                       when + "\tExécution du Profil Perdu : Non exécuté \\(" +
                                                       tree.path("absent") + " est vide ou n'existe pas\\)\r\n" + when +
                                                       "\tExécution du Profil Pareil : Non exécuté \\(Travail "
                                                       "et Archive doivent être différents.\\)\r\n")))
        << journal();

    // Opening a profile, or none, needs the windows, which need a display.
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"Maison"}, std::vector<std::string>{}}) {
        const auto run = velmorane(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.starts_with("Aucun affichage disponible : ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line";
    }
}

// A display number that no X server listens on here.
std::string deadDisplay()
{
    int number = 99;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    return ":" + std::to_string(number);
}

TEST_F(VelmoraneCommand, ADisplayThatCannotBeOpenedRunsAsWithoutOne)
{
    const std::string display = deadDisplay();
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"DISPLAY", display}, {"WAYLAND_DISPLAY", "velmorane-absent-0"}}) {
        SCOPED_TRACE(name);
        std::filesystem::remove(tree.path("ArchJournal.vlr"));
        const auto unattended = runProgram(VELMORANE_BINARY, {"Maison", "X"}, tree.root(), {{name, value}});
        EXPECT_EQ(std::make_tuple(unattended.exitCode, unattended.err), std::make_tuple(0, std::string()));
        EXPECT_NE(journal(), "");
        const auto refused = runProgram(VELMORANE_BINARY, {"Pareil", "X"}, tree.root(), {{name, value}});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(refused.err, "Profil Incorrect : Travail et Archive doivent être différents.\n");

        const auto opened = runProgram(VELMORANE_BINARY, {"Maison"}, tree.root(), {{name, value}});
        EXPECT_EQ(std::make_tuple(opened.exitCode, opened.err),
                  std::make_tuple(2, "Aucun affichage disponible : impossible d'ouvrir l'affichage " + value + " (" +
                                         name + ") ; voir velmorane --help.\n"));
    }
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
}

}  // namespace
}  // namespace velmorane::testing
