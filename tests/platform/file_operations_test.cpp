#include "tests/support/child_process.h"

#include "platform/file_operations.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmorane::testing {
namespace {

using namespace platform;

FolderHandle openFolder(const TempFolder& t, std::string_view relative)
{
    auto folder = FolderHandle::openStart(t.path(relative));
    if (!folder.ok()) throw std::runtime_error("open " + t.path(relative) + ": " + folder.error->reason);
    return std::move(folder.value);
}

std::string outcome(const MaybeError& error)
{
    return error ? std::to_string(error->number) + " " + error->reason : "ok";
}

TEST(CopyFile, KeepsContentTimeAndModeAndCopiesALinkAsALink)
{
    TempFolder t;
    setMode(t.makeFile("a/lettre.txt", "contenu\r\n", kTestTime - 86400), 0640);
    t.makeLink("a/lien", "../c/cible.txt", kTestTime + 10);
    t.makeFile("c/cible.txt", "cible", kTestTime - 10);
    t.makeFolder("b");
    const auto target = readTree(t.path("c"));
    const FolderHandle a = openFolder(t, "a");
    const FolderHandle b = openFolder(t, "b");
    RunControl control;

    EXPECT_EQ(outcome(copyFile(a, "lettre.txt", b, "lettre.txt", CopyMode::Add, control)), "ok");
    EXPECT_EQ(outcome(copyFile(a, "lien", b, "lien", CopyMode::Add, control)), "ok");
    EXPECT_EQ(readTree(t.path("b")), readTree(t.path("a")));
    EXPECT_EQ(readTree(t.path("c")), target);
}

TEST(CopyFile, AnAddNeverReplacesAndAReplacementNeverWritesThroughALink)
{
    TempFolder t;
    t.makeFile("a/f.txt", "nouveau");
    t.makeFile("b/f.txt", "ancien");
    t.makeFile("dehors/f.txt", "dehors");
    t.makeLink("b/lien.txt", t.path("dehors/f.txt"));
    const FolderHandle a = openFolder(t, "a");
    const FolderHandle b = openFolder(t, "b");
    RunControl control;

    EXPECT_EQ(outcome(copyFile(a, "f.txt", b, "f.txt", CopyMode::Add, control)), "17 Le fichier existe");
    EXPECT_EQ(outcome(copyFile(a, "f.txt", b, "lien.txt", CopyMode::Add, control)), "17 Le fichier existe");
    EXPECT_EQ(readFileBytes(t.path("b/f.txt")), "ancien");

    EXPECT_EQ(outcome(copyFile(a, "f.txt", b, "lien.txt", CopyMode::Replace, control)), "ok");
    EXPECT_EQ(lookUp(t.path("b/lien.txt")).value, EntryKind::File);
    EXPECT_EQ(readFileBytes(t.path("b/lien.txt")), "nouveau");
    EXPECT_EQ(readFileBytes(t.path("dehors/f.txt")), "dehors");
    EXPECT_EQ(namesIn(t.path("b")), (Names{"f.txt", "lien.txt"}));  // no temporary file left
}

// Counts the pieces a long copy reports, which let the window breathe.
struct CountingControl : RunControl {
    void pieceCopied() override { ++pieces; }
    int pieces = 0;
};

TEST(CopyFile, ALargeFileIsCopiedInPiecesReportedOneByOneAndHolesStayHoles)
{
    TempFolder t;
    t.makeFile("a/grand.bin", std::string(std::size_t{8} << 20, 'x'));
    // Data between two holes, and a file that is one hole.
    const std::string sparse = t.makeFile("a/creux.bin", std::int64_t{64} << 20);
    const int fd = ::open(sparse.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "donnees", 7, std::int64_t{32} << 20), 7);
    ::close(fd);
    t.setMtime("a/creux.bin", kTestTime);
    t.makeFile("a/vide.bin", std::int64_t{1} << 30);
    t.makeFolder("b");
    CountingControl control;

    for (const char* name : {"grand.bin", "creux.bin", "vide.bin"}) {
        EXPECT_EQ(outcome(copyFile(openFolder(t, "a"), name, openFolder(t, "b"), name, CopyMode::Add, control)), "ok");
    }
    EXPECT_GE(control.pieces, 7);
    EXPECT_EQ(readTree(t.path("b")), readTree(t.path("a")));
    for (const char* name : {"creux.bin", "vide.bin"}) {
        struct stat source{};
        struct stat copy{};
        ASSERT_EQ(::stat(t.path(std::string("a/") + name).c_str(), &source), 0);
        ASSERT_EQ(::stat(t.path(std::string("b/") + name).c_str(), &copy), 0);
        EXPECT_LE(copy.st_blocks, source.st_blocks) << name;
    }
}

// Changes the source file once, between two pieces of its copy, as another program writing it would.
struct WritingControl : RunControl {
    explicit WritingControl(std::function<void()> change) : change_(std::move(change)) {}
    void pieceCopied() override
    {
        if (change_) std::exchange(change_, nullptr)();
    }
    std::function<void()> change_;
};

