#include "engine/run.h"
#include "platform/folder_lock.h"
#include "platform/date_text.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "tests/support/child_process.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::engine {
namespace {

using testing::fileEntry;
using testing::kTestTime;

// Every entry in list order with both its real paths, one per line, the given root left out.
std::string describe(const TaskLists& lists, const std::string& root = "")
{
    std::string out;
    for (const auto& [name, list] : {std::pair{"ajout", &lists.addList()}, std::pair{"modif", &lists.replaceList()},
                                     std::pair{"suppr", &lists.deleteList()}}) {
        for (std::size_t i = 0; i < list->count(); ++i) {
            const TaskEntry& e = list->entry(i);
            out += std::string(name) + ": " + list->text(i) + " [" + e.sourcePath + " > " + e.destPath + "]\n";
        }
    }
    for (std::size_t at; !root.empty() && (at = out.find(root)) != std::string::npos;) out.erase(at, root.size());
    return out;
}

// The folder a refused run names, and for an unreadable one the system's reason.
std::string refusalOf(const RunResult& result)
{
    return result.refusedFolder + (result.readError.reason.empty() ? "" : "|" + result.readError.reason);
}

class Run : public ::testing::Test {
protected:
    RunResult run(Direction direction = Direction::WorkToArchive, std::string work = {}, std::string archive = {})
    {
        RunSettings settings{work.empty() ? src : work, archive.empty() ? dst : archive, direction, Action::Update, {}, {}};
        return shown(compareFolders(planRun(settings), progress));
    }

    // A refused run's folder, kept in the order of the refusals.
    RunResult shown(RunResult result)
    {
        if (result.outcome != RunOutcome::Completed) refusals.push_back(refusalOf(result));
        return result;
    }

    void makeFiles(std::initializer_list<std::pair<const char*, std::int64_t>> files)
    {
        for (const auto& [path, size] : files) tree.makeFile(path, size);
    }

