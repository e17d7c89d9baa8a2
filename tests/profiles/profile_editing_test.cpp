#include "platform/scripted_dialogs.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_file.h"
#include "profiles/profile_ordering.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velmorane::profiles {
namespace {

using platform::Answer;
using platform::Icon;
using testing::readFileBytes;
using testing::TempFolder;

Profile profile(const std::string& name, const std::string& work, const std::string& archive = "/archives")
{
    return Profile{{name, work, archive, "0", "&Travail => Archive", "1", "&Personnaliser la Mise à Jour"}};
}

class ProfileEditing : public ::testing::Test {
protected:
    ProfileEditing()
    {
        state.profileFilePath = folder.path("ArchProfils.vlr");
        state.settings = {"/home/ana/Docs", "/media/cle/Docs", 1, 3, "Archive => &Travail", "Supprimer &Seulement"};
    }

    void given(std::vector<Profile> profiles, int active = -1)
    {
        state.tabProfils.profiles = std::move(profiles);
        state.profActif = active;
        ASSERT_FALSE(writeProfileFile(state.profileFilePath, state.tabProfils));
    }

    std::vector<std::string> namesOnDisk() const
    {
        std::vector<std::string> names;
        for (const auto& p : loadProfileFile(state.profileFilePath).table.profiles) names.push_back(p.name());
        return names;
    }

    TempFolder folder;
    SharedState state;
    platform::ScriptedDialogs dialogs;
};

TEST_F(ProfileEditing, AddingAppendsTheTrimmedNameMakesItActiveAndWritesTheFile)
{
    given({profile("Maison", "/a")}, 1);
    const AddResult result = addProfile(state, "  Bureau  ", dialogs);

    EXPECT_EQ(result.outcome, AddOutcome::Saved);
    EXPECT_EQ(result.number, 2);
    EXPECT_TRUE(result.added);
    EXPECT_EQ(state.profActif, 2);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(readFileBytes(state.profileFilePath),
              " 2 \r\nMaison\r\n/a\r\n/archives\r\n0\r\n&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n"
              "Bureau\r\n/home/ana/Docs\r\n/media/cle/Docs\r\n1\r\nArchive => &Travail\r\n3\r\nSupprimer &Seulement\r\n");
}

TEST_F(ProfileEditing, AnEmptyNameIsRefusedAndNothingIsWritten)
{
    given({profile("Maison", "/a")});
    const std::string before = readFileBytes(state.profileFilePath);
    EXPECT_EQ(addProfile(state, "   ", dialogs).outcome, AddOutcome::NameMissing);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Il faut un Nom de Profil");
    EXPECT_EQ(dialogs.shown()[0].title, "Ecriture Impossible");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(state.tabProfils.nbProfils(), 1);
    EXPECT_EQ(readFileBytes(state.profileFilePath), before);
}

TEST_F(ProfileEditing, ANameDifferingOnlyInCaseAsksToRedefineTheFirstProfileOfThatName)
{
    given({profile("Alpha", "/x"), profile("Maison", "/a"), profile("MAISON", "/b")}, 1);
    const std::string before = readFileBytes(state.profileFilePath);

    dialogs.queueAnswer(Answer::No);
    EXPECT_EQ(addProfile(state, "maison", dialogs).outcome, AddOutcome::Declined);
    EXPECT_EQ(readFileBytes(state.profileFilePath), before);
    EXPECT_EQ(state.profActif, 1);

    dialogs.queueAnswer(Answer::Yes);
    const AddResult result = addProfile(state, "maison", dialogs);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, "Redéfinir maison");
    EXPECT_EQ(dialogs.shown()[1].title, "Attention");
    EXPECT_EQ(dialogs.shown()[1].icon, Icon::Question);
    EXPECT_EQ(dialogs.shown()[1].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(result.number, 2);
    EXPECT_FALSE(result.added);
    EXPECT_EQ(state.profActif, 2);
    EXPECT_EQ(state.tabProfils.nbProfils(), 3);
    EXPECT_EQ(state.tabProfils.at(2).settings().source, "/home/ana/Docs");
    EXPECT_EQ(state.tabProfils.at(3).settings().source, "/b");
    EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"Alpha", "maison", "MAISON"}));
}

