#include "tests/execution/execution_harness.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/scoped_environment.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;

// An archive below `archive` (relative to the test's folder) from which a full mirror deletes the
// folder "Vieux" and replaces "lettre.txt"; "garde.txt" stays as it is.
void makeTrees(Mirror& m, const std::string& archive)
{
    m.tree.makeFile("work/lettre.txt", "nouvelle", kTestTime + 60);
    m.tree.makeFile("work/garde.txt", "g");
    m.tree.makeFile(archive + "/lettre.txt", "ancienne");
    m.tree.makeFile(archive + "/garde.txt", "g");
    m.tree.makeFile(archive + "/Vieux/v.txt", "v");
    m.tree.makeFile(archive + "/Vieux/sous/w.txt", "w");
    m.archive = m.tree.path(archive);
}

// Puts each trashed entry back where its .trashinfo says, over the new version of a replaced file,
// as a user without a file manager would; `top` is the folder the Path= lines are relative to.
void restoreByHand(const std::string& trash, const std::string& top)
{
    for (const std::string& info : namesIn(trash + "/info")) {
        const std::string text = readFileBytes(trash + "/info/" + info);
        const auto start = text.find("\nPath=") + 6;
        const std::string path = text.substr(start, text.find('\n', start) - start);
        const std::string original = path.starts_with("/") ? path : top + "/" + path;
        fs::remove(original);
        fs::rename(trash + "/files/" + info.substr(0, info.size() - std::string(".trashinfo").size()), original);
        fs::remove(trash + "/info/" + info);
    }
}

std::string trashInfoPath(const std::string& file)
{
    const std::string text = readFileBytes(file);
    return text.substr(0, text.find("\nDeletionDate="));
}

TEST(RunTrash, OnAVolumeOfItsOwnTheDeletedFolderAndTheReplacedFileWaitInItsTrashAndComeBackByHand)
{
    if (const std::string why = whyNotMountable(VolumeKind::Ext4); !why.empty()) GTEST_SKIP() << why;
    Mirror m;
    const MountedVolume volume(VolumeKind::Ext4, m.tree.root());
    const ScopedEnvironment home({{"XDG_DATA_HOME", m.tree.path("share")}, {"XDG_STATE_HOME", m.tree.path("state")}});
    const std::string top = volume.mountPoint();
    makeTrees(m, "ext4/archive");
    const auto before = readTree(m.archive, FolderTimes::Left);

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 1 2");
    const auto report = m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    // The replaced file and the deleted folder are trashed; what the folder held went with it.
    EXPECT_TRUE(report.results[1][0].trashed);
    EXPECT_TRUE(report.results[2][0].trashed);
    EXPECT_FALSE(report.results[2][1].trashed);
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));

    const std::string trash = top + "/.Trash-" + std::to_string(::getuid());
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"Vieux", "lettre.txt"}));
    EXPECT_EQ(readFileBytes(trash + "/files/lettre.txt"), "ancienne");
    EXPECT_EQ(readFileBytes(trash + "/files/Vieux/sous/w.txt"), "w");
    EXPECT_EQ(trashInfoPath(trash + "/info/Vieux.trashinfo"), "[Trash Info]\nPath=archive/Vieux");
    EXPECT_EQ(trashInfoPath(trash + "/info/lettre.txt.trashinfo"), "[Trash Info]\nPath=archive/lettre.txt");
    EXPECT_FALSE(fs::exists(m.tree.path("share/Trash")));

    restoreByHand(trash, top);
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), before);
}

TEST(RunTrash, OnTheHomeVolumeTheHomeTrashReceivesThem)
{
    Mirror m;
    const ScopedEnvironment home({{"XDG_DATA_HOME", m.tree.path("share")}, {"XDG_STATE_HOME", m.tree.path("state")}});
    makeTrees(m, "archive");
    const auto before = readTree(m.archive, FolderTimes::Left);

    m.compare(Action::Update);
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    const std::string trash = m.tree.path("share/Trash");
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"Vieux", "lettre.txt"}));
    EXPECT_EQ(trashInfoPath(trash + "/info/Vieux.trashinfo"), "[Trash Info]\nPath=" + m.archive + "/Vieux");
    restoreByHand(trash, "");
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), before);
}

}  // namespace
}  // namespace velmorane::testing
