#include "tests/execution/execution_harness.h"
#include "tests/support/mounted_volume.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>

namespace velmorane::testing {
namespace {

// The archive is the whole of a freshly made key, mounted through the driver a desktop would use.
class RealMedia : public ::testing::TestWithParam<VolumeKind> {
protected:
    void SetUp() override
    {
        if (const std::string why = whyNotMountable(GetParam()); !why.empty()) GTEST_SKIP() << why;
        key.emplace(GetParam(), m.tree.root());
        m.archive = key->mountPoint();
    }

    // A path on the key, relative to the test's folder, for the tree makers.
    std::string onKey(std::string_view relative) const
    {
        return std::string(volumeKindName(GetParam())) + "/" + std::string(relative);
    }

    Mirror m;
    std::optional<MountedVolume> key;  // after m: unmounted before the test's folder is removed
};

std::string trashName()
{
    return ".Trash-" + std::to_string(::getuid());
}

// The tree lines without the permission bits, which these volumes do not keep, nor the trash at
// the top of the key, which the runs leave out.
Names withoutModes(const Names& lines)
{
    Names out;
    for (const auto& line : lines) {
        if (line.starts_with(trashName() + "/")) continue;
        const std::size_t modeEnd = line.rfind('|');
        const std::size_t modeStart = line.rfind('|', modeEnd - 1);
        out.push_back(line.substr(0, modeStart) + line.substr(modeEnd));
    }
    return out;
}

TEST_P(RealMedia, TwoRunsOfAFullMirrorTheSecondFindsNothingToDo)
{
    m.tree.makeFile("work/lettre.txt", "Bonjour, version 2", kTestTime + 60);
    m.tree.makeFile("work/Photos/2026/vacances.jpg", std::string(300000, 'p'), kTestTime - 3600);
    m.tree.makeFile("work/Photos/vide.bin", "");
    m.tree.makeFile("work/.cache", "caché");
    setMode(m.tree.makeFile("work/lecture-seule.txt", "ro"), 0444);
    m.tree.makeFolder("work/Vide");
    m.tree.setMtime("work/Photos/2026", kTestTime - 20);
    m.tree.setMtime("work/Photos", kTestTime - 10);
    m.tree.setMtime("work/Vide", kTestTime - 30);
    m.tree.makeFile(onKey("lettre.txt"), "Bonjour", kTestTime);
    m.tree.makeFile(onKey("ancien.txt"), "à supprimer");
    m.tree.makeFile(onKey("Vieux/dedans.txt"), "à supprimer aussi");

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "5 1 2");
    m.execute();
    EXPECT_EQ(counts(m.lists), "0 0 0");
    m.compare(Action::Update);

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(withoutModes(readTree(m.archive)), withoutModes(readTree(m.work)));
    EXPECT_EQ(namesIn(m.archive), (Names{".Trash-0", ".cache", "Photos", "Vide", "lecture-seule.txt", "lettre.txt"}));
    // What was deleted or replaced waits in the key's trash; a folder, which fusefat would empty
    // on a rename, is deleted there as before.
    const Names trashed = GetParam() == VolumeKind::Fat32 ? Names{"ancien.txt", "lettre.txt"}
                                                          : Names{"Vieux", "ancien.txt", "lettre.txt"};
    EXPECT_EQ(namesIn(m.archive + "/" + trashName() + "/files"), trashed);
    EXPECT_EQ(readFileBytes(m.archive + "/" + trashName() + "/files/lettre.txt"), "Bonjour");
}

TEST_P(RealMedia, OddSecondTimesNeedNoSecondCopy)
{
    m.tree.makeFile("work/impair.txt", "1", kTestTime + 1);
    m.tree.makeFile("work/pair.txt", "2", kTestTime + 2);
    m.tree.makeFile("work/Sous/impair.txt", "3", kTestTime + 3);
    // As FAT keeps an odd-second time: one second apart is no change there.
    m.tree.makeFile("work/deja.txt", "copié", kTestTime + 1);
    m.tree.makeFile(onKey("deja.txt"), "copié", GetParam() == VolumeKind::Fat32 ? kTestTime : kTestTime + 1);
    // Two seconds apart is a real change, on any volume.
    m.tree.makeFile("work/change.txt", "neuf", kTestTime + 2);
    m.tree.makeFile(onKey("change.txt"), "neuf", kTestTime);

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "3 1 0");
    EXPECT_EQ(texts(m.lists.replaceList()), Names{fileEntry(m.archive + "/change.txt", 4, kTestTime + 2)});
    m.execute();
    m.compare(Action::Update);

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
}

