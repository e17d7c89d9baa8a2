#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

// Compares, executes with every question answered Yes, and gives the boxes shown.
std::string mirrorOnce(Mirror& m)
{
    m.dialogs.clear();
    m.compare(Action::Update);
    m.execute();
    return m.messages();
}

TEST(LinksInTheDestination, AFolderLinkIsNeverWrittenThroughAndTheMirrorIsWholeAfterOneMoreRun)
{
    Mirror m;
    m.tree.makeFile("work/Photos/a.jpg", "photo");
    m.tree.makeFile("dehors/a.jpg", "ne pas toucher");
    m.tree.makeLink("archive/Photos", m.tree.path("dehors"));
    const auto outside = readTree(m.tree.path("dehors"));

    EXPECT_EQ(mirrorOnce(m),
              question("17 - Le fichier existe", m.work + "/Photos/", m.archive + "/Photos/") + reportFailures(1));
    EXPECT_EQ(readTree(m.tree.path("dehors")), outside);

    EXPECT_EQ(mirrorOnce(m), kReportOk);
    EXPECT_EQ(readTree(m.archive), readTree(m.work));
    EXPECT_EQ(readTree(m.tree.path("dehors")), outside);
}

TEST(SpecialFilesInTheDestination, OneWhereTheSourceHasAnEntryIsListedForDeletionAndOneRunFreesTheName)
{
    Mirror m;
    m.tree.makeFile("work/x", "contenu");
    m.tree.makeFile("work/dossier/a.txt", "a");
    for (const char* fifo : {"work/tube", "archive/x", "archive/dossier", "archive/seul"}) {
        ASSERT_EQ(::mkfifo(m.tree.path(fifo).c_str(), 0644), 0);
        m.tree.setMtime(fifo, kTestTime);
    }

    m.compare(Action::Update);
    EXPECT_EQ(texts(m.lists.addList()), (Names{m.work + "/dossier/ **Dossier", fileEntry(m.work + "/x", 7)}));
    EXPECT_EQ(texts(m.lists.deleteList()),
              (Names{fileEntry(m.archive + "/dossier", 0), fileEntry(m.archive + "/x", 0)}));
    m.execute();
    // Adds come before deletions: the names are free for the next run.
    EXPECT_EQ(m.messages(), question("17 - Le fichier existe", m.work + "/dossier/", m.archive + "/dossier/") +
                                question("17 - Le fichier existe", m.work + "/x", m.archive + "/x") +
                                reportFailures(2));
    EXPECT_EQ(namesIn(m.archive), Names{"seul"});

    EXPECT_EQ(mirrorOnce(m), kReportOk);
    EXPECT_EQ(namesIn(m.archive), (Names{"dossier", "seul", "x"}));
    EXPECT_EQ(readFileBytes(m.archive + "/x"), "contenu");
}

TEST(TreeChangedBeforeExecution, EachChangedEntryFailsAloneAndNothingOutsideIsTouched)
{
    Mirror m;
    m.tree.makeFile("work/A/neuf.txt", "neuf");
    m.tree.makeFile("work/apparu.txt", "source");
    m.tree.makeFile("work/remplace.txt", "nouveau", kTestTime + 1);
    m.tree.makeFile("archive/remplace.txt", "ancien");
    m.tree.makeFile("archive/Vieux/v.txt", "vieux");
    m.tree.makeFolder("archive/A");
    m.tree.makeFile("dehors/v.txt", "dehors");
    const auto outside = readTree(m.tree.path("dehors"));
    m.compare(Action::Update);

    // Between the comparison and the execution: a folder becomes a link, a file a folder, a name appears.
    std::filesystem::remove_all(m.archive + "/Vieux");
    m.tree.makeLink("archive/Vieux", m.tree.path("dehors"));
    std::filesystem::remove_all(m.archive + "/A");
    m.tree.makeLink("archive/A", m.tree.path("dehors"));
    std::filesystem::remove(m.archive + "/remplace.txt");
    m.tree.makeFolder("archive/remplace.txt");
    m.tree.makeFile("archive/apparu.txt", "déjà là");
    m.execute();

    EXPECT_EQ(m.messages(),
              question("17 - Le fichier existe", m.work + "/apparu.txt", m.archive + "/apparu.txt") +
                  question("20 - N'est pas un dossier", m.work + "/A/neuf.txt", m.archive + "/A/neuf.txt") +
                  question("21 - est un dossier", m.work + "/remplace.txt", m.archive + "/remplace.txt") +
                  question("20 - N'est pas un dossier", m.work + "/remplace.txt", m.archive + "/Vieux/") +
                  reportFailures(4));
    EXPECT_EQ(readTree(m.tree.path("dehors")), outside);
    EXPECT_EQ(readFileBytes(m.archive + "/apparu.txt"), "déjà là");
}

