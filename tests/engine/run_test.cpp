#include "engine/run.h"
#include "platform/date_text.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/child_process.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace velmorane::engine {
namespace {

using testing::kTestTime;
using Texts = std::vector<std::string>;

std::string folderEntry(const std::string& path) { return path + " **Dossier"; }

std::string fileEntry(const std::string& path, std::int64_t size, std::int64_t mtime = kTestTime)
{
    return path + " *-* " + std::to_string(size) + " *-* " + platform::dateText(mtime);
}

Texts texts(const std::vector<TaskEntry>& entries)
{
    Texts out;
    for (const auto& entry : entries) out.push_back(entry.text);
    return out;
}

// Every entry with both its real paths, one per line, to compare whole lists at once.
std::string describe(const TaskLists& lists)
{
    std::string out;
    for (const auto& [name, list] : {std::pair{"ajout", &lists.fichAjout}, std::pair{"modif", &lists.fichModif},
                                     std::pair{"suppr", &lists.fichSuppr}}) {
        for (const auto& e : *list) {
            out += std::string(name) + ": " + e.text + " [" + e.sourcePath + " > " + e.destPath + "]\n";
        }
    }
    return out;
}

class RunTest : public ::testing::Test {
protected:
    RunResult run(std::int16_t sensTransfert = 0, std::string work = {}, std::string archive = {})
    {
        RunSettings settings{work.empty() ? src : work, archive.empty() ? dst : archive, sensTransfert, 1, {}, {}};
        return compareFolders(planRun(settings), dialogs, progress, pump);
    }

    testing::TempFolder tree;
    std::string src = tree.makeFolder("src");
    std::string dst = tree.makeFolder("dst");
    platform::ScriptedDialogs dialogs;
    testing::RecordingProgress progress;
    platform::NullEventPump pump;
};

using RunFolderEntries = RunTest;

TEST_F(RunFolderEntries, OneSidedFoldersComeWithEverySubFolderBeforeAnyFileAndTheirFilesGetNoEntry)
{
    tree.makeFolder("src/.cache");
    tree.makeFile("src/A/A1/a.txt", 5);
    tree.makeFile("src/A/b.txt", 5);
    tree.makeFolder("src/B");
    tree.makeFile("src/C/new.txt", 7);
    tree.makeFolder("dst/C");
    tree.makeFile("src/z.txt", 3);
    tree.makeFile("dst/Vieux/Sous/v.txt", 4);

    const RunResult result = run();

    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(texts(result.lists.fichAjout),
              (Texts{folderEntry(src + "/.cache/"), folderEntry(src + "/A/"), folderEntry(src + "/B/"),
                     folderEntry(src + "/A/A1/"), fileEntry(src + "/z.txt", 3), fileEntry(src + "/C/new.txt", 7)}));
    EXPECT_TRUE(result.lists.fichModif.empty());
    EXPECT_EQ(texts(result.lists.fichSuppr), (Texts{folderEntry(dst + "/Vieux/"), folderEntry(dst + "/Vieux/Sous/")}));
    EXPECT_EQ(result.lists.fichAjout[3].destPath, dst + "/A/A1/");
}

TEST_F(RunFolderEntries, AnEmptySourceDeletesEveryDestinationFolderAndStartFolderFile)
{
    tree.makeFile("dst/D/E/e.txt", 1);
    tree.makeFile("dst/f1", 10);
    tree.makeFile("dst/f2", 20);

    const RunResult result = run();

    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_TRUE(result.lists.fichAjout.empty());
    EXPECT_EQ(texts(result.lists.fichSuppr), (Texts{folderEntry(dst + "/D/"), folderEntry(dst + "/D/E/"),
                                                     fileEntry(dst + "/f1", 10), fileEntry(dst + "/f2", 20)}));
}

using RunChangedFiles = RunTest;

TEST_F(RunChangedFiles, AnotherDateOrSizeReplacesTheDestinationWithTheSourceValuesWhicheverIsNewer)
{
    tree.makeFile("src/older.txt", 10, kTestTime);
    tree.makeFile("dst/older.txt", 10, kTestTime + 60);
    tree.makeFile("src/newer.txt", 10, kTestTime + 86400);
    tree.makeFile("dst/newer.txt", 10, kTestTime);
    tree.makeFile("src/size.txt", 11);
    tree.makeFile("dst/size.txt", 12);

    const RunResult result = run();

    EXPECT_EQ(texts(result.lists.fichModif),
              (Texts{fileEntry(dst + "/newer.txt", 10, kTestTime + 86400), fileEntry(dst + "/older.txt", 10),
                     fileEntry(dst + "/size.txt", 11)}));
    EXPECT_EQ(result.lists.fichModif[0].sourcePath, src + "/newer.txt");
    EXPECT_TRUE(result.lists.fichAjout.empty());
    EXPECT_TRUE(result.lists.fichSuppr.empty());
}

TEST_F(RunChangedFiles, DirectionOneTakesTheArchiveAsSource)
{
    tree.makeFile("work/only-in-work.txt", 1);
    tree.makeFile("archive/only-in-archive.txt", 2);

    const RunResult result = run(1, tree.path("work"), tree.path("archive"));

    EXPECT_EQ(texts(result.lists.fichAjout), Texts{fileEntry(tree.path("archive/only-in-archive.txt"), 2)});
    EXPECT_EQ(texts(result.lists.fichSuppr), Texts{fileEntry(tree.path("work/only-in-work.txt"), 1)});
}

using RunLetterCase = RunTest;

TEST_F(RunLetterCase, NamesDifferingOnlyInCaseMatchAndEntriesUseTheRealDestinationNames)
{
    tree.makeFile("src/Lettre.TXT", 9);
    tree.makeFile("dst/lettre.txt", 9);
    tree.makeFile("src/Été/Rapport.doc", 5);
    tree.makeFile("dst/été/rapport.DOC", 6);
    tree.makeFile("src/Musique/chanson.mp3", 3);
    tree.makeFolder("src/Musique/Album");
    tree.makeFolder("dst/musique");

    const RunResult result = run();

    EXPECT_EQ(describe(result.lists),
              "ajout: " + folderEntry(src + "/Musique/Album/") + " [" + src + "/Musique/Album/ > " + dst +
                  "/musique/Album/]\n"
                  "ajout: " + fileEntry(src + "/Musique/chanson.mp3", 3) + " [" + src + "/Musique/chanson.mp3 > " +
                  dst + "/musique/chanson.mp3]\n"
                  "modif: " + fileEntry(dst + "/été/rapport.DOC", 5) + " [" + src + "/Été/Rapport.doc > " + dst +
                  "/été/rapport.DOC]\n");
}

TEST_F(RunLetterCase, AnExactSpellingIsPreferredWhenTheDestinationHoldsBothCases)
{
    tree.makeFile("src/A.txt", 1);
    tree.makeFile("dst/a.txt", 1);
    tree.makeFile("dst/A.txt", 1);

    const RunResult result = run();

    EXPECT_TRUE(result.lists.fichAjout.empty());
    EXPECT_EQ(texts(result.lists.fichSuppr), Texts{fileEntry(dst + "/a.txt", 1)});
}

using RunFailures = RunTest;

TEST_F(RunFailures, AMissingSourceIsReportedAndLeavesTheListsEmpty)
{
    const std::string missing = tree.path("absent");

    const RunResult result = run(0, missing);

    EXPECT_EQ(result.outcome, RunOutcome::SourceMissing);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, missing + " est vide ou n'existe pas");
    EXPECT_EQ(dialogs.shown()[0].title, "Velmorane");
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::None);
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(describe(result.lists), "");
}

