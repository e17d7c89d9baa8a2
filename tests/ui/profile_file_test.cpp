#include "tests/support/qt_scripted_dialogs.h"
#include "ui/profile_dialogs.h"
#include "profiles/profile_file.h"
#include "platform/text_file.h"
#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::profiles {
namespace {

using namespace std::string_literals;

const Profile kMaison{"Maison", {"/home/ana/Documents", "/media/ana/Archives", engine::Direction::WorkToArchive,
                                  engine::Action::Update, "&Travail => Archive", "&Personnaliser la Mise à Jour"}};

class ProfileFile : public ::testing::Test {
protected:
    ProfileTable load(const std::string& bytes)
    {
        tree.makeFile("ArchProfils.vlr", bytes);
        return ui::readProfilesShowing(file, dialogs);
    }

    testing::TempFolder tree;
    std::string file = tree.path("ArchProfils.vlr");
    ui::ScriptedDialogs dialogs;
};

TEST_F(ProfileFile, EachLoadFailureShowsItsBoxAndLeavesNoProfileAndNoFileShowsNone)
{
    const std::string record = "P\r\n/a\r\n/b\r\n0\r\n&Travail => Archive\r\n1\r\n&Comparer\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Fichier de Profils Incorrect"},
        {" 0 \r\n", "Fichier de Profils Vide"},
        {" 3 \r\n" + record + record, "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\r\n/b\r\nO\r\n&Travail => Archive\r\n1\r\n&Comparer\r\n", "Fichier de Profils Incorrect"},
        {" 40000 \r\n" + record, "Fichier de Profils Incorrect"},
        {" -1 \r\n" + record, "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\r\n/b\0c\r\n0\r\nx\r\n1\r\ny\r\n"s, "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\tb\r\n/b\r\n0\r\nx\r\n1\r\ny\r\n", "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\r\n/b\rc\r\n0\r\nx\r\n1\r\ny\r\n", "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\xC2\x85\r\n/b\r\n0\r\nx\r\n1\r\ny\r\n", "Fichier de Profils Incorrect"},
    };
    for (const auto& [bytes, message] : cases) {
        dialogs.clear();
        EXPECT_TRUE(load(bytes).profiles.empty()) << bytes;
        ASSERT_EQ(dialogs.shown().size(), 1u) << bytes;
        const ui::Message& box = dialogs.shown()[0];
        EXPECT_EQ(box.text + "|" + box.title, message + "|Attention");
        EXPECT_TRUE(box.icon == ui::Icon::Critical && box.buttons == ui::Buttons::Ok);
    }

    dialogs.clear();
    EXPECT_TRUE(ui::readProfilesShowing(tree.path("absent.vlr"), dialogs).profiles.empty());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ProfileFile, OnlyTheCountedRecordsOfAWindowsFileAreLoadedWhateverTheSpacesAroundTheCount)
{
    const std::string records = "Un\r\nC:\\Documents\r\n/b\r\n0\r\nx\r\n1\r\nMise \xE0 Jour\r\n"
                                "Deux\r\n/c\r\n/d\r\n 01\r\nx\r\n+2\r\ny\r\n"
                                "Trois\r\n/e\r\n/f\r\n7\r\nx\r\n-3\r\ny\r\n";
    EXPECT_EQ(load(" 1 \r\n" + records).count(), 1);
    const ProfileTable both = load("3\r\n" + records);
    ASSERT_EQ(both.count(), 3);
    EXPECT_EQ(both.at(1), (Profile{"Un", {"C:\\Documents", "/b", engine::Direction::WorkToArchive, engine::Action::Update, "x",
                                          "Mise à Jour"}}));
    EXPECT_EQ(both.at(2).name, "Deux");
    EXPECT_EQ(both.at(2).settings.direction, engine::Direction::ArchiveToWork);
    EXPECT_EQ(both.at(2).settings.action, engine::Action::AddOnly);
    // Codes no menu has choose nothing: the run then asks for a direction and an action.
    EXPECT_EQ(both.at(3).settings.direction, engine::Direction::Unset);
    EXPECT_EQ(both.at(3).settings.action, engine::Action::Unset);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ProfileFile, WritesEightWindowsLinesPerProfileOrUtf8WhenNeededAndReadsEveryFieldBack)
{
    ProfileTable maison{{kMaison}};
    EXPECT_TRUE(ui::writeProfilesAsking(file, maison, dialogs));
    EXPECT_EQ(testing::readFileBytes(file), " 1 \r\nMaison\r\n/home/ana/Documents\r\n/media/ana/Archives\r\n0\r\n"
                                            "&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n");

    Profile odd{"007", {"/home/a, \"b\"", "/Été/Ωmega", engine::Direction::ArchiveToWork, engine::Action::ReplaceOnly,
                        "&Travail => Archive", "Ç'est"}};
    ProfileTable both{{odd, kMaison}};
    ASSERT_TRUE(ui::writeProfilesAsking(file, both, dialogs));
    ProfileTable read = ui::readProfilesShowing(file, dialogs);
    ASSERT_TRUE(ui::writeProfilesAsking(file, read, dialogs));
    EXPECT_NE(testing::readFileBytes(file).find("/\xC3\x89t\xC3\xA9/\xCE\xA9mega\r\n"), std::string::npos);
    const ProfileTable twice = ui::readProfilesShowing(file, dialogs);
    ASSERT_EQ(twice.count(), 2);
    EXPECT_EQ(twice.at(1), odd);
    EXPECT_EQ(twice.at(2), kMaison);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ProfileFile, NoCountLimitsTheProfilesThatAreWrittenAndReadBack)
{
    ProfileTable many;
    for (int number = 1; number <= 32768; ++number) {
        many.profiles.push_back(kMaison);
        many.profiles.back().name = "P" + std::to_string(number);
    }
    ASSERT_TRUE(ui::writeProfilesAsking(file, many, dialogs));
    EXPECT_EQ(testing::readFileBytes(file).substr(0, 18), " 32768 \r\nP1\r\n/home");
    const ProfileTable loaded = ui::readProfilesShowing(file, dialogs);
    EXPECT_TRUE(dialogs.shown().empty());
    ASSERT_EQ(loaded.count(), 32768);
    EXPECT_EQ(loaded.at(32768).name, "P32768");
}