// What each driver answers when asked for a name with a character FAT and exFAT forbid.
std::string refusedNameReason(VolumeKind kind)
{
    return kind == VolumeKind::Fat32 ? "1 - Opération non permise" : "2 - Aucun fichier ou dossier de ce type";
}

TEST_P(RealMedia, CaseTwinsAndRefusedNamesFailTheirEntriesAndNothingSwaps)
{
    m.tree.makeFile("work/README.txt", "grand");
    m.tree.makeFile("work/readme.txt", "petit");
    m.tree.makeFile("work/Docs/premier.txt", "premier");
    m.tree.makeFile("work/docs/second.txt", "second");
    m.tree.makeFile("work/ok.txt", "ok");
    const Names refused{"a:b.txt", "a?b.txt", "a*b.txt", "a\"b.txt", "a<b.txt", "a>b.txt", "a|b.txt", "a\\b.txt"};
    for (const auto& name : refused) m.tree.makeFile("work/" + name, name);

    // Each run fails the same entries, in the order of the add list, and counts them.
    const auto run = [&] {
        m.dialogs.clear();
        m.compare(Action::Update);
        std::string expected;
        for (const auto& entry : texts(m.lists.addList())) {
            const std::string path = entry.substr(0, entry.find(" *-* "));
            const std::string name = path.substr(path.rfind('/') + 1);
            if (entry == m.work + "/docs/ **Dossier") {
                expected += question("17 - Le fichier existe", m.work + "/docs/", m.archive + "/docs/");
            } else if (name == "readme.txt") {
                expected += question("17 - Le fichier existe", m.work + "/readme.txt", m.archive + "/readme.txt");
            } else if (std::find(refused.begin(), refused.end(), name) != refused.end()) {
                expected += question(refusedNameReason(GetParam()), m.work + "/" + name, m.archive + "/" + name);
            }
        }
        const std::string listed = counts(m.lists);
        m.execute();
        EXPECT_EQ(m.messages(), expected + reportFailures(10));
        return listed;
    };

    EXPECT_EQ(run(), "13 0 0");
    EXPECT_EQ(namesIn(m.archive), (Names{"Docs", "README.txt", "ok.txt"}));
    EXPECT_EQ(run(), "10 0 0");

    EXPECT_EQ(namesIn(m.archive), (Names{"Docs", "README.txt", "ok.txt"}));
    EXPECT_EQ(readFileBytes(m.archive + "/README.txt"), "grand");
    EXPECT_EQ(namesIn(m.archive + "/Docs"), Names{"premier.txt"});
    EXPECT_EQ(readFileBytes(m.archive + "/ok.txt"), "ok");
}

TEST_P(RealMedia, ALinkFailsItsEntryAndIsCounted)
{
    m.tree.makeFile("work/cible.txt", "cible");
    m.tree.makeLink("work/lien", "cible.txt");

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "2 0 0");
    m.execute();

    const std::string refused = question("38 - Fonction non implantée", m.work + "/lien", m.archive + "/lien");
    EXPECT_EQ(m.messages(), refused + reportFailures(1));
    EXPECT_EQ(namesIn(m.archive), Names{"cible.txt"});
}