    testing::TempFolder tree;
    std::string root = tree.root() + "/";
    std::string src = tree.makeFolder("src");
    std::string dst = tree.makeFolder("dst");
    std::vector<std::string> refusals;
    testing::RecordingProgress progress;
};

TEST_F(Run, ListsOneSidedFoldersLevelByLevelThenFilesWithTheRealDestinationNamesAndTheSourceValues)
{
    for (const char* folder : {"src/.cache", "src/B", "dst/C", "src/Musique/Album", "dst/musique"}) {
        tree.makeFolder(folder);
    }
    makeFiles({{"src/A/A1/a.txt", 5}, {"src/A/b.txt", 5}, {"src/C/new.txt", 7}, {"src/z.txt", 3},
               {"dst/Vieux/Sous/v.txt", 4}, {"src/older.txt", 10}, {"dst/older.txt", 10}, {"src/newer.txt", 10},
               {"dst/newer.txt", 10}, {"src/size.txt", 11}, {"dst/size.txt", 12}, {"src/Lettre.TXT", 9},
               {"dst/lettre.txt", 9}, {"src/Été/Rapport.doc", 5}, {"dst/été/rapport.DOC", 6},
               {"src/Musique/chanson.mp3", 3}, {"src/A.txt", 1}, {"dst/a.txt", 1}, {"dst/A.txt", 1}});
    tree.setMtime("dst/older.txt", kTestTime + 60);  // a minute later, the same day: only the time of day differs
    tree.setMtime("src/newer.txt", kTestTime + 86400);

    const RunResult result = run();

    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    const std::string expected =
        "ajout: src/.cache/ **Dossier [src/.cache/ > dst/.cache/]\n"
        "ajout: src/A/ **Dossier [src/A/ > dst/A/]\n"
        "ajout: src/B/ **Dossier [src/B/ > dst/B/]\n"
        "ajout: src/A/A1/ **Dossier [src/A/A1/ > dst/A/A1/]\n"
        "ajout: src/Musique/Album/ **Dossier [src/Musique/Album/ > dst/musique/Album/]\n"
        "ajout: " + fileEntry("src/z.txt", 3) + " [src/z.txt > dst/z.txt]\n"
        "ajout: " + fileEntry("src/C/new.txt", 7) + " [src/C/new.txt > dst/C/new.txt]\n"
        "ajout: " + fileEntry("src/Musique/chanson.mp3", 3) + " [src/Musique/chanson.mp3 > dst/musique/chanson.mp3]\n"
        "modif: " + fileEntry("dst/newer.txt", 10, kTestTime + 86400) + " [src/newer.txt > dst/newer.txt]\n"
        "modif: " + fileEntry("dst/older.txt", 10) + " [src/older.txt > dst/older.txt]\n"
        "modif: " + fileEntry("dst/size.txt", 11) + " [src/size.txt > dst/size.txt]\n"
        "modif: " + fileEntry("dst/été/rapport.DOC", 5) + " [src/Été/Rapport.doc > dst/été/rapport.DOC]\n"
        "suppr: dst/Vieux/ **Dossier [ > dst/Vieux/]\n"
        "suppr: dst/Vieux/Sous/ **Dossier [ > dst/Vieux/Sous/]\n"
        "suppr: " + fileEntry("dst/a.txt", 1) + " [ > dst/a.txt]\n";  // the exact spelling A.txt wins
    EXPECT_EQ(describe(result.lists, root), expected);
    EXPECT_EQ(describe(run(Direction::WorkToArchive, src + "/", dst + "/").lists, root), expected) << "a trailing separator changes nothing";
}

TEST_F(Run, DirectionOneTakesTheArchiveAsSourceAndAnEmptySourceIsRefusedLikeAMissingOne)
{
    makeFiles({{"src/D/E/e.txt", 1}, {"src/f1", 10}});
    tree.makeFolder("vide");
    tree.makeFolder("vide2");

    const RunResult result = run(Direction::ArchiveToWork);
    const RunResult emptySource = run(Direction::WorkToArchive, tree.path("vide"), src);
    const RunResult bothEmpty = run(Direction::WorkToArchive, tree.path("vide"), tree.path("vide2"));

    EXPECT_EQ(result.outcome, RunOutcome::SourceMissing);
    EXPECT_EQ(emptySource.outcome, RunOutcome::SourceMissing);
    EXPECT_EQ(bothEmpty.outcome, RunOutcome::Completed);
    EXPECT_EQ(describe(result.lists) + describe(emptySource.lists) + describe(bothEmpty.lists), "");
    EXPECT_EQ(refusals, (std::vector<std::string>{dst, tree.path("vide")}));

    makeFiles({{"dst/g", 2}});
    EXPECT_EQ(describe(run(Direction::ArchiveToWork).lists, root), "ajout: " + fileEntry("dst/g", 2) + " [dst/g > src/g]\n"
                                            "suppr: src/D/ **Dossier [ > src/D/]\n"
                                            "suppr: src/D/E/ **Dossier [ > src/D/E/]\n"
                                            "suppr: " + fileEntry("src/f1", 10) + " [ > src/f1]\n");
}

TEST_F(Run, ASourceWithFoldersButNoFileIsRefusedAgainstADestinationWithFilesUnlessAccepted)
{
    tree.makeFolder("disque/lost+found");
    tree.makeFolder("disque/Vide/Sous");
    const std::string disk = tree.path("disque");
    makeFiles({{"dst/Vide/a.txt", 1}});
    tree.makeFolder("dossiers/Vieux");

    const RunResult refused = run(Direction::WorkToArchive, disk);
    const RunResult onlyFolders = run(Direction::WorkToArchive, disk, tree.path("dossiers"));

    EXPECT_EQ(refused.outcome, RunOutcome::SourceWithoutFiles);
    EXPECT_EQ(describe(refused.lists), "");
    EXPECT_EQ(refusals, std::vector<std::string>{disk});
    // Folders alone lose nothing: the run goes on.
    EXPECT_EQ(onlyFolders.outcome, RunOutcome::Completed);
    EXPECT_EQ(describe(onlyFolders.lists, root),
              "ajout: disque/Vide/ **Dossier [disque/Vide/ > dossiers/Vide/]\n"
              "ajout: disque/Vide/Sous/ **Dossier [disque/Vide/Sous/ > dossiers/Vide/Sous/]\n"
              "suppr: dossiers/Vieux/ **Dossier [ > dossiers/Vieux/]\n");

    RunPlan accepted = planRun({disk, dst, Direction::WorkToArchive, Action::Update, {}, {}});
    accepted.sourceWithoutFilesAccepted = true;
    const RunResult goneOn = compareFolders(accepted, progress);
    EXPECT_EQ(goneOn.outcome, RunOutcome::Completed);
    EXPECT_EQ(describe(goneOn.lists, root), "ajout: disque/Vide/Sous/ **Dossier [disque/Vide/Sous/ > dst/Vide/Sous/]\n"
                                            "suppr: " + fileEntry("dst/Vide/a.txt", 1) + " [ > dst/Vide/a.txt]\n");
}

TEST_F(Run, AMissingSourceOrDestinationIsReportedAndLeavesTheListsEmpty)
{
    makeFiles({{"src/a.txt", 1}});
    const std::string missing = tree.path("absent");

    const RunResult noSource = run(Direction::WorkToArchive, missing);
    const RunResult noDestination = run(Direction::WorkToArchive, src, missing);

    EXPECT_EQ(noSource.outcome, RunOutcome::SourceMissing);
    EXPECT_EQ(noDestination.outcome, RunOutcome::FolderUnreadable);
    EXPECT_EQ(describe(noSource.lists) + describe(noDestination.lists), "");
    EXPECT_EQ(refusals, (std::vector<std::string>{missing, missing + "/|Aucun fichier ou dossier de ce type"}));
}

TEST_F(Run, AnUnreadableSubFolderOnEitherSideStopsTheRun)
{
    for (const std::string side : {"src", "dst"}) {
        makeFiles({{(side + "/Secret/a.txt").c_str(), 1}});
        tree.chownAll(testing::kNobody, testing::kNobody);
        ::chmod(tree.path(side + "/Secret").c_str(), 0);
        const std::string report = testing::inChild([&] {
            if (!testing::becomeNobody()) return std::string("cannot drop privileges");
            const RunResult result = run();
            return std::to_string(static_cast<int>(result.outcome)) + " " + refusals.at(0) + " " +
                   describe(result.lists);
        });
        EXPECT_EQ(report, "2 " + tree.path(side + "/Secret/") + "|Permission non accordée ");
        ::chmod(tree.path(side + "/Secret").c_str(), 0755);
        std::filesystem::remove_all(tree.path(side + "/Secret"));
    }
}

TEST_F(Run, LinksAreFilesSizedByTheirTargetTextLoopsAreNeverWalkedAndHugeSizesAreExact)
{
    tree.makeFolder("src/Dossier");
    makeFiles({{"src/cible.txt", 100}, {"dst/cible.txt", 100}, {"dst/lien-fichier", 9}, {"src/gros.bin", 4294967297}});
    tree.makeLink("src/lien-fichier", "cible.txt");  // the same size and time as the file it replaces
    tree.makeLink("src/lien-dossier", "Dossier");
    tree.makeLink("src/Dossier/boucle", "..");
    tree.makeLink("dst/boucle-a", "boucle-b");
    tree.makeLink("dst/boucle-b", "boucle-a");

    EXPECT_EQ(describe(run().lists, root),
              "ajout: src/Dossier/ **Dossier [src/Dossier/ > dst/Dossier/]\n"
              "ajout: " + fileEntry("src/gros.bin", 4294967297) + " [src/gros.bin > dst/gros.bin]\n"
              "ajout: " + fileEntry("src/lien-dossier", 7) + " [src/lien-dossier > dst/lien-dossier]\n"
              "modif: " + fileEntry("dst/lien-fichier", 9) + " [src/lien-fichier > dst/lien-fichier]\n"
              "suppr: " + fileEntry("dst/boucle-a", 8) + " [ > dst/boucle-a]\n"
              "suppr: " + fileEntry("dst/boucle-b", 8) + " [ > dst/boucle-b]\n");
}

// The root "/" is the only start folder whose path already ends with the separator; a child process
// makes the test tree its root so that the run can start from "/" without walking the whole system.
TEST_F(Run, TheRootAsSourceOrDestinationGivesNoDoubleSeparator)
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
        return describe(run(Direction::WorkToArchive, "/", "/copie/").lists) + "--\n" + describe(run(Direction::ArchiveToWork, "/", "/copie/").lists);
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

TEST_F(Run, FoldersAreMatchedNameByNameEachNameFoldedOnItsOwn)
{
    tree.makeFolder("dst/X");
    makeFiles({{"src/X/Y/f.txt", 1}, {"dst/x/Y/f.txt", 1}});
    // "l\xE9" is Latin-1, not UTF-8: it must not stop the folding of "Été" above it.
    makeFiles({{"src/Été/l\xE9/p", 2}, {"dst/été/l\xE9/p", 2}, {"src/Été/l\xE9/q", 3}});
    // "ë" as one character on one side and as "e" and a combining diaeresis on the other.
    makeFiles({{"src/No\xC3\xABl/n", 1}, {"dst/Noe\xCC\x88l/n", 1}, {"src/No\xC3\xABl/m", 4}});

    EXPECT_EQ(describe(run().lists, root),
              "ajout: src/X/Y/ **Dossier [src/X/Y/ > dst/X/Y/]\n"
              "ajout: " + fileEntry("src/No\xC3\xABl/m", 4) + " [src/No\xC3\xABl/m > dst/Noe\xCC\x88l/m]\n"
              "ajout: " + fileEntry("src/Été/l\xE9/q", 3) + " [src/Été/l\xE9/q > dst/été/l\xE9/q]\n"
              "suppr: dst/x/ **Dossier [ > dst/x/]\n"
              "suppr: dst/x/Y/ **Dossier [ > dst/x/Y/]\n");
}

TEST_F(Run, AFolderInUseByAnotherRunIsReportedAndTheLocksGoWithTheRun)
{
    makeFiles({{"src/a.txt", 1}});
    auto otherReader = platform::FolderLock::take(src, platform::LockKind::Shared);
    ASSERT_TRUE(otherReader.ok());
    {
        auto otherWriter = platform::FolderLock::take(dst, platform::LockKind::Exclusive);
        ASSERT_TRUE(otherWriter.ok());
        const RunResult refused = run();
        EXPECT_EQ(refused.outcome, RunOutcome::FolderInUse);
        EXPECT_EQ(describe(refused.lists), "");
        EXPECT_EQ(refusals, std::vector<std::string>{dst});
    }
    // Another run reading the same source does not stop this one.
    RunSettings settings{src, dst, Direction::WorkToArchive, Action::Update, {}, {}};
    RunResult result = shown(compareFolders(planRun(settings), progress, LockHolding::KeepInResult));
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_FALSE(platform::FolderLock::take(dst, platform::LockKind::Shared).ok()) << "kept in the result";
    result.locks.reset();
    EXPECT_TRUE(platform::FolderLock::take(dst, platform::LockKind::Exclusive).ok());
    otherReader = {};
    EXPECT_EQ(run(Direction::WorkToArchive, src, src).outcome, RunOutcome::Completed) << "one folder on both sides is locked once";
}

TEST_F(Run, TimesCountToTheNanosecondOrAsFinelyAsBothVolumesKeepThem)
{
    const std::vector<std::pair<const char*, timespec>> sourceTimes = {
        {"nano.txt", {kTestTime, 500'000'000}},   {"impair.txt", {kTestTime + 1, 0}},
        {"loin.txt", {kTestTime + 2, 0}},         {"heure.txt", {kTestTime + 3600, 0}},
        {"heure-fat.txt", {kTestTime - 3601, 0}}, {"heure-taille.txt", {kTestTime + 3600, 0}}};
    for (const auto& [name, time] : sourceTimes) {
        tree.makeFile(std::string("src/") + name, 1);
        tree.makeFile(std::string("dst/") + name, std::string_view(name) == "heure-taille.txt" ? 2 : 1);
        const timespec times[2] = {time, time};
        ASSERT_EQ(::utimensat(AT_FDCWD, tree.path(std::string("src/") + name).c_str(), times, 0), 0);
    }
    const StructurePair trees = readStartFolderTrees(src, dst, Exclusions(), progress);
    const auto kept = [](platform::VolumeTraits traits) {
        platform::VolumeCapabilities capabilities;
        capabilities.times = traits.times;
        capabilities.localTimes = traits.localTimes;
        capabilities.keepsPermissions = traits.keepsPermissions;
        return capabilities;
    };
    const auto differing = [&](platform::VolumeTraits one, platform::VolumeTraits other) {
        const TaskLists lists = compareStructures(trees.source.structure, trees.dest.structure, progress,
                                                  rulesFor(kept(one), kept(other)));
        std::string names;
        for (std::size_t i = 0; i < lists.replaceList().count(); ++i) {
            names += platform::lastComponent(lists.replaceList().entry(i).destPath) + " ";
        }
        return names;
    };
    const platform::VolumeTraits ext4 = platform::traitsOfType("ext4");
    EXPECT_EQ(differing(ext4, ext4), "heure-fat.txt heure-taille.txt heure.txt impair.txt loin.txt nano.txt ");
    EXPECT_EQ(differing(ext4, platform::traitsOfType("ntfs3")),
              "heure-fat.txt heure-taille.txt heure.txt impair.txt loin.txt ");
    EXPECT_EQ(differing(platform::traitsOfType("exfat"), ext4), "heure-fat.txt heure-taille.txt impair.txt loin.txt ");
    EXPECT_EQ(differing(ext4, platform::traitsOfType("vfat")), "heure-taille.txt loin.txt ");
    // The date text stays in whole seconds.
    const TaskLists lists = compareStructures(trees.source.structure, trees.dest.structure, progress);
    EXPECT_EQ(lists.replaceList().text(5), dst + "/nano.txt *-* 1 *-* " + platform::dateText(kTestTime));
}

TEST_F(Run, CaptionsStepsAndCountersFollowEachPhase)
{
    for (const char* folder : {"src/A/A1", "src/B", "dst/A", "dst/Z"}) tree.makeFolder(folder);

    run();

    // A caption set again to the same text is not visible, so repeats are left out.
    std::vector<std::string> events;
    for (const auto& event : progress.events) {
        if (events.empty() || event != events.back()) events.push_back(event);
    }
    // While both trees are read, steps and counts come as often as the screen is refreshed; the
    // captions and the last step and count do not depend on timing.
    const auto comparing = std::find(events.begin(), events.end(), "Panneau: Comparaison des Structures");
    std::vector<std::string> reading(events.begin(), comparing);
    const std::vector<std::string> readingEnd(reading.end() - 2, reading.end());
    std::erase_if(reading, [](const std::string& event) { return !event.starts_with("Panneau: "); });
    EXPECT_EQ(reading, (std::vector<std::string>{"Panneau: Lecture de la Structure du Dossier Source",
                                                 "Panneau: Lecture de la Structure du Dossier Destination"}));
    EXPECT_EQ(readingEnd, (std::vector<std::string>{"Etape: " + dst + "/Z", "Compteur: 3"}));
    EXPECT_EQ(std::vector<std::string>(comparing, events.end()),
              (std::vector<std::string>{
                  "Panneau: Comparaison des Structures", "Compteur: 0", "Etape: " + src + "/", "Compteur: 1",
                  "Etape: " + src + "/A/", "Compteur: 2", "Etape: " + src + "/B/", "Compteur: 3",
                  "Etape: " + src + "/A/A1/", "Compteur: 4", "Panneau: Parcours des Dossiers Communs",
                  "Etape: " + src + "/", "Compteur: 1", "Compteur: 2", "Compteur: 3", "Compteur: 4",
                  "Etape: " + src + "/A/", "Compteur: 1", "Compteur: 2", "Compteur: 3", "Compteur: 4"}));
}

// The digests of added and deleted folders point at the same names and sizes whatever their place,
// name and times (a key keeps other times), and at nothing else.
TEST_F(Run, FolderFingerprintsAreEqualForTheSameContentOnly)
{
    const auto makeFolder = [&](const std::string& folder, std::int64_t size, std::int64_t time, const char* name) {
        tree.makeFile(folder + "/photo.jpg", size, time);
        tree.makeFile(folder + "/Sous/" + name, 10);
        tree.makeFolder(folder + "/Vide");
    };
    makeFolder("src/Nouveau", 100, kTestTime, "note.txt");
    makeFolder("dst/Ancien", 100, kTestTime, "note.txt");
    makeFolder("dst/Taille", 101, kTestTime, "note.txt");
    makeFolder("dst/Heure", 100, kTestTime + 2, "note.txt");  // only the time differs
    makeFolder("dst/Nom", 100, kTestTime, "notes.txt");
    makeFolder("dst/EnPlus", 100, kTestTime, "note.txt");
    tree.makeFolder("dst/EnPlus/Vide/Encore");

    const RunResult result = run();

    const FolderFingerprints& digests = result.fingerprints;
    ASSERT_EQ(digests.added.size(), 3u);  // Nouveau, Nouveau/Sous, Nouveau/Vide
    const Fingerprint added = digests.added.at(src + "/Nouveau/");
    EXPECT_EQ(digests.deleted.at(dst + "/Ancien/"), added);
    EXPECT_EQ(digests.deleted.at(dst + "/Ancien/Sous/"), digests.added.at(src + "/Nouveau/Sous/"));
    EXPECT_EQ(digests.deleted.at(dst + "/Heure/"), added);
    for (const char* other : {"Taille", "Nom", "EnPlus"}) {
        EXPECT_NE(digests.deleted.at(dst + "/" + other + "/"), added) << other;
    }
}

}  // namespace
}  // namespace velmorane::engine