TEST_F(ProfileFile, AFolderWithoutWriteRightIsReportedAndTheOldFileStays)
{
    ProfileTable maison{{kMaison}};
    ASSERT_TRUE(ui::writeProfilesAsking(file, maison, dialogs));
    const std::string before = testing::readFileBytes(file);
    tree.chownAll(testing::kNobody, testing::kNobody);
    ::chmod(tree.root().c_str(), 0555);

    const std::string report = testing::inChild([&] {
        if (!testing::becomeNobody()) return std::string("cannot drop privileges");
        ProfileTable none;
        const bool written = ui::writeProfilesAsking(file, none, dialogs);
        const auto& box = dialogs.shown().at(0);
        return std::to_string(written) + "|" + box.text + "|" + box.title + "|" +
               std::to_string(box.icon == ui::Icon::Critical);
    });

    EXPECT_EQ(report, "0|Impossible d'écrire le fichier de Profils\nPermission non accordée|Attention|1");
    EXPECT_EQ(testing::readFileBytes(file), before);
}

TEST_F(ProfileFile, TheFirstRewriteOfASessionKeepsThePreviousFileAndAnIncorrectOneIsReplacedOnlyWhenTheUserSaysSo)
{
    const std::string backup = tree.path("ArchProfils.vlr.bak");
    ProfileTable table{{kMaison}};
    ASSERT_TRUE(ui::writeProfilesAsking(file, table, dialogs));
    EXPECT_FALSE(platform::fileExists(backup));
    const std::string first = testing::readFileBytes(file);
    // A link at the backup's name is replaced, never written through.
    const std::string elsewhere = tree.makeFile("ailleurs.txt", "intact");
    tree.makeLink("ArchProfils.vlr.bak", elsewhere);
    ProfileTable session = ui::readProfilesShowing(file, dialogs);
    session.profiles.push_back(kMaison);
    ASSERT_TRUE(ui::writeProfilesAsking(file, session, dialogs));
    EXPECT_EQ(testing::readFileBytes(backup), first);
    EXPECT_EQ(testing::readFileBytes(elsewhere), "intact");
    // Later rewrites of the session leave the file as the session found it, even after a reading
    // again of a file changed by hand.
    session.profiles.push_back(kMaison);
    ASSERT_TRUE(ui::writeProfilesAsking(file, session, dialogs));
    tree.makeFile("ArchProfils.vlr", " 1 \r\nMain\r\n/a\r\n/b\r\n0\r\nx\r\n1\r\ny\r\n");
    EXPECT_TRUE(ui::rereadShowing(file, session, dialogs));
    ASSERT_TRUE(ui::writeProfilesAsking(file, session, dialogs));
    EXPECT_EQ(testing::readFileBytes(backup), first);
    EXPECT_TRUE(dialogs.shown().empty());

    const std::string damaged = " 2 \r\nMaison\r\n/a\r\n";
    ProfileTable loaded = load(damaged);
    loaded.profiles.push_back(kMaison);
    dialogs.clear();
    EXPECT_FALSE(ui::writeProfilesAsking(file, loaded, dialogs));  // No, the default answer
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const ui::Message& box = dialogs.shown()[0];
    EXPECT_EQ(box.text + "|" + box.title, "Le fichier de Profils " + file +
                                              " est incorrect : le remplacer ? Il sera gardé sous "
                                              "ArchProfils.vlr.bak|Attention");
    EXPECT_TRUE(box.icon == ui::Icon::Warning && box.buttons == ui::Buttons::YesNo &&
                box.defaultButton == ui::Answer::No);
    EXPECT_EQ(testing::readFileBytes(file), damaged);

    dialogs.queueAnswer(ui::Answer::Yes);
    EXPECT_TRUE(ui::writeProfilesAsking(file, loaded, dialogs));
    EXPECT_EQ(testing::readFileBytes(backup), damaged);
    EXPECT_EQ(testing::readFileBytes(file), first);
    EXPECT_TRUE(ui::writeProfilesAsking(file, loaded, dialogs));  // replaced once: no question any more
    EXPECT_EQ(dialogs.shown().size(), 2u);

    // The program names its file, in the working directory, by its full path.
    load(damaged);
    const std::string asked = testing::inChild([&] {
        if (::chdir(tree.root().c_str()) != 0) return std::string("cannot enter the folder");
        ui::ScriptedDialogs own;
        ProfileTable relative = ui::readProfilesShowing(kProfileFileName, own);
        const bool written = ui::writeProfilesAsking(kProfileFileName, relative, own);
        std::string out = std::to_string(written);
        for (const auto& b : own.shown()) out += "|" + b.text;
        return out;
    });
    EXPECT_EQ(asked, "0|Fichier de Profils Incorrect|Le fichier de Profils " + file +
                         " est incorrect : le remplacer ? Il sera gardé sous ArchProfils.vlr.bak");
}