TEST_P(RealMedia, AKilledCopysTemporaryFileIsNeverListedAndTheNextRunRemovesIt)
{
    const std::string stray = ".~velmorane.0123456789abcdef.tmp";
    // A user's files of names close to a temporary file's: on both sides, so that a mirror keeps them.
    const Names lookAlikes{".~velmorane.0123456789abcde.tmp", "~velmorane.0123456789abcdef.tmp",
                           ".~velmorane.0123456789abcdef.tmp.txt", ".~velmorane.0123456789abcdeg.tmp"};
    for (const auto& name : lookAlikes) {
        m.tree.makeFile("work/" + name, "à garder");
        m.tree.makeFile(onKey(name), "à garder");
    }
    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("work/Docs/grand.bin", std::string(100000, 'n'), kTestTime + 2);
    m.tree.makeFile(onKey("Docs/grand.bin"), std::string(100000, 'v'));
    m.tree.makeFile(onKey(stray), std::string(40000, 'n'));
    m.tree.makeFile(onKey("Docs/.~velmorane.fedcba9876543210.tmp"), std::string(50000, 'n'));
    m.tree.makeFile("work/.~velmorane.aaaaaaaaaaaaaaaa.tmp", "laissé par une autre copie");

    m.compare(Action::Update, Direction::ArchiveToWork);  // from the key: its temporary files are no new files
    EXPECT_EQ(texts(m.lists.addList()), Names{});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{fileEntry(m.work + "/Docs/grand.bin", 100000, kTestTime)});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{fileEntry(m.work + "/nouveau.txt", 7, kTestTime)});

    m.compare(Action::Update);
    EXPECT_EQ(texts(m.lists.addList()), Names{fileEntry(m.work + "/nouveau.txt", 7, kTestTime)});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{fileEntry(m.archive + "/Docs/grand.bin", 100000, kTestTime + 2)});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{});
    m.execute();

    EXPECT_EQ(m.messages(), kReportOk);
    Names expected = lookAlikes;
    expected.insert(expected.end(), {trashName(), "Docs", "nouveau.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(m.archive), expected);
    EXPECT_EQ(namesIn(m.archive + "/Docs"), Names{"grand.bin"});
    EXPECT_EQ(readFileBytes(m.archive + "/Docs/grand.bin"), std::string(100000, 'n'));
    for (const auto& name : lookAlikes) EXPECT_EQ(readFileBytes(m.archive + "/" + name), "à garder") << name;
    // The source is only read.
    EXPECT_EQ(readFileBytes(m.work + "/.~velmorane.aaaaaaaaaaaaaaaa.tmp"), "laissé par une autre copie");
}

TEST_P(RealMedia, AnEmptySourceIsRefusedAndNothingIsDeleted)
{
    m.compare(Action::Update);  // an empty source onto an empty key: nothing to do, and nothing to say
    EXPECT_EQ(m.messages(), "");
    EXPECT_EQ(counts(m.lists), "0 0 0");

    m.tree.makeFile(onKey("archive.txt"), "précieux");
    m.tree.makeFile(onKey("Dossier/dedans.txt"), "précieux aussi");
    const Names keyBefore = readTree(m.archive);

    m.compare(Action::Update);  // the work folder is empty
    EXPECT_EQ(m.messages(), "Velmorane|" + m.work + " est vide ou n'existe pas\n");
    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(readTree(m.archive), keyBefore);

    // The key as the source: once unmounted, its mount point is an empty folder.
    const std::string archive = m.tree.path("archive");
    m.tree.makeFile("archive/copie.txt", "copie");
    m.work = key->mountPoint();
    m.archive = archive;
    m.compare(Action::Update);
    m.execute();
    ASSERT_EQ(namesIn(archive), (Names{"Dossier", "archive.txt"}));
    const Names archiveBefore = readTree(archive);
    key.reset();
    m.dialogs.clear();

    // The execution remembered the key's volume: the pulled key is named as such.
    m.compare(Action::Update);
    EXPECT_EQ(m.messages(), "Velmorane|Le dossier " + m.work + " n'est plus sur le volume " + m.work +
                                " : le support est-il branché ?\n");
    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(readTree(archive), archiveBefore);
}

// Renames the key may refuse (folders through the FAT driver) fall back to copies.
TEST_P(RealMedia, RenamedFilesAndFoldersEndEqualWhetherTheKeyRenamesThemOrNot)
{
    for (const std::string& side : {std::string("work/"), onKey("")}) {
        m.tree.makeFile(side + "Photos/2025/plage.jpg", std::string(30000, 'p'), kTestTime - 2);
        m.tree.makeFile(side + "Photos/2025/Sous/port.jpg", std::string(20000, 'q'), kTestTime - 4);
        m.tree.makeFile(side + "brouillon.txt", "brouillon", kTestTime + 2);
    }
    m.compare(Action::Update);
    ASSERT_EQ(counts(m.lists), "0 0 0");
    std::filesystem::rename(m.tree.path("work/Photos/2025"), m.tree.path("work/Photos/Voyage"));
    std::filesystem::rename(m.tree.path("work/brouillon.txt"), m.tree.path("work/rapport final.txt"));

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "3 0 3");
    m.execute();
    m.compare(Action::Update);

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(withoutModes(readTree(m.archive, FolderTimes::Left)), withoutModes(readTree(m.work, FolderTimes::Left)));
}