TEST(CopyFile, ASourceChangedWhileCopiedFailsAndLeavesThePreviousVersionUnderItsName)
{
    TempFolder t;
    const std::string source = t.makeFile("a/grand.bin", std::string(std::size_t{8} << 20, 'x'));
    t.makeFile("b/grand.bin", "ancien");
    t.makeFolder("c");
    const auto changeOnce = [&](const std::function<void(int)>& change) {
        return WritingControl([source, change] {
            const int fd = ::open(source.c_str(), O_WRONLY);
            change(fd);
            ::close(fd);
        });
    };
    const std::string changed = "11 le fichier a changé pendant la copie";
    WritingControl truncated = changeOnce([](int fd) { ASSERT_EQ(::ftruncate(fd, 1 << 20), 0); });
    EXPECT_EQ(outcome(copyFile(openFolder(t, "a"), "grand.bin", openFolder(t, "b"), "grand.bin", CopyMode::Replace,
                               truncated)),
              changed);
    EXPECT_EQ(readFileBytes(t.path("b/grand.bin")), "ancien");
    EXPECT_EQ(namesIn(t.path("b")), Names{"grand.bin"}) << "no temporary file left";

    // Written over in place, its size and time put back: only its change time tells.
    t.makeFile("a/grand.bin", std::string(std::size_t{8} << 20, 'x'));
    WritingControl rewritten = changeOnce([&](int fd) {
        ASSERT_EQ(::pwrite(fd, "yyyy", 4, 6 << 20), 4);
        t.setMtime("a/grand.bin", kTestTime);
    });
    EXPECT_EQ(outcome(copyFile(openFolder(t, "a"), "grand.bin", openFolder(t, "c"), "grand.bin", CopyMode::Add,
                               rewritten)),
              changed);
    EXPECT_EQ(namesIn(t.path("c")), Names{});

    // Left alone, it is copied.
    RunControl control;
    EXPECT_EQ(outcome(copyFile(openFolder(t, "a"), "grand.bin", openFolder(t, "b"), "grand.bin", CopyMode::Replace,
                               control)),
              "ok");
    EXPECT_EQ(readTree(t.path("b")), readTree(t.path("a")));
}

TEST(CopyFolder, AFolderCopiedIntoItsOwnSubFolderIsNotCopiedIntoItselfAgain)
{
    TempFolder t;
    t.makeFile("travail/lettre.txt", "x");
    t.makeFolder("travail/archive");
    RunControl control;

    const auto copy = copyFolder(openFolder(t, ""), "travail", openFolder(t, "travail/archive"), "travail", control);
    EXPECT_TRUE(copy.created);
    EXPECT_EQ(outcome(copy.failure), "ok");
    EXPECT_EQ(namesIn(t.path("travail/archive/travail")), (Names{"archive", "lettre.txt"}));
    EXPECT_EQ(namesIn(t.path("travail/archive/travail/archive")), Names{});
}

TEST(CopyFolder, ATakenNameFailsAndAFailurePartWayLeavesEveryFolderWithItsBitsAndTimes)
{
    TempFolder t;
    t.makeFile("src/A/a.txt", "a");
    setMode(t.makeFile("src/A/B/secret.txt", "s"), 0000);
    t.makeFile("src/A/B/z.txt", "z");
    setMode(t.path("src/A/B"), 0750);
    t.setMtime("src/A/B", kTestTime - 50);
    t.setMtime("src/A", kTestTime - 60);
    t.makeLink("dst/A", t.path("dehors"));
    t.makeFolder("dehors");

    const std::string result = asOrdinaryUser(t, [&] {
        RunControl control;
        const FolderHandle src = openFolder(t, "src");
        const FolderHandle dst = openFolder(t, "dst");
        const auto taken = copyFolder(src, "A", dst, "A", control);
        const auto copy = copyFolder(src, "A", dst, "Copie", control);
        return std::string(taken.created ? "made " : "refused ") + outcome(taken.failure) + "\n" +
               (copy.created ? "made " : "refused ") + outcome(copy.failure);
    });

    EXPECT_EQ(result, "refused 17 Le fichier existe\nmade 13 Permission non accordée (B/secret.txt)");
    EXPECT_EQ(namesIn(t.path("dehors")), Names{});
    const auto source = readTree(t.path("src/A"));  // B/, B/secret.txt, B/z.txt, a.txt
    EXPECT_EQ(readTree(t.path("dst/Copie")), (Names{source[0], source[2], source[3]}));
    EXPECT_EQ(source[0], "B/||" + std::to_string(kTestTime - 50) + "|0750|");
    EXPECT_EQ(readTree(t.path("dst"))[1], "Copie" + readTree(t.path("src"))[0].substr(1));  // "A/|..." made "Copie/|..."
}

TEST(DeleteFolder, RemovesReadOnlyContentAndNeverFollowsALink)
{
    TempFolder t;
    t.makeFile("outside/keep.txt", "garder");
    setMode(t.makeFile("gone/sub/locked/f.txt", "f"), 0444);
    setMode(t.path("gone/sub/locked"), 0555);
    setMode(t.path("gone/sub"), 0500);
    t.makeLink("gone/vers-dehors", t.path("outside"));
    t.makeLink("lien-dossier", t.path("outside"));
    const auto outside = readTree(t.path("outside"));

    const std::string result = asOrdinaryUser(t, [&] {
        const FolderHandle root = openFolder(t, "");
        return outcome(deleteFolder(root, "gone")) + "\n" + outcome(deleteFolder(root, "lien-dossier"));
    });

    EXPECT_EQ(result, "ok\n20 N'est pas un dossier");
    EXPECT_EQ(namesIn(t.root()), (Names{"lien-dossier", "outside"}));
    EXPECT_EQ(readTree(t.path("outside")), outside);
}

}  // namespace
}  // namespace velmorane::testing
