#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velmorane::testing {
namespace {

using execution::MovePlan;
using execution::MoveProof;
using execution::moveRecordPath;

// The archive holds the work folder's bytes everywhere, as a checksum judge sees it.
std::string checksumDifferences(const Mirror& m)
{
    return tool("rsync", {"-a", "-c", "-n", "-i", "--delete", m.work + "/", m.archive + "/"});
}

// The same file in the work folder and in the archive, as an earlier run left them.
void makeOnBothSides(TempFolder& t, const std::string& relative, const std::string& content,
                     std::int64_t mtime = kTestTime)
{
    t.makeFile("work/" + relative, content, mtime);
    t.makeFile("archive/" + relative, content, mtime);
}

void renameInWork(TempFolder& t, const std::string& from, const std::string& to)
{
    std::filesystem::rename(t.path("work/" + from), t.path("work/" + to));
}

TEST(Moves, ARenamedFolderAndFilesRenamedOneByOneAreRenamedInTheArchive)
{
    Mirror m;
    for (int i = 0; i < 60; ++i) {
        makeOnBothSides(m.tree, "Photos/2025/Sous/photo" + std::to_string(i) + ".jpg", std::string(100 + i, 'p'),
                        kTestTime + i);
    }
    makeOnBothSides(m.tree, "Photos/2025/notes.txt", "notes");
    setMode(m.tree.path("work/Photos/2025/notes.txt"), 0600);  // a copy would bring the new bits too
    for (int i = 0; i < 500; ++i) {
        makeOnBothSides(m.tree, "Docs/D" + std::to_string(i % 5) + "/brouillon" + std::to_string(i) + ".odt",
                        "texte " + std::to_string(i), kTestTime - i);
    }
    makeOnBothSides(m.tree, "Musique/Album/piste.ogg", std::string(5000, 'm'));
    m.tree.setMtime("work/Photos/2025/Sous", kTestTime - 100);
    const ino_t photo = inodeOf(m.archive + "/Photos/2025/Sous/photo7.jpg");
    const ino_t draft = inodeOf(m.archive + "/Docs/D3/brouillon8.odt");
    const ino_t track = inodeOf(m.archive + "/Musique/Album/piste.ogg");
    // Into a new folder, made in the same run beside a new file.
    m.tree.makeFile("work/Photos/Voyages/carte.txt", "carte");
    renameInWork(m.tree, "Photos/2025", "Photos/Voyages/2025");
    renameInWork(m.tree, "Musique/Album", "Musique/Album (2025)");
    for (int i = 0; i < 500; ++i) {
        const std::string folder = "Docs/D" + std::to_string(i % 5) + "/";
        renameInWork(m.tree, folder + "brouillon" + std::to_string(i) + ".odt",
                     folder + "rapport " + std::to_string(i) + ".odt");
    }

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "504 0 503");  // each folder, its sub-folders and the files
    const Names adds = texts(m.lists.addList());
    const auto report = m.execute();
    Names moved;
    for (std::size_t i = 0; i < adds.size(); ++i) {
        if (report.results[0][i].moved) moved.push_back(adds[i]);
    }
    EXPECT_EQ(moved.size(), 501u);
    EXPECT_NE(std::ranges::find(moved, m.work + "/Musique/Album (2025)/ **Dossier"), moved.end());

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(inodeOf(m.archive + "/Photos/Voyages/2025/Sous/photo7.jpg"), photo);
    EXPECT_EQ(inodeOf(m.archive + "/Musique/Album (2025)/piste.ogg"), track);
    EXPECT_EQ(inodeOf(m.archive + "/Docs/D3/rapport 8.odt"), draft);
    EXPECT_EQ(readTree(m.tree.path("archive/Photos/Voyages")), readTree(m.tree.path("work/Photos/Voyages")));
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));
}