// The key keeps other times than the disk: the last run's record proves the move without comparing
// them, and nothing is read, copied again or sent to the key's trash.
TEST_P(RealMedia, AFolderRenamedAfterAMirrorIsProvenByTheRecordAndRenamedOnTheKey)
{
    m.tree.makeFile("work/Photos/2025/plage.jpg", std::string(30000, 'p'), kTestTime - 2);
    m.tree.makeFile("work/Photos/2025/Sous/port.jpg", std::string(20000, 'q'), kTestTime - 4);
    m.compare(Action::Update);
    m.execute();
    std::filesystem::rename(m.tree.path("work/Photos/2025"), m.tree.path("work/Photos/Voyage"));

    m.compare(Action::Update);
    const execution::MovePlan& plan = m.run.provenMoves();
    EXPECT_EQ(plan.folders.size(), 1u);
    for (const auto& [path, move] : plan.files) EXPECT_EQ(move.proof, execution::MoveProof::Record) << path;
    EXPECT_EQ(plan.filesKept, 2);
    m.execute();
    m.compare(Action::Update);

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk + std::string(kReportOk));
    EXPECT_EQ(withoutModes(readTree(m.archive, FolderTimes::Left)), withoutModes(readTree(m.work, FolderTimes::Left)));
    // The user-space FAT driver empties a folder it renames: there the folder is copied again.
    if (GetParam() == VolumeKind::ExFat) {
        EXPECT_FALSE(std::filesystem::exists(m.archive + "/" + trashName() + "/files/2025")) << "copied again";
    }
}

// The key as the source: its driver keeps no inode from one mount to the next, so the record is never
// trusted there and the bytes prove the move.
TEST_P(RealMedia, AFileRenamedOnTheKeyAsSourceIsProvenByItsBytes)
{
    m.tree.makeFile(onKey("Notes/brouillon.txt"), std::string(5000, 'n'), kTestTime - 2);
    m.compare(Action::Update, Direction::ArchiveToWork);
    m.execute();
    const ino_t copied = inodeOf(m.work + "/Notes/brouillon.txt");
    std::filesystem::rename(m.archive + "/Notes/brouillon.txt", m.archive + "/Notes/rapport.txt");

    m.compare(Action::Update, Direction::ArchiveToWork);
    const execution::MovePlan& plan = m.run.provenMoves();
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files.begin()->second.proof, execution::MoveProof::Bytes);
    m.execute();
    EXPECT_EQ(inodeOf(m.work + "/Notes/rapport.txt"), copied);
    EXPECT_EQ(m.messages(), kReportOk + std::string(kReportOk));
    EXPECT_EQ(withoutModes(readTree(m.work, FolderTimes::Left)), withoutModes(readTree(m.archive, FolderTimes::Left)));
}

TEST_P(RealMedia, AKeyMirroredUnderOneUtcOffsetAndReadUnderAnotherNeedsNoCopy)
{
    m.tree.makeFile("work/hiver.txt", "écrit en hiver", kTestTime + 61);
    m.tree.makeFile("work/Photos/ete.jpg", std::string(5000, 'p'), kTestTime - 3600);
    key->remount({{"TZ", "UTC0"}});
    m.compare(Action::Update);
    m.execute();
    ASSERT_EQ(m.messages(), kReportOk);

    // The same key read on a machine one hour east, as after the change to summer time.
    key->remount({{"TZ", "CET-1"}});
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

INSTANTIATE_TEST_SUITE_P(Images, RealMedia, ::testing::Values(VolumeKind::Fat32, VolumeKind::ExFat),
                         [](const ::testing::TestParamInfo<VolumeKind>& info) {
                             return std::string(volumeKindName(info.param));
                         });

}  // namespace
}  // namespace velmorane::testing
