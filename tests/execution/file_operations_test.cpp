#include "tests/execution/execution_harness.h"

#include "platform/file_operations.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using namespace platform;

TEST(CopyFileAtomically, KeepsContentTimeAndModeAndCopiesALinkAsALink)
{
    TempFolder t;
    setMode(t.makeFile("a/lettre.txt", "contenu\r\n", kTestTime - 86400), 0640);
    t.makeLink("a/lien", "../c/cible.txt", kTestTime + 10);
    t.makeFile("c/cible.txt", "cible", kTestTime - 10);
    t.makeFolder("b");
    const auto target = readTree(t.path("c"));

    EXPECT_FALSE(copyFileAtomically(t.path("a/lettre.txt"), t.path("b/lettre.txt")));
    EXPECT_FALSE(copyFileAtomically(t.path("a/lien"), t.path("b/lien")));
    EXPECT_EQ(readTree(t.path("b")), readTree(t.path("a")));
    EXPECT_EQ(readTree(t.path("c")), target);
}

TEST(CopyFolder, AFolderCopiedIntoItsOwnSubFolderIsNotCopiedIntoItselfAgain)
{
    TempFolder t;
    t.makeFile("travail/lettre.txt", "x");
    t.makeFolder("travail/archive");

    EXPECT_FALSE(copyFolder(t.path("travail"), t.path("travail/archive/travail")));
    EXPECT_EQ(namesIn(t.path("travail/archive/travail")), (Names{"archive", "lettre.txt"}));
    EXPECT_EQ(namesIn(t.path("travail/archive/travail/archive")), Names{});
}

TEST(DeleteFolder, RemovesReadOnlyContentAndNeverFollowsALink)
{
    TempFolder t;
    t.makeFile("outside/keep.txt", "garder");
    setMode(t.makeFile("gone/sub/locked/f.txt", "f"), 0444);
    setMode(t.path("gone/sub/locked"), 0555);
    setMode(t.path("gone/sub"), 0500);
    t.makeLink("gone/vers-dehors", t.path("outside"));
    const auto outside = readTree(t.path("outside"));

    const std::string outcome = asOrdinaryUser(t, [&] {
        const auto error = deleteFolder(t.path("gone"));
        return error ? error->reason : std::string("deleted");
    });

    EXPECT_EQ(outcome, "deleted");
    EXPECT_EQ(namesIn(t.root()), Names{"outside"});
    EXPECT_EQ(readTree(t.path("outside")), outside);
}

TEST(RenameFile, RefusesAnExistingTargetAndAllowsALetterCaseChange)
{
    TempFolder t;
    t.makeFile("Lettre.txt", "lettre");
    t.makeFile("autre.txt", "autre");

    const auto refused = renameFile(t.path("Lettre.txt"), t.path("autre.txt"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->number, EEXIST);
    EXPECT_EQ(readFileBytes(t.path("autre.txt")), "autre");

    EXPECT_FALSE(renameFile(t.path("Lettre.txt"), t.path("LETTRE.txt")));
    EXPECT_EQ(namesIn(t.root()), (Names{"LETTRE.txt", "autre.txt"}));
}

}  // namespace
}  // namespace velmorane::testing