// Where the content is not proven the same, or the delete is not carried out, the add is copied.
TEST(Moves, UnprovenChangedAndUnchosenCasesAreCopiedAndTheArchiveEndsEqual)
{
    Mirror m;
    makeOnBothSides(m.tree, "seul.txt", "renommé sans doute");
    makeOnBothSides(m.tree, "jumeau-a.txt", "aaaa");
    makeOnBothSides(m.tree, "jumeau-b.txt", "bbbb");
    makeOnBothSides(m.tree, "Projet/plan.txt", "plan");
    makeOnBothSides(m.tree, "Projet/budget.txt", "budget");
    makeOnBothSides(m.tree, "Ancien/a.txt", "ancien a");
    makeOnBothSides(m.tree, "Ancien/b.txt", "ancien b");
    makeOnBothSides(m.tree, "change-ensuite.txt", "avant");
    const ino_t alone = inodeOf(m.archive + "/seul.txt");
    const ino_t twin = inodeOf(m.archive + "/jumeau-a.txt");
    const ino_t kept = inodeOf(m.archive + "/Ancien/a.txt");
    renameInWork(m.tree, "seul.txt", "seul renommé.txt");
    // Two files of the same size and time renamed at once: their bytes tell which is which.
    renameInWork(m.tree, "jumeau-a.txt", "jumeau-c.txt");
    renameInWork(m.tree, "jumeau-b.txt", "jumeau-d.txt");
    // Moved and one of its files edited in the same run.
    renameInWork(m.tree, "Ancien", "Nouveau");
    m.tree.makeFile("work/Nouveau/b.txt", "ancien b modifié");
    // Moved, and a new folder takes its old name.
    renameInWork(m.tree, "Projet", "Rangé");
    m.tree.makeFile("work/Projet/autre.txt", "autre chose");
    renameInWork(m.tree, "change-ensuite.txt", "changé.txt");
    makeOnBothSides(m.tree, "Lot/image.png", "image");
    renameInWork(m.tree, "Lot", "Lot rangé");

    m.compare(Action::Update);
    // Changed in the archive after the comparison: its old copy is no longer what the add brings.
    m.tree.makeFile("archive/change-ensuite.txt", "AVANT", kTestTime + 10);
    m.tree.makeFile("archive/Lot/ajout.txt", "ajouté depuis");
    m.execute();

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(inodeOf(m.archive + "/seul renommé.txt"), alone);
    EXPECT_EQ(inodeOf(m.archive + "/jumeau-c.txt"), twin);
    EXPECT_EQ(readFileBytes(m.archive + "/jumeau-d.txt"), "bbbb");
    EXPECT_EQ(readFileBytes(m.archive + "/changé.txt"), "avant");
    // The folder moved with an edited file: the other file moves alone, the edited one is copied.
    EXPECT_EQ(inodeOf(m.archive + "/Nouveau/a.txt"), kept);
    EXPECT_EQ(namesIn(m.archive + "/Lot rangé"), Names{"image.png"});
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));

    // The delete not chosen in the review: the old file stays and the new one is a copy.
    Mirror unchosen;
    makeOnBothSides(unchosen.tree, "lettre.txt", "lettre");
    const ino_t letter = inodeOf(unchosen.archive + "/lettre.txt");
    renameInWork(unchosen.tree, "lettre.txt", "courrier.txt");
    unchosen.compare(Action::Update);
    unchosen.choice.deletionsSelectedChosen = true;
    unchosen.execute();

    EXPECT_EQ(counts(unchosen.lists), "0 0 1");
    EXPECT_EQ(namesIn(unchosen.archive), (Names{"courrier.txt", "lettre.txt"}));
    EXPECT_EQ(inodeOf(unchosen.archive + "/lettre.txt"), letter);
    EXPECT_EQ(readFileBytes(unchosen.archive + "/courrier.txt"), "lettre");
}