TEST_F(RunFailures, AMissingDestinationIsReportedWithTheFolderAndTheReason)
{
    tree.makeFile("src/a.txt", 1);

    const RunResult result = run(0, src, tree.path("absent"));

    EXPECT_EQ(result.outcome, RunOutcome::FolderUnreadable);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "Impossible de lire le dossier " + tree.path("absent/") + "\r\n" + std::strerror(ENOENT));
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(describe(result.lists), "");
}

TEST_F(RunFailures, AnUnreadableSubFolderOnEitherSideStopsTheRun)
{
    for (const char* side : {"src", "dst"}) {
        tree.makeFile(std::string(side) + "/Secret/a.txt", 1);
        tree.chownAll(testing::kNobody, testing::kNobody);
        ::chmod(tree.path(std::string(side) + "/Secret").c_str(), 0);
        const std::string report = testing::inChild([&] {
            if (!testing::becomeNobody()) return std::string("cannot drop privileges");
            const RunResult result = run();
            return std::to_string(static_cast<int>(result.outcome)) + " " + dialogs.shown().at(0).text + " " +
                   std::to_string(result.lists.fichAjout.size() + result.lists.fichSuppr.size());
        });
        EXPECT_EQ(report, "2 Impossible de lire le dossier " + tree.path(std::string(side) + "/Secret/") + "\r\n" +
                              std::strerror(EACCES) + " 0");
        ::chmod(tree.path(std::string(side) + "/Secret").c_str(), 0755);
        std::filesystem::remove_all(tree.path(std::string(side) + "/Secret"));
    }
}

using RunSpecialFiles = RunTest;

TEST_F(RunSpecialFiles, LinksAreFilesSizedByTheirTargetTextAndLoopsAreNeverWalked)
{
    tree.makeFile("src/cible.txt", 100);
    tree.makeFolder("src/Dossier");
    tree.makeLink("src/lien-fichier", "cible.txt");
    tree.makeLink("src/lien-dossier", "Dossier");
    tree.makeLink("src/Dossier/boucle", "..");
    tree.makeLink("dst/boucle-a", "boucle-b");
    tree.makeLink("dst/boucle-b", "boucle-a");
    tree.makeFile("dst/cible.txt", 100);

    const RunResult result = run();

    EXPECT_EQ(texts(result.lists.fichAjout),
              (Texts{folderEntry(src + "/Dossier/"), fileEntry(src + "/lien-dossier", 7),
                     fileEntry(src + "/lien-fichier", 9)}));
    EXPECT_EQ(texts(result.lists.fichSuppr),
              (Texts{fileEntry(dst + "/boucle-a", 8), fileEntry(dst + "/boucle-b", 8)}));
}