TEST_F(ProfileEditing, APrefixOfAnExistingNameIsANewProfile)
{
    given({profile("Maison", "/a")});
    EXPECT_TRUE(addProfile(state, "Mai", dialogs).added);
    EXPECT_TRUE(addProfile(state, "son", dialogs).added);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"Maison", "Mai", "son"}));
}

TEST_F(ProfileEditing, DeletingMovesTheFollowingProfilesUpAndTheActiveProfileFollows)
{
    given({profile("A", "/a"), profile("B", "/b"), profile("C", "/c"), profile("D", "/d")}, 3);

    EXPECT_FALSE(deleteProfile(state, 0, dialogs));
    EXPECT_EQ(state.tabProfils.nbProfils(), 4);

    EXPECT_TRUE(deleteProfile(state, 1, dialogs));  // before the active one
    EXPECT_EQ(state.profActif, 2);
    EXPECT_EQ(state.tabProfils.at(state.profActif).name(), "C");

    EXPECT_TRUE(deleteProfile(state, 3, dialogs));  // the last, after the active one
    EXPECT_EQ(state.profActif, 2);

    EXPECT_TRUE(deleteProfile(state, 2, dialogs));  // the active one
    EXPECT_EQ(state.profActif, -1);
    EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"B"}));
}

TEST_F(ProfileEditing, DeletingTheLastProfileLeavesACountOfZeroThatTheNextStartReportsAsEmpty)
{
    given({profile("Seul", "/a")}, 1);
    EXPECT_TRUE(deleteProfile(state, 1, dialogs));
    EXPECT_EQ(readFileBytes(state.profileFilePath), " 0 \r\n");

    const ProfileTable table = lireProfils(state.profileFilePath, dialogs);
    EXPECT_EQ(table.nbProfils(), 0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Fichier de Profils Vide");
}

TEST_F(ProfileEditing, OrderingIgnoresCaseAndTheActiveProfileFollowsItsOwn)
{
    given({profile("beta", "/b"), profile("Gamma", "/g"), profile("Alpha", "/a")}, 1);
    EXPECT_TRUE(orderProfiles(state, dialogs));
    EXPECT_EQ(namesOnDisk(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(state.profActif, 2);

    const std::string once = readFileBytes(state.profileFilePath);
    EXPECT_TRUE(orderProfiles(state, dialogs));
    EXPECT_EQ(readFileBytes(state.profileFilePath), once);
    EXPECT_EQ(state.profActif, 2);
}

TEST_F(ProfileEditing, OrderingPutsEqualNamesInTheOrderOfTheirFoldersAndAccentsAsAFrenchReaderExpects)
{
    given({profile("Zoé", "/z"), profile("Maison", "/srv/D/B"), profile("Eric", "/e"), profile("maison", "/srv/C/A"),
           profile("Émile", "/m"), profile("Mai", "/x")});
    EXPECT_TRUE(orderProfiles(state, dialogs));
    const auto& profiles = state.tabProfils.profiles;
    std::vector<std::string> order;
    for (const auto& p : profiles) order.push_back(p.name() + " " + p.fields[1]);
    EXPECT_EQ(order, (std::vector<std::string>{"Émile /m", "Eric /e", "Mai /x", "maison /srv/C/A", "Maison /srv/D/B",
                                               "Zoé /z"}));
    EXPECT_EQ(state.profActif, -1);
}

TEST_F(ProfileEditing, OrderingOneProfileLeavesTheFileUntouched)
{
    given({profile("Seul", "/a")});
    folder.setMtime("ArchProfils.vlr", testing::kTestTime);
    EXPECT_FALSE(orderProfiles(state, dialogs));
    struct stat info{};
    ASSERT_EQ(::stat(state.profileFilePath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, testing::kTestTime);
}

}  // namespace
}  // namespace velmorane::profiles
