#include "ui/file_edit_dialogs.h"
#include "platform/file_operations.h"
#include "tests/support/qt_scripted_dialogs.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velmorane::ui {
namespace {

using ui::Answer;
using ui::Icon;
using testing::readFileBytes;
using Lines = std::vector<std::string>;

class FileEdit : public ::testing::Test {
protected:
    // The boxes shown so far: "title|text" each.
    Lines shown() const
    {
        Lines out;
        for (const auto& message : dialogs.shown()) out.push_back(message.title + "|" + message.text);
        return out;
    }
    void answer(Answer answer, std::optional<std::string> input)
    {
        dialogs.queueAnswer(answer);
        dialogs.queueInput(std::move(input));
    }

    testing::TempFolder folder;
    ui::ScriptedDialogs dialogs;
};

TEST_F(FileEdit, NoFileChosenIsRefusedWithoutRefreshing)
{
    EXPECT_FALSE(askToRenameChosenFile(folder.root(), "", dialogs));
    EXPECT_FALSE(askToDeleteChosenFile(folder.root(), "", dialogs));
    EXPECT_EQ(shown(), Lines(2, "Action Impossible|Aucun fichier n'est choisi"));
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown()[0].buttons, ui::Buttons::Ok);
}

TEST_F(FileEdit, RenameAsksThenRenamesAReadOnlyFileAndMakesItWritable)
{
    ::chmod(folder.makeFile("a.txt", "contenu").c_str(), 0444);
    answer(Answer::Yes, "b.txt");

    EXPECT_TRUE(askToRenameChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(shown(), Lines{"Attention !|Voulez-vous Renommer le Fichier " + folder.path("a.txt")});
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Critical);
    ASSERT_EQ(dialogs.inputRequests().size(), 1u);
    EXPECT_EQ(dialogs.inputRequests()[0].prompt, "Nouveau Nom de a.txt");
    EXPECT_EQ(dialogs.inputRequests()[0].title, "Renommer un Fichier");
    EXPECT_EQ(dialogs.inputRequests()[0].proposed, "a.txt");

    EXPECT_EQ(testing::readTree(folder.root()).size(), 1u);
    EXPECT_EQ(readFileBytes(folder.path("b.txt")), "contenu");
    struct stat info{};
    ASSERT_EQ(::stat(folder.path("b.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(FileEdit, RenameDoesNothingOnNoCancelEmptyOrTheSameNameIgnoringCase)
{
    folder.makeFile("a.txt", "x");
    dialogs.queueAnswer(Answer::No);
    EXPECT_TRUE(askToRenameChosenFile(folder.root(), "a.txt", dialogs));  // No still refreshes
    EXPECT_TRUE(dialogs.inputRequests().empty());

    for (const std::optional<std::string>& input : {std::optional<std::string>{}, {"   "}, {"  A.TXT  "}}) {
        answer(Answer::Yes, input);
        EXPECT_FALSE(askToRenameChosenFile(folder.root(), "a.txt", dialogs));
    }
    EXPECT_EQ(testing::readTree(folder.root()).size(), 1u);
    EXPECT_EQ(readFileBytes(folder.path("a.txt")), "x");
}

TEST_F(FileEdit, RenameNeverReplacesAnotherFileNorMovesTheFileAndReportsTheReason)
{
    folder.makeFile("a.txt", "a");
    folder.makeFile("b.txt", "b");
    folder.makeFolder("sub");

    answer(Answer::Yes, "b.txt");
    EXPECT_TRUE(askToRenameChosenFile(folder.root(), "a.txt", dialogs));
    answer(Answer::Yes, "sub/a.txt");
    EXPECT_TRUE(askToRenameChosenFile(folder.root(), "a.txt", dialogs));
    answer(Answer::Yes, "c.txt");
    EXPECT_TRUE(askToRenameChosenFile(folder.root(), "vanished.txt", dialogs));

    EXPECT_EQ(readFileBytes(folder.path("a.txt")), "a");
    EXPECT_EQ(readFileBytes(folder.path("b.txt")), "b");
    EXPECT_EQ(platform::lookUp(folder.path("sub/a.txt")).value, platform::EntryKind::Missing);
    const std::string ask = "Attention !|Voulez-vous Renommer le Fichier ";
    EXPECT_EQ(shown(), (Lines{
                           ask + folder.path("a.txt"),
                           "Renommer un Fichier|Impossible de renommer le fichier " + folder.path("a.txt") +
                               "\nLe fichier existe",
                           ask + folder.path("a.txt"),
                           "Renommer un Fichier|Un nom de fichier ne peut pas contenir \"/\" : sub/a.txt",
                           ask + folder.path("vanished.txt"),
                           "Renommer un Fichier|Impossible de renommer le fichier " + folder.path("vanished.txt") +
                               "\nAucun fichier ou dossier de ce type",
                       }));
    EXPECT_EQ(dialogs.shown()[1].icon, Icon::Critical);
}

TEST_F(FileEdit, DeleteAsksThenRemovesEvenAReadOnlyFile)
{
    const std::string path = folder.makeFile("a.txt", "x");
    ::chmod(path.c_str(), 0444);
    dialogs.queueAnswer(Answer::No);
    EXPECT_TRUE(askToDeleteChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(platform::lookUp(path).value, platform::EntryKind::File);

    dialogs.queueAnswer(Answer::Yes);
    EXPECT_TRUE(askToDeleteChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(platform::lookUp(path).value, platform::EntryKind::Missing);
    EXPECT_EQ(dialogs.shown()[1].icon, Icon::Critical);
    EXPECT_EQ(dialogs.shown()[1].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(dialogs.shown()[1].defaultButton, Answer::No);

    dialogs.queueAnswer(Answer::Yes);
    EXPECT_TRUE(askToDeleteChosenFile(folder.root(), "a.txt", dialogs));
    const std::string ask = "Supprimer un Fichier|Voulez-vous Supprimer le Fichier " + path;
    EXPECT_EQ(shown(), (Lines{ask, ask, ask,
                              "Supprimer un Fichier|Impossible de supprimer le fichier " + path +
                                  "\nAucun fichier ou dossier de ce type"}));
}

TEST_F(FileEdit, TheRootFolderGivesNoDoubledSeparator)
{
    dialogs.queueAnswer(Answer::No);
    askToDeleteChosenFile("/", "absent.txt", dialogs);
    EXPECT_EQ(shown(), Lines{"Supprimer un Fichier|Voulez-vous Supprimer le Fichier /absent.txt"});
}

}  // namespace
}  // namespace velmorane::ui