// Two files of the same size and time at two places are not the same file: a rename would put one
// file's bytes under the other's name for good.
TEST(Moves, SizeAndTimeAloneNeverMoveAFile)
{
    Mirror m;
    m.tree.makeFile("work/rapport-final.txt", "AAAA");
    m.tree.makeFile("archive/brouillon.txt", "BBBB");
    m.compare(Action::Update);
    EXPECT_TRUE(m.run.provenMoves().empty());
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(readFileBytes(m.archive + "/rapport-final.txt"), "AAAA");
    EXPECT_EQ(checksumDifferences(m), "");

    // A new file of the same size and time at the old file's inode: the record knows it by its birth.
    Mirror reused;
    makeOnBothSides(reused.tree, "brouillon.txt", "BBBB");
    reused.compare(Action::Update);
    reused.execute();
    std::filesystem::remove(reused.tree.path("work/brouillon.txt"));
    reused.tree.makeFile("work/rapport-final.txt", "AAAA");
    reused.compare(Action::Update);
    EXPECT_TRUE(reused.run.provenMoves().empty());
    reused.execute();
    EXPECT_EQ(readFileBytes(reused.archive + "/rapport-final.txt"), "AAAA");
    EXPECT_EQ(checksumDifferences(reused), "");
}

std::vector<MoveProof> proofsOf(const MovePlan& plan)
{
    std::vector<MoveProof> proofs;
    for (const auto& [path, move] : plan.files) proofs.push_back(move.proof);
    return proofs;
}

// After a first run, the record proves a moved folder without reading a byte; a record that was
// damaged, is another pair's, or whose archive file changed since proves nothing, and the bytes decide.
TEST(Moves, TheLastRunsRecordProvesMovesAndIsNeverTrustedBeyondWhatItSays)
{
    Mirror m;
    for (int i = 0; i < 20; ++i) makeOnBothSides(m.tree, "Photos/2025/p" + std::to_string(i) + ".jpg", "photo " + std::to_string(i));
    m.tree.makeFile("work/Photos/2025/nouvelle.jpg", "nouvelle");  // copied by the first run
    m.tree.makeFile("work/lien-a", "l");
    ::link(m.tree.path("work/lien-a").c_str(), m.tree.path("work/lien-b").c_str());
    m.compare(Action::Update);
    m.execute();
    const ino_t photo = inodeOf(m.archive + "/Photos/2025/p7.jpg");
    const ino_t copied = inodeOf(m.archive + "/Photos/2025/nouvelle.jpg");

    m.tree.makeFolder("work/Photos/Voyages");
    renameInWork(m.tree, "Photos/2025", "Photos/Voyages/2025");
    renameInWork(m.tree, "lien-a", "lien-c");  // hard links: each place is proven on its own
    renameInWork(m.tree, "lien-b", "lien-d");
    m.compare(Action::Update);
    const MovePlan& plan = m.run.provenMoves();
    ASSERT_EQ(plan.folders.size(), 1u);
    EXPECT_EQ(plan.folders.begin()->second.oldPath, m.archive + "/Photos/2025/");
    EXPECT_EQ(plan.files.size(), 23u);
    EXPECT_EQ(proofsOf(plan), std::vector<MoveProof>(23, MoveProof::Record));
    EXPECT_EQ(plan.filesKept, 23);
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk + std::string(kReportOk));
    EXPECT_EQ(inodeOf(m.archive + "/Photos/Voyages/2025/p7.jpg"), photo);
    EXPECT_EQ(inodeOf(m.archive + "/Photos/Voyages/2025/nouvelle.jpg"), copied);
    EXPECT_EQ(checksumDifferences(m), "");

    // The archive file edited and its time put back: the record no longer vouches for it, and its
    // bytes differ, so it is copied while the rest moves.
    renameInWork(m.tree, "Photos/Voyages/2025", "Photos/2025");
    m.tree.makeFile("archive/Photos/Voyages/2025/p3.jpg", "PHOTO 3");
    m.compare(Action::Update);
    EXPECT_EQ(m.run.provenMoves().files.size(), 20u);
    EXPECT_FALSE(m.run.provenMoves().files.contains(m.archive + "/Photos/2025/p3.jpg"));
    m.execute();
    EXPECT_EQ(inodeOf(m.archive + "/Photos/2025/p7.jpg"), photo);
    EXPECT_EQ(checksumDifferences(m), "");

    // A damaged record, and one of another pair of folders put in its place: bytes only.
    const std::string record = moveRecordPath({m.work, m.archive, {}, {}});
    ASSERT_TRUE(std::filesystem::exists(record));
    std::filesystem::resize_file(record, std::filesystem::file_size(record) - 3);
    renameInWork(m.tree, "Photos/2025", "Photos/2026");
    m.compare(Action::Update);
    EXPECT_EQ(proofsOf(m.run.provenMoves()), std::vector<MoveProof>(21, MoveProof::Bytes));
    m.execute();
    Mirror other;
    makeOnBothSides(other.tree, "x.txt", "x");
    other.compare(Action::Update);
    other.execute();
    std::filesystem::copy_file(moveRecordPath({other.work, other.archive, {}, {}}), record,
                               std::filesystem::copy_options::overwrite_existing);
    renameInWork(m.tree, "Photos/2026", "Photos/2027");
    m.compare(Action::Update);
    EXPECT_EQ(proofsOf(m.run.provenMoves()), std::vector<MoveProof>(21, MoveProof::Bytes));
    m.execute();
    EXPECT_EQ(inodeOf(m.archive + "/Photos/2027/p7.jpg"), photo);
    EXPECT_EQ(checksumDifferences(m), "");
}

