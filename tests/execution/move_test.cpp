#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velmorane::testing {
namespace {

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

    m.compare(1);
    EXPECT_EQ(counts(m.lists), "504 0 503");  // each folder, its sub-folders and the files
    m.execute();

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(inodeOf(m.archive + "/Photos/Voyages/2025/Sous/photo7.jpg"), photo);
    EXPECT_EQ(inodeOf(m.archive + "/Musique/Album (2025)/piste.ogg"), track);
    EXPECT_EQ(inodeOf(m.archive + "/Docs/D3/rapport 8.odt"), draft);
    EXPECT_EQ(readTree(m.tree.path("archive/Photos/Voyages")), readTree(m.tree.path("work/Photos/Voyages")));
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));
}

// Where the content is not surely the same, or the delete is not carried out, the add is copied.
TEST(Moves, AmbiguousChangedAndUnchosenCasesAreCopiedAndTheArchiveEndsEqual)
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
    renameInWork(m.tree, "seul.txt", "seul renommé.txt");
    // Two files of the same size and time renamed at once: either could be either.
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

    m.compare(1);
    // Changed in the archive after the comparison: its old copy is no longer what the add brings.
    m.tree.makeFile("archive/change-ensuite.txt", "AVANT", kTestTime + 10);
    m.tree.makeFile("archive/Lot/ajout.txt", "ajouté depuis");
    m.execute();

    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(inodeOf(m.archive + "/seul renommé.txt"), alone);
    EXPECT_NE(inodeOf(m.archive + "/jumeau-c.txt"), twin);
    EXPECT_NE(inodeOf(m.archive + "/jumeau-d.txt"), twin);
    EXPECT_EQ(readFileBytes(m.archive + "/changé.txt"), "avant");
    EXPECT_EQ(namesIn(m.archive + "/Lot rangé"), Names{"image.png"});
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));

    // The delete not chosen in the review: the old file stays and the new one is a copy.
    Mirror unchosen;
    makeOnBothSides(unchosen.tree, "lettre.txt", "lettre");
    const ino_t letter = inodeOf(unchosen.archive + "/lettre.txt");
    renameInWork(unchosen.tree, "lettre.txt", "courrier.txt");
    unchosen.compare(1);
    unchosen.choice.supprSelectedChosen = true;
    unchosen.execute();

    EXPECT_EQ(counts(unchosen.lists), "0 0 1");
    EXPECT_EQ(namesIn(unchosen.archive), (Names{"courrier.txt", "lettre.txt"}));
    EXPECT_EQ(inodeOf(unchosen.archive + "/lettre.txt"), letter);
    EXPECT_EQ(readFileBytes(unchosen.archive + "/courrier.txt"), "lettre");
}

}  // namespace
}  // namespace velmorane::testing
