#include "execution/file_edit.h"
#include "platform/file_operations.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velmorane::execution {
namespace {

using platform::Answer;
using platform::Icon;
using testing::readFileBytes;
using testing::TempFolder;

class FileEdit : public ::testing::Test {
protected:
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& message : dialogs.shown()) out.push_back(message.text);
        return out;
    }

    TempFolder folder;
    platform::ScriptedDialogs dialogs;
};

TEST_F(FileEdit, NoFileChosenIsRefusedWithoutRefreshing)
{
    EXPECT_FALSE(renameChosenFile(folder.root(), "", dialogs));
    EXPECT_FALSE(deleteChosenFile(folder.root(), "", dialogs));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    for (const auto& message : dialogs.shown()) {
        EXPECT_EQ(message.text, "Aucun fichier n'est choisi");
        EXPECT_EQ(message.title, "Action Impossible");
        EXPECT_EQ(message.icon, Icon::Warning);
        EXPECT_EQ(message.buttons, platform::Buttons::Ok);
    }
}

TEST_F(FileEdit, RenameAsksThenRenamesAReadOnlyFileAndMakesItWritable)
{
    const std::string original = folder.makeFile("a.txt", "contenu");
    ::chmod(original.c_str(), 0444);
    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("b.txt");

    EXPECT_TRUE(renameChosenFile(folder.root(), "a.txt", dialogs));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Voulez-vous Renommer le Fichier " + folder.path("a.txt"));
    EXPECT_EQ(dialogs.shown()[0].title, "Attention !");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Critical);
    ASSERT_EQ(dialogs.inputRequests().size(), 1u);
    EXPECT_EQ(dialogs.inputRequests()[0].prompt, "Nouveau Nom de a.txt");
    EXPECT_EQ(dialogs.inputRequests()[0].title, "Renommer un Fichier");
    EXPECT_EQ(dialogs.inputRequests()[0].proposed, "a.txt");

    EXPECT_EQ(platform::lookUp(original).value, platform::EntryKind::Missing);
    EXPECT_EQ(readFileBytes(folder.path("b.txt")), "contenu");
    struct stat info{};
    ASSERT_EQ(::stat(folder.path("b.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(FileEdit, RenameDoesNothingOnNoCancelEmptyOrTheSameNameIgnoringCase)
{
    folder.makeFile("a.txt", "x");
    dialogs.queueAnswer(Answer::No);
    EXPECT_TRUE(renameChosenFile(folder.root(), "a.txt", dialogs));  // No still refreshes
    EXPECT_TRUE(dialogs.inputRequests().empty());

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput(std::nullopt);
    EXPECT_FALSE(renameChosenFile(folder.root(), "a.txt", dialogs));

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("   ");
    EXPECT_FALSE(renameChosenFile(folder.root(), "a.txt", dialogs));

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("  A.TXT  ");
    EXPECT_FALSE(renameChosenFile(folder.root(), "a.txt", dialogs));

    EXPECT_EQ(testing::readTree(folder.root()).size(), 1u);
    EXPECT_EQ(readFileBytes(folder.path("a.txt")), "x");
}

TEST_F(FileEdit, RenameNeverReplacesAnotherFileNorMovesTheFileAndReportsTheReason)
{
    folder.makeFile("a.txt", "a");
    folder.makeFile("b.txt", "b");
    folder.makeFolder("sub");

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("b.txt");
    EXPECT_TRUE(renameChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(readFileBytes(folder.path("a.txt")), "a");
    EXPECT_EQ(readFileBytes(folder.path("b.txt")), "b");

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("sub/a.txt");
    EXPECT_TRUE(renameChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(platform::lookUp(folder.path("sub/a.txt")).value, platform::EntryKind::Missing);

    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueInput("c.txt");
    EXPECT_TRUE(renameChosenFile(folder.root(), "vanished.txt", dialogs));

    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Voulez-vous Renommer le Fichier " + folder.path("a.txt"),
                           "Impossible de renommer le fichier " + folder.path("a.txt") + "\r\nFile exists",
                           "Voulez-vous Renommer le Fichier " + folder.path("a.txt"),
                           "Un nom de fichier ne peut pas contenir \"/\" : sub/a.txt",
                           "Voulez-vous Renommer le Fichier " + folder.path("vanished.txt"),
                           "Impossible de renommer le fichier " + folder.path("vanished.txt") +
                               "\r\nNo such file or directory",
                       }));
    EXPECT_EQ(dialogs.shown()[1].title, "Renommer un Fichier");
    EXPECT_EQ(dialogs.shown()[1].icon, Icon::Critical);
}

TEST_F(FileEdit, DeleteAsksThenRemovesEvenAReadOnlyFile)
{
    const std::string path = folder.makeFile("a.txt", "x");
    ::chmod(path.c_str(), 0444);
    dialogs.queueAnswer(Answer::No);
    EXPECT_TRUE(deleteChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(platform::lookUp(path).value, platform::EntryKind::File);

    dialogs.queueAnswer(Answer::Yes);
    EXPECT_TRUE(deleteChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(platform::lookUp(path).value, platform::EntryKind::Missing);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, "Voulez-vous Supprimer le Fichier " + path);
    EXPECT_EQ(dialogs.shown()[1].title, "Supprimer un Fichier");
    EXPECT_EQ(dialogs.shown()[1].icon, Icon::Critical);
    EXPECT_EQ(dialogs.shown()[1].buttons, platform::Buttons::YesNo);

    dialogs.queueAnswer(Answer::Yes);
    EXPECT_TRUE(deleteChosenFile(folder.root(), "a.txt", dialogs));
    EXPECT_EQ(dialogs.shown().back().text,
              "Impossible de supprimer le fichier " + path + "\r\nNo such file or directory");
}

TEST_F(FileEdit, TheRootFolderGivesNoDoubledSeparator)
{
    dialogs.queueAnswer(Answer::No);
    deleteChosenFile("/", "absent.txt", dialogs);
    EXPECT_EQ(dialogs.shown()[0].text, "Voulez-vous Supprimer le Fichier /absent.txt");
}

}  // namespace
}  // namespace velmorane::execution