// A folder moved while one of its files was edited: the others move, the edited one is copied.
// With the record, an edit that changed the time; without it, one that kept it: the bytes tell.
TEST(Moves, AFolderMovedWithAnEditedFileMovesTheOthersAndCopiesThatOne)
{
    for (const bool withRecord : {true, false}) {
        Mirror m;
        for (int i = 0; i < 5; ++i) makeOnBothSides(m.tree, "Ancien/f" + std::to_string(i) + ".txt", "texte " + std::to_string(i));
        m.compare(Action::Update);
        m.execute();
        const ino_t other = inodeOf(m.archive + "/Ancien/f1.txt");
        if (!withRecord) std::filesystem::remove(moveRecordPath({m.work, m.archive, {}, {}}));
        renameInWork(m.tree, "Ancien", "Nouveau");
        m.tree.makeFile("work/Nouveau/f2.txt", "TEXTE 2", withRecord ? kTestTime + 60 : kTestTime);
        m.compare(Action::Update);
        EXPECT_TRUE(m.run.provenMoves().folders.empty()) << withRecord;
        EXPECT_EQ(m.run.provenMoves().files.size(), 4u) << withRecord;
        m.execute();
        EXPECT_EQ(inodeOf(m.archive + "/Nouveau/f1.txt"), other) << withRecord;
        EXPECT_EQ(readFileBytes(m.archive + "/Nouveau/f2.txt"), "TEXTE 2") << withRecord;
        EXPECT_EQ(checksumDifferences(m), "") << withRecord;
    }
}

// Renaming the one folder that holds a whole source is a move, not a mass deletion: the
// unattended run executes it.
TEST(Moves, TheMassChangeGuardCountsAProvenMoveAsAMove)
{
    Mirror m;
    for (int i = 0; i < 200; ++i) makeOnBothSides(m.tree, "Photos/2025/p" + std::to_string(i) + ".jpg", "photo " + std::to_string(i));
    renameInWork(m.tree, "Photos/2025", "Photos/Voyages");
    const execution::UnattendedEnd end = m.runUnattended(Action::Update);
    EXPECT_EQ(end.exitStatus, execution::kExitDone);
    EXPECT_EQ(m.journalOutcomes(), "Exécution du Profil Essai : OK\n");
    EXPECT_EQ(checksumDifferences(m), "");

    // The same with different bytes is what the guard is for: nothing is touched.
    Mirror lost;
    for (int i = 0; i < 200; ++i) lost.tree.makeFile("archive/Photos/p" + std::to_string(i) + ".jpg", "photo");
    lost.tree.makeFile("work/Photos/autre.jpg", "autre");
    EXPECT_EQ(lost.runUnattended(Action::Update).exitStatus, execution::kExitNothingExecuted);
    EXPECT_TRUE(lost.journalOutcomes().starts_with("Exécution du Profil Essai : Non exécuté (")) << lost.journalOutcomes();
    EXPECT_TRUE(std::filesystem::exists(lost.archive + "/Photos/p0.jpg"));
}

}  // namespace
}  // namespace velmorane::testing
