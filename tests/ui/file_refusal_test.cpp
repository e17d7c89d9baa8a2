#include "tests/support/qt_scripted_dialogs.h"
#include "ui/profile_dialogs.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::profiles {
namespace {

const std::string kProfiles = " 1 \r\nMaison\r\n/a\r\n/b\r\n0\r\n&Travail => Archive\r\n1\r\n&Comparer\r\n";
const std::string kWritable = "Le fichier est modifiable par d'autres utilisateurs";
const std::string kOthers = "Le fichier appartient à un autre utilisateur";

// "title|text" of every box shown, then what came out: the number of profiles, or "made"/"none".
std::string loadedProfiles(const std::string& path)
{
    ui::ScriptedDialogs dialogs;
    const int count = ui::readProfilesShowing(path, dialogs).count();
    std::string out;
    for (const auto& box : dialogs.shown()) out += box.title + "|" + box.text + "|";
    return out + std::to_string(count);
}

std::string loadedFilters(const std::string& path)
{
    execution::MirrorRun run({"/", "/tmp", engine::Direction::WorkToArchive, engine::Action::Compare, {}, {}}, loadFilterFile(path, "Maison"));
    const auto refusal = run.prepare();
    return refusal ? refusal->detail + "|none" : "made";
}

void giveToNobody(const std::string& path)
{
    ASSERT_EQ(::lchown(path.c_str(), testing::kNobody, testing::kNobody), 0) << path;
}

TEST(WorkingDirectoryFiles, FilesWritableByOthersAreRefusedWithTheirReason)
{
    testing::TempFolder tree;
    const std::string profiles = tree.makeFile("ArchProfils.vlr", kProfiles);
    const std::string filters = tree.makeFile("ArchFiltres.vlr", "*.tmp\r\n");
    ASSERT_EQ(::chmod(profiles.c_str(), 0646), 0);
    ASSERT_EQ(::chmod(filters.c_str(), 0602), 0);
    EXPECT_EQ(loadedProfiles(profiles), "Attention|Fichier de Profils Incorrect\n" + kWritable + "|0");
    EXPECT_EQ(loadedFilters(filters), kWritable + "|none");

    // Saving would replace the file with one that others may write just the same.
    ui::ScriptedDialogs dialogs;
    ProfileTable none;
    EXPECT_FALSE(ui::writeProfilesAsking(profiles, none, dialogs));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Impossible d'écrire le fichier de Profils\n" + kWritable);
    EXPECT_EQ(testing::readFileBytes(profiles), kProfiles);

    ASSERT_EQ(::chmod(profiles.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(filters.c_str(), 0660), 0);
    EXPECT_EQ(loadedProfiles(profiles), "1");
    EXPECT_EQ(loadedFilters(filters), "made");
}

TEST(WorkingDirectoryFiles, FilesAndLinksOfAnotherUserAreRefusedButRootsAreUsed)
{
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    testing::TempFolder tree;
    const std::string profiles = tree.makeFile("autre/ArchProfils.vlr", kProfiles);
    const std::string filters = tree.makeFile("autre/ArchFiltres.vlr", "*.tmp\r\n");
    giveToNobody(profiles);
    giveToNobody(filters);
    EXPECT_EQ(loadedProfiles(profiles), "Attention|Fichier de Profils Incorrect\n" + kOthers + "|0");
    EXPECT_EQ(loadedFilters(filters), kOthers + "|none");

    // A link planted by another user, to a file of the user's own: following it would let that user
    // choose which file is read and, at the next save, replaced.
    const std::string own = tree.makeFile("propre.vlr", kProfiles);
    const std::string link = tree.makeLink("lien/ArchProfils.vlr", own);
    giveToNobody(link);
    EXPECT_EQ(loadedProfiles(link), "Attention|Fichier de Profils Incorrect\n" + kOthers + "|0");
    ui::ScriptedDialogs dialogs;
    ProfileTable none;
    EXPECT_FALSE(ui::writeProfilesAsking(link, none, dialogs));
    EXPECT_EQ(testing::readFileBytes(own), kProfiles);

    // The user's own files, and root's, are used as ordinary user: root is trusted like oneself.
    const std::string rootFile = tree.makeFile("racine/ArchProfils.vlr", kProfiles);
    ASSERT_EQ(::chmod(tree.root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("racine").c_str(), 0755), 0);
    const std::string asUser = testing::inChild([&] {
        if (!testing::becomeNobody()) return std::string("could not become nobody");
        return loadedProfiles(rootFile) + " " + loadedProfiles(profiles) + " " + loadedFilters(filters);
    });
    EXPECT_EQ(asUser, "1 1 made");
}

}  // namespace
}  // namespace velmorane::profiles
