#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace velmorane {
namespace {

namespace fs = std::filesystem;

std::string record(const std::string& name, const std::string& work, const std::string& archive)
{
    return name + "\r\n" + work + "\r\n" + archive + "\r\n0\r\n&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n";
}

// The unattended run without a display: the binary, in a working directory of its own.
class UnattendedRun : public ::testing::Test {
protected:
    UnattendedRun()
    {
        tree.makeFile("travail/a.txt", "nouveau");
        tree.makeFile("travail/Neuf/n.txt", "n");
        tree.makeFile("travail/b.txt", "b");
        tree.makeFile("archive/a.txt", "ancien contenu");
        tree.makeFile("archive/Vieux/v.txt", "v");
        tree.makeFile("ArchProfils.vlr", " 3 \r\n" + record("Sauvegarde", work, archive) +
                                             record("Perdu", tree.path("absent"), archive) +
                                             record("Pareil", work, work));
    }

    testing::ProgramRun velmorane(const std::vector<std::string>& arguments)
    {
        return testing::runProgram(VELMORANE_BINARY, arguments, tree.root());
    }

    std::string journal() const
    {
        const std::string path = tree.path("ArchJournal.vlr");
        return fs::exists(path) ? testing::readFileBytes(path) : "";
    }

    testing::TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive = tree.path("archive");
};

// One journal entry in Windows-1252 with CR LF line ends.
const std::string kEntry = "Le [0-9]{2}/[0-9]{2}/[0-9]{4} \xE0 [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"
                           "\tEx\xE9" "cution du Profil Sauvegarde : OK\r\n";

TEST_F(UnattendedRun, MakesTheDestinationEqualToTheSourceAndJournalsEachExecution)
{
    const auto first = velmorane({"sauvegarde", "x"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(testing::readTree(archive, testing::FolderTimes::Left), testing::readTree(work, testing::FolderTimes::Left));
    EXPECT_TRUE(std::regex_match(journal(), std::regex(kEntry))) << journal();

    // Nothing is left to do: the trees stay as they are and a second entry is appended.
    const auto before = testing::readTree(tree.path("archive"));
    const auto second = velmorane({"Sauvegarde", "X"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(testing::readTree(tree.path("archive")), before);
    EXPECT_TRUE(std::regex_match(journal(), std::regex(kEntry + kEntry))) << journal();
}

TEST_F(UnattendedRun, NothingExecutedEndsWithStatusTwoAndNoJournal)
{
    const auto before = testing::readTree(archive);

    const auto unknown = velmorane({"Absent", "X"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("Profil introuvable : Absent\n"), std::string::npos) << unknown.err;

    const auto missing = velmorane({"Perdu", "X"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find(tree.path("absent") + " est vide ou n'existe pas"), std::string::npos) << missing.err;

    const auto refused = velmorane({"Pareil", "X"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("Profil Incorrect : Travail et Archive doivent être différents."), std::string::npos)
        << refused.err;

    EXPECT_EQ(journal(), "");
    EXPECT_EQ(testing::readTree(archive), before);

    // A profile to open without "X" needs the windows, which need a display.
    const auto opened = velmorane({"Sauvegarde"});
    EXPECT_EQ(opened.exitCode, 2);
    EXPECT_TRUE(opened.err.starts_with("Aucun affichage disponible : ")) << opened.err;
}

}  // namespace
}  // namespace velmorane