TEST_F(ProfileFile, ProfilesBeyondTheCountAreNotLoadedButAreKeptAsTheBackupWhenTheUserSaysSo)
{
    const std::string record = "Un\r\n/a\r\n/b\r\n0\r\nx\r\n1\r\ny\r\n";
    const std::string second = "Deux\r\n/c\r\n/d\r\n 01\r\nx\r\n+2\r\ny\r\n"
                                "Trois\r\n/e\r\n/f\r\n7\r\nx\r\n-3\r\ny\r\n";
    const std::string backup = tree.path("ArchProfils.vlr.bak");

    // Blank lines after the counted profiles are nothing to lose.
    ProfileTable blank = load(" 1 \r\n" + record + "\r\n  \r\n");
    ASSERT_EQ(blank.count(), 1);
    EXPECT_TRUE(ui::writeProfilesAsking(file, blank, dialogs));
    EXPECT_TRUE(dialogs.shown().empty());

    const std::string both = " 1 \r\n" + record + "\r\n" + second;
    ProfileTable table = load(both);
    ASSERT_EQ(table.count(), 1);
    EXPECT_TRUE(dialogs.shown().empty()) << "loaded as the count says, without a box";
    table.profiles.push_back(kMaison);
    EXPECT_FALSE(ui::writeProfilesAsking(file, table, dialogs));  // No, the default answer
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Le fichier de Profils " + file +
                                           " est incorrect : le remplacer ? Il sera gardé sous ArchProfils.vlr.bak");
    EXPECT_EQ(testing::readFileBytes(file), both);

    dialogs.queueAnswer(ui::Answer::Yes);
    EXPECT_TRUE(ui::writeProfilesAsking(file, table, dialogs));
    EXPECT_EQ(testing::readFileBytes(backup), both);
    EXPECT_EQ(loadProfileFile(file).table.count(), 2);
    table.profiles.pop_back();
    EXPECT_TRUE(ui::writeProfilesAsking(file, table, dialogs));
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(testing::readFileBytes(backup), both) << "two saves later the second profile is still there";

    // A count of 0 followed by a profile is asked about too.
    dialogs.clear();
    ProfileTable none = load(" 0 \r\n" + second);
    dialogs.clear();
    none.profiles.push_back(kMaison);
    EXPECT_FALSE(ui::writeProfilesAsking(file, none, dialogs));
    EXPECT_EQ(dialogs.shown().size(), 1u);
}

TEST(ProfileFileOnFat, WhereAVolumeHasNoHardLinksTheBackupIsACopy)
{
    const std::string why = testing::whyNotMountable(testing::VolumeKind::Fat32);
    if (!why.empty()) GTEST_SKIP() << why;
    testing::TempFolder tree;
    testing::MountedVolume key(testing::VolumeKind::Fat32, tree.root());
    const std::string file = key.mountPoint() + "/ArchProfils.vlr";
    ui::ScriptedDialogs dialogs;
    ProfileTable table{{kMaison}};
    ASSERT_TRUE(ui::writeProfilesAsking(file, table, dialogs)) << dialogs.shown().at(0).text;
    const std::string first = testing::readFileBytes(file);
    ProfileTable session = ui::readProfilesShowing(file, dialogs);
    session.profiles.push_back(kMaison);
    ASSERT_TRUE(ui::writeProfilesAsking(file, session, dialogs)) << dialogs.shown().at(0).text;
    EXPECT_EQ(testing::readFileBytes(file + ".bak"), first);
    EXPECT_EQ(loadProfileFile(file).table.count(), 2);
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace velmorane::profiles
