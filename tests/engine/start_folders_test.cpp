#include "engine/comparison.h"
#include "engine/folder_structure.h"
#include "engine/nested_start_folder.h"
#include "engine/validation.h"

#include "tests/support/mounted_volume.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

using testing::TempFolder;

// The message of settingsAreValid for two folders, or "OK".
std::string validation(const std::string& work, const std::string& archive)
{
    std::string txtMess;
    return settingsAreValid(RunSettings{work, archive, Direction::WorkToArchive, Action::Update, {}, {}}, txtMess) ? "OK" : txtMess;
}

// Every folder line of both trees, then every entry of the three lists, as a run would see them
// with the nested start folder left out.
std::vector<std::string> walked(const std::string& source, const std::string& dest)
{
    Exclusions exclusions;
    for (const NestedStartFolder& folder : nestedStartFolders(source, dest)) {
        exclusions.leaveOutFolder(folder.relativePath);
    }
    platform::NullProgress progress;
    const StructurePair pair = readStartFolderTrees(source, dest, exclusions, progress);
    std::vector<std::string> out;
    for (const auto* side : {&pair.source, &pair.dest}) {
        for (const FolderLine& line : side->structure.lines) out.push_back(line.path);
    }
    const TaskLists lists =
        compareStructures(pair.source.structure, pair.dest.structure, progress, {}, exclusions);
    for (const ListKind kind : kListKinds) {
        for (std::size_t i = 0; i < lists[kind].count(); ++i) out.push_back(lists[kind].text(i));
    }
    return out;
}

std::string nested(const std::string& source, const std::string& dest)
{
    std::string out;
    for (const NestedStartFolder& folder : nestedStartFolders(source, dest)) {
        out += (folder.outer == StartSide::Source ? " source:" : " dest:") + folder.relativePath;
    }
    return out.empty() ? "none" : out.substr(1);
}

TEST(StartFolders, TheSameFolderByAnySpellingIsRefusedAndTwoFoldersAreNeverJudgedByTheirNames)
{
    TempFolder tree;
    const std::string s = tree.makeFolder("s");
    tree.makeFolder("S");
    tree.makeFolder("d/e");
    tree.makeLink("lien", "s");
    const std::string same = "Travail et Archive doivent être différents.";
    for (const std::string& other : {s + "/", s + "/./", tree.path("d/../s"), tree.path("lien"),
                                     tree.path("lien/"), tree.path("d/e/../../lien/.")}) {
        EXPECT_EQ(validation(s, other), same) << other;
    }
    EXPECT_EQ(validation(tree.path("S"), s), "OK");
    EXPECT_EQ(validation(tree.path("absent"), tree.path("absent/")), same);
    EXPECT_EQ(validation(tree.path("absent"), tree.path("Absent")), "OK");
    EXPECT_EQ(validation(s, tree.path("absent")), "OK");

    if (!testing::TemporaryMount::whyNotRoot().empty()) GTEST_SKIP() << testing::TemporaryMount::whyNotRoot();
    const std::string bound = tree.makeFolder("ailleurs/lie");
    testing::TemporaryMount bind(testing::TemporaryMount::Kind::Bind, bound, s);
    EXPECT_EQ(validation(bound, s), same);
    EXPECT_EQ(nested(tree.path("d"), bound), "none");
    EXPECT_EQ(nested(bound, tree.makeFolder("s/dedans")), "source:dedans");

    // The folder bound inside the other start folder is found there too, and left out of its tree.
    const std::string d = tree.path("d");
    testing::TemporaryMount inside(testing::TemporaryMount::Kind::Bind, tree.makeFolder("d/vue"), s);
    EXPECT_EQ(nested(d, s), "source:vue");
    EXPECT_EQ(nested(s, d), "dest:vue");
    EXPECT_EQ(walked(d, s), (std::vector<std::string>{d + "/", d + "/e/", s + "/", s + "/dedans/", d + "/e/ **Dossier",
                                                      s + "/dedans/ **Dossier"}));
}

TEST(StartFolders, AStartFolderInsideTheOtherIsLeftOutOfBothTreesWhicheverHoldsIt)
{
    TempFolder tree;
    tree.makeFile("w/doc.txt", "doc");
    tree.makeFile("w/sous/x.txt", "x");
    tree.makeFile("w/arch/vieux.txt", "v");
    tree.makeFile("w/arch/arch/arch/doc.txt", "doc");  // what the program used to make of it
    tree.makeLink("lien", "w");
    const std::string w = tree.path("w");

    // The archive inside the work folder, named through a link, "." and a trailing "/".
    const std::string archive = tree.path("lien/./arch/");
    EXPECT_EQ(nested(w, archive), "source:arch");
    EXPECT_EQ(nested(archive, w), "dest:arch");
    const std::string doc = testing::fileEntry(w + "/doc.txt", 3), old = testing::fileEntry(archive + "vieux.txt", 1);
    EXPECT_EQ(walked(w, archive),
              (std::vector<std::string>{w + "/", w + "/sous/", archive, w + "/sous/ **Dossier", doc, old}));
    EXPECT_EQ(walked(archive, w),
              (std::vector<std::string>{archive, w + "/", w + "/sous/", old, w + "/sous/ **Dossier", doc}));

    // The work folder two levels inside the archive: the folder that holds it is mirrored around it.
    tree.makeFile("a/haut.txt", "h");
    tree.makeFile("a/b/w2/f.txt", "f");
    const std::string a = tree.path("a"), w2 = tree.path("a/b/w2");
    EXPECT_EQ(nested(w2, a), "dest:b/w2");
    const std::string f = testing::fileEntry(w2 + "/f.txt", 1), top = testing::fileEntry(a + "/haut.txt", 1);
    // The folder on the way to it stays; only what else it holds would go.
    tree.makeFile("a/b/autre.txt", "o");
    const std::string other = testing::fileEntry(a + "/b/autre.txt", 1);
    EXPECT_EQ(walked(w2, a), (std::vector<std::string>{w2 + "/", a + "/", a + "/b/", f, other, top}));
    EXPECT_EQ(walked(a, w2), (std::vector<std::string>{a + "/", a + "/b/", w2 + "/", a + "/b/ **Dossier", top, f}));
    EXPECT_EQ(nested(a, tree.path("w")), "none");
}

}  // namespace
}  // namespace velmorane::engine
