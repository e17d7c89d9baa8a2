#include "platform/scripted_dialogs.h"
#include "profiles/profile_file.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

namespace velmorane::profiles {
namespace {

const Profile kMaison{{"Maison", "/home/ana/Documents", "/media/ana/Archives", "0", "&Travail => Archive", "1",
                       "&Personnaliser la Mise à Jour"}};

std::vector<std::string> names(const ProfileTable& table)
{
    std::vector<std::string> out;
    for (const auto& profile : table.profiles) out.push_back(profile.name());
    return out;
}

class ProfileFileTest : public ::testing::Test {
protected:
    ProfileTable load(const std::string& bytes)
    {
        tree.makeFile("ArchProfils.vlr", bytes);
        return lireProfils(file, dialogs);
    }

    testing::TempFolder tree;
    std::string file = tree.path("ArchProfils.vlr");
    platform::ScriptedDialogs dialogs;
};

using LireProfilsFailures = ProfileFileTest;

TEST_F(LireProfilsFailures, EachFailureShowsItsBoxAndLeavesNoProfile)
{
    const std::string record = "P\r\n/a\r\n/b\r\n0\r\n&Travail => Archive\r\n1\r\n&Comparer\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {"", "Fichier de Profils Incorrect"},
        {" 0 \r\n", "Fichier de Profils Vide"},
        {" 3 \r\n" + record + record, "Fichier de Profils Incorrect"},
        {" 1 \r\nP\r\n/a\r\n/b\r\nO\r\n&Travail => Archive\r\n1\r\n&Comparer\r\n", "Fichier de Profils Incorrect"},
        {" 40000 \r\n" + record, "Fichier de Profils Incorrect"},
        {" -1 \r\n" + record, "Fichier de Profils Incorrect"},
    };
    for (const auto& [bytes, message] : cases) {
        dialogs.clear();
        EXPECT_TRUE(load(bytes).profiles.empty()) << bytes;
        ASSERT_EQ(dialogs.shown().size(), 1u) << bytes;
        EXPECT_EQ(dialogs.shown()[0].text, message) << bytes;
        EXPECT_EQ(dialogs.shown()[0].title, "Attention");
        EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::Critical);
        EXPECT_EQ(dialogs.shown()[0].buttons, platform::Buttons::Ok);
    }
}

TEST_F(LireProfilsFailures, NoFileIsNoProfileAndNoMessage)
{
    EXPECT_TRUE(lireProfils(file, dialogs).profiles.empty());
    EXPECT_TRUE(dialogs.shown().empty());
}

using LireProfilsReading = ProfileFileTest;

TEST_F(LireProfilsReading, OnlyTheCountedRecordsAreLoadedWhateverTheSpacesAroundTheCount)
{
    const std::string records = "Un\r\n/a\r\n/b\r\n0\r\nx\r\n1\r\ny\r\nDeux\r\n/c\r\n/d\r\n1\r\nx\r\n2\r\ny\r\n";
    EXPECT_EQ(names(load(" 1 \r\n" + records)), std::vector<std::string>{"Un"});
    EXPECT_EQ(names(load("2\r\n" + records)), (std::vector<std::string>{"Un", "Deux"}));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LireProfilsReading, AFileWrittenOnWindowsInItsCodePageLoads)
{
    const ProfileTable table =
        load(" 1 \r\nMaison\r\nC:\\Documents\r\nD:\\Archives\r\n0\r\n&Travail => Archive\r\n1\r\n"
             "&Personnaliser la Mise \xE0 Jour\r\n");

    ASSERT_EQ(table.nbProfils(), 1);
    EXPECT_EQ(table.at(1).fields[6], "&Personnaliser la Mise à Jour");
    EXPECT_EQ(table.at(1).fields[1], "C:\\Documents");
}

using EcrireProfils = ProfileFileTest;

TEST_F(EcrireProfils, TheMaisonProfileIsWrittenAsEightWindowsLines)
{
    EXPECT_TRUE(ecrireProfils(file, ProfileTable{{kMaison}}, dialogs));

    EXPECT_EQ(testing::readFileBytes(file), " 1 \r\nMaison\r\n/home/ana/Documents\r\n/media/ana/Archives\r\n0\r\n"
                                            "&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n");
}

TEST_F(EcrireProfils, FieldsComeBackExactlyAsTheyWereWrittenAndCodesAsPlainNumbers)
{
    Profile odd{{"007", "/home/a, \"b\"", "/Été/Ωmega", " 01", "&Travail => Archive", "+4", "Ç'est"}};
    ASSERT_TRUE(ecrireProfils(file, ProfileTable{{odd, kMaison}}, dialogs));
    const ProfileTable once = lireProfils(file, dialogs);
    ASSERT_TRUE(ecrireProfils(file, once, dialogs));

    const std::string bytes = testing::readFileBytes(file);
    EXPECT_NE(bytes.find("/\xC3\x89t\xC3\xA9/\xCE\xA9mega\r\n"), std::string::npos) << "Ω does not fit Windows-1252";
    const ProfileTable twice = lireProfils(file, dialogs);
    odd.fields[3] = "1";
    odd.fields[5] = "4";
    ASSERT_EQ(twice.nbProfils(), 2);
    EXPECT_EQ(twice.at(1).fields, odd.fields);
    EXPECT_EQ(twice.at(2).fields, kMaison.fields);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(EcrireProfils, AFolderWithoutWriteRightIsReportedAndTheOldFileStays)
{
    ASSERT_TRUE(ecrireProfils(file, ProfileTable{{kMaison}}, dialogs));
    const std::string before = testing::readFileBytes(file);
    tree.chownAll(testing::kNobody, testing::kNobody);
    ::chmod(tree.root().c_str(), 0555);

    const std::string report = testing::inChild([&] {
        if (!testing::becomeNobody()) return std::string("cannot drop privileges");
        const bool written = ecrireProfils(file, ProfileTable{}, dialogs);
        const auto& box = dialogs.shown().at(0);
        return std::to_string(written) + "|" + box.text + "|" + box.title + "|" +
               std::to_string(box.icon == platform::Icon::Critical);
    });

    EXPECT_EQ(report, "0|Impossible d'écrire le fichier de Profils\r\n" + std::string(std::strerror(EACCES)) +
                          "|Attention|1");
    EXPECT_EQ(testing::readFileBytes(file), before);
}

}  // namespace
}  // namespace velmorane::profiles