TEST_F(RunSpecialFiles, SizesBeyondFourGibibytesAreExact)
{
    tree.makeFile("src/gros.bin", std::int64_t{4294967297});

    EXPECT_EQ(texts(run().lists.fichAjout), Texts{fileEntry(src + "/gros.bin", 4294967297)});
}

using RunRootPaths = RunTest;

TEST_F(RunRootPaths, AChosenPathEndingWithTheSeparatorGivesNoDoubleSeparator)
{
    tree.makeFile("src/Neuf/n.txt", 1);
    tree.makeFile("src/A/a.txt", 2);
    tree.makeFile("dst/A/a.txt", 3);
    tree.makeFile("dst/A/old.txt", 3);

    const std::string lists = describe(run(0, src + "/", dst + "/").lists);

    EXPECT_EQ(lists.find("//"), std::string::npos) << lists;
    EXPECT_NE(lists.find("modif: " + fileEntry(dst + "/A/a.txt", 2)), std::string::npos) << lists;
}

// The root "/" is the only start folder whose path already ends with the separator; a child process
// makes the test tree its root so that the run can start from "/" without walking the whole system.
TEST_F(RunRootPaths, TheRootAsSourceOrDestinationGivesNoDoubleSeparator)
{
    tree.makeFile("fichier.txt", 3);
    tree.makeFolder("Neuf");
    tree.makeFile("copie/fichier.txt", 4);
    tree.makeFolder("copie/vieux");
    std::filesystem::remove_all(src);
    std::filesystem::remove_all(dst);
    platform::dateText(kTestTime);  // loads the time zone before the root changes

    const std::string lists = testing::inChild([&] {
        if (::chroot(tree.root().c_str()) != 0 || ::chdir("/") != 0) return std::string("no chroot");
        return describe(run(0, "/", "/copie/").lists) + "--\n" + describe(run(1, "/", "/copie/").lists);
    });
    if (lists == "no chroot") GTEST_SKIP() << "chroot needs root";

    EXPECT_EQ(lists, "ajout: /copie/ **Dossier [/copie/ > /copie/copie/]\n"
                     "ajout: /Neuf/ **Dossier [/Neuf/ > /copie/Neuf/]\n"
                     "ajout: /copie/vieux/ **Dossier [/copie/vieux/ > /copie/copie/vieux/]\n"
                     "modif: " + fileEntry("/copie/fichier.txt", 3) + " [/fichier.txt > /copie/fichier.txt]\n"
                     "suppr: /copie/vieux/ **Dossier [ > /copie/vieux/]\n"
                     "--\n"
                     "ajout: /copie/vieux/ **Dossier [/copie/vieux/ > /vieux/]\n"
                     "modif: " + fileEntry("/fichier.txt", 4) + " [/copie/fichier.txt > /fichier.txt]\n"
                     "suppr: /copie/ **Dossier [ > /copie/]\n"
                     "suppr: /Neuf/ **Dossier [ > /Neuf/]\n"
                     "suppr: /copie/vieux/ **Dossier [ > /copie/vieux/]\n");
}

using RunProgress = RunTest;

TEST_F(RunProgress, CaptionsStepsAndCountersFollowEachPhase)
{
    tree.makeFolder("src/A/A1");
    tree.makeFolder("src/B");
    tree.makeFolder("dst/A");
    tree.makeFolder("dst/Z");

    run();

    // A caption set again to the same text is not visible, so repeats are left out.
    Texts events;
    for (const auto& event : progress.events) {
        if (events.empty() || event != events.back()) events.push_back(event);
    }
    EXPECT_EQ(events, (Texts{"Panneau: Lecture de la Structure du Dossier Source",
                             "Compteur: 1", "Etape: " + src + "/A", "Compteur: 1", "Etape: " + src + "/A/A1",
                             "Compteur: 2", "Etape: " + src + "/B",
                             "Panneau: Lecture de la Structure du Dossier Destination",
                             "Compteur: 1", "Etape: " + dst + "/A", "Compteur: 2", "Etape: " + dst + "/Z",
                             "Panneau: Comparaison des Structures",
                             "Compteur: 0", "Etape: " + src + "/", "Compteur: 1", "Etape: " + src + "/A/",
                             "Compteur: 2", "Etape: " + src + "/B/", "Compteur: 3", "Etape: " + src + "/A/A1/",
                             "Compteur: 4",
                             "Panneau: Parcours des Dossiers Communs",
                             "Etape: " + src + "/", "Compteur: 1", "Compteur: 2", "Compteur: 3", "Compteur: 4",
                             "Etape: " + src + "/A/", "Compteur: 1", "Compteur: 2", "Compteur: 3", "Compteur: 4"}));
}

}  // namespace
}  // namespace velmorane::engine