TEST(LetterCase, FoldersDifferingInCaseAreMirroredNameByName)
{
    Mirror m;
    m.tree.makeFile("work/X/Y/f.txt", "f");
    m.tree.makeFolder("archive/X");
    m.tree.makeFile("archive/x/Y/f.txt", "f");
    m.tree.makeFile("work/Été/l\xE9/p", "p");
    m.tree.makeFile("archive/été/l\xE9/p", "p");

    EXPECT_EQ(mirrorOnce(m), kReportOk);
    EXPECT_EQ(namesIn(m.archive), (Names{"X", "été"}));
    EXPECT_EQ(readFileBytes(m.archive + "/X/Y/f.txt"), "f");
    EXPECT_EQ(readFileBytes(m.archive + "/été/l\xE9/p"), "p");
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

TEST(DeepTrees, PathsLongerThanTheSystemLimitAreMirrored)
{
    Mirror m;
    const std::string name(200, 'p');
    m.tree.makeDeepFile("work/A", name, 25, "au fond");
    m.tree.makeDeepFile("work", name, 22, "ici");
    m.tree.makeDeepFile("archive", name, 21, "ancien");

    EXPECT_EQ(mirrorOnce(m), kReportOk);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

TEST(FolderCopyFailure, TheQuestionNamesTheEntryAndTheFileInsideAndFoldersGetTheirBits)
{
    Mirror m;
    m.tree.makeFile("work/A/B/z.txt", "z");
    setMode(m.tree.makeFile("work/A/B/secret.txt", "s"), 0);
    setMode(m.tree.path("work/A/B"), 0750);
    m.tree.setMtime("work/A/B", kTestTime - 5);

    const std::string shown = asOrdinaryUser(m.tree, [&] { return mirrorOnce(m); });

    EXPECT_EQ(shown, question("13 - Permission non accordée (B/secret.txt)", m.work + "/A/", m.archive + "/A/") +
                         reportFailures(1));
    const auto source = readTree(m.work + "/A");  // B/, B/secret.txt, B/z.txt
    EXPECT_EQ(readTree(m.archive + "/A"), (Names{source[0], source[2]}));
}

TEST(LeftoverTemporaries, AreNeverListedAndAnExecutionRemovesThoseOfEveryFolderReadButNoUserFile)
{
    Mirror m;
    const std::string leftover = ".~velmorane.0123456789abcdef.tmp";
    const Names userFiles{".~velmorane.0123456789ABCDEF.tmp", ".~velmorane.0123456789abcdef.tmp.txt",
                          "a.~velmorane.0123456789abcdef.tmp"};
    m.tree.makeFile("work/Docs/" + leftover, "moitié");
    m.tree.makeFile("work/Docs/lettre.txt", "nouvelle", kTestTime + 1);
    m.tree.makeFile("archive/Docs/lettre.txt", "ancienne");
    m.tree.makeFile("archive/Docs/" + leftover, "moitié");
    for (const std::string& name : userFiles) m.tree.makeFile("work/Docs/" + name, "à moi");
    // A folder with no entry in the lists, where a killed copy left its file too.
    m.tree.makeFile("work/Calme/Fond/c.txt", "c");
    m.tree.makeFile("archive/Calme/Fond/c.txt", "c");
    m.tree.makeFile("archive/Calme/Fond/" + leftover, "moitié");

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "3 1 0");
    for (const std::string& entry : texts(m.lists.addList())) {
        EXPECT_EQ(entry.find("/Docs/" + leftover + " "), std::string::npos) << entry;
    }
    m.execute();

    EXPECT_EQ(m.messages(), kReportOk);
    Names expected = userFiles;
    expected.push_back("lettre.txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(m.archive + "/Docs"), expected);
    EXPECT_EQ(namesIn(m.work + "/Docs").size(), expected.size() + 1) << "the source is only read";
    EXPECT_EQ(namesIn(m.archive + "/Calme/Fond"), Names{"c.txt"});
}

TEST(LeftOutEntries, StayOutOfAFolderCopiedMovedOrDeletedWhole)
{
    Mirror m;
    m.filters = {"node_modules/", "*.tmp"};
    m.tree.makeFile("work/projet/a.txt", "a");
    m.tree.makeFile("work/projet/node_modules/m.js", "m");
    m.tree.makeFile("work/projet/sous/t.tmp", "t");
    m.tree.makeFile("archive/vieux/y.txt", "y");
    m.tree.makeFile("archive/vieux/x.tmp", "x");
    m.tree.makeFile("archive/vieux/node_modules/z.js", "z");
    // Renamed folders: a left-out file stays where it is, whether the folder is moved or copied.
    for (const char* side : {"work/rangé/", "archive/ancien/"}) {
        m.tree.makeFile(std::string(side) + "y.txt", "y");
        m.tree.makeFile(std::string(side) + "w.tmp", "w");
    }
    m.tree.makeFile("work/rangé 2/y.txt", "y");
    m.tree.makeFile("work/rangé 2/w.tmp", "w");
    m.tree.makeFile("archive/ancien 2/y.txt", "y");

    EXPECT_EQ(mirrorOnce(m), kReportOk);
    EXPECT_EQ(namesIn(m.archive), (Names{"ancien", "projet", "rangé", "rangé 2", "vieux"}));
    EXPECT_EQ(namesIn(m.archive + "/rangé"), Names{"y.txt"});
    EXPECT_EQ(namesIn(m.archive + "/ancien"), Names{"w.tmp"});
    EXPECT_EQ(namesIn(m.archive + "/rangé 2"), Names{"y.txt"});
    EXPECT_EQ(namesIn(m.archive + "/projet"), (Names{"a.txt", "sous"}));
    EXPECT_EQ(namesIn(m.archive + "/projet/sous"), Names{});
    EXPECT_EQ(namesIn(m.archive + "/vieux"), (Names{"node_modules", "x.tmp"}));
    EXPECT_EQ(readFileBytes(m.archive + "/vieux/node_modules/z.js"), "z");
}

}  // namespace
}  // namespace velmorane::testing
