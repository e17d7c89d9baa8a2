#include "platform/file_stamp.h"
#include "tests/support/qt_scripted_dialogs.h"
#include "ui/profile_dialogs.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_file.h"
#include "profiles/profile_ordering.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::profiles {
namespace {

using ui::Answer;
using ui::Icon;
using testing::readFileBytes;
using testing::TempFolder;

Profile profile(const std::string& name, const std::string& work)
{
    return Profile{name, {work, "/archives", engine::Direction::WorkToArchive, engine::Action::Update, "&Travail => Archive",
                         "&Personnaliser la Mise à Jour"}};
}

class ProfileEditing : public ::testing::Test {
protected:
    ProfileEditing()
    {
        state.profileFilePath = folder.path("ArchProfils.vlr");
        state.settings = {"/home/ana/Docs", "/media/cle/Docs", engine::Direction::ArchiveToWork, engine::Action::DeleteOnly,
                          "Archive => &Travail", "Supprimer &Seulement"};
    }

    void given(std::vector<Profile> profiles, int active = -1)
    {
        state.profileTable.profiles = std::move(profiles);
        state.activeProfile = active;
        ASSERT_FALSE(writeProfileFile(state.profileFilePath, state.profileTable));
        state.profileTable.fileStamp = platform::fileStamp(state.profileFilePath);
    }

    // "name work-folder" of each profile in the file.
    std::vector<std::string> onDisk() const
    {
        std::vector<std::string> profiles;
        for (const auto& p : loadProfileFile(state.profileFilePath).table.profiles) {
            profiles.push_back(p.name + " " + p.settings.source);
        }
        return profiles;
    }

    TempFolder folder;
    SharedState state;
    ui::ScriptedDialogs dialogs;
};

TEST_F(ProfileEditing, AFolderNameThatIsNotUtf8IsRefusedAndTheFileKeepsItsAccents)
{
    given({profile("Été", "/a")}, 1);
    const std::string before = readFileBytes(state.profileFilePath);
    state.settings.archive = "/media/cl\xE9/r\xE9sum\xE9";

    EXPECT_EQ(ui::addProfileAsking(state, "Latin", dialogs).outcome, AddOutcome::PathNotText);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text + "|" + dialogs.shown()[0].title,
              "Le nom du dossier /media/cl\xE9/r\xE9sum\xE9 n'est pas en UTF-8 : il ne peut pas être enregistré dans "
              "un Profil|Ecriture Impossible");
    EXPECT_EQ(readFileBytes(state.profileFilePath), before);
    EXPECT_EQ(state.profileTable.count(), 1);
    EXPECT_EQ(state.activeProfile, 1);
}

TEST_F(ProfileEditing, AddingRefusesAnEmptyNameAndAppendsATrimmedOneEvenAPrefixMakesItActiveAndWritesTheFile)
{
    given({profile("Maison", "/a")}, 1);
    EXPECT_EQ(ui::addProfileAsking(state, "   ", dialogs).outcome, AddOutcome::NameMissing);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text + "|" + dialogs.shown()[0].title,
              "Il faut un Nom de Profil|Ecriture Impossible");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Critical);

    const AddResult result = ui::addProfileAsking(state, "  Mai  ", dialogs);

    EXPECT_EQ(result.outcome, AddOutcome::Saved);
    EXPECT_EQ(result.number, 2);
    EXPECT_TRUE(result.added);
    EXPECT_EQ(state.activeProfile, 2);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(readFileBytes(state.profileFilePath),
              " 2 \r\nMaison\r\n/a\r\n/archives\r\n0\r\n&Travail => Archive\r\n1\r\n&Personnaliser la Mise \xE0 Jour\r\n"
              "Mai\r\n/home/ana/Docs\r\n/media/cle/Docs\r\n1\r\nArchive => &Travail\r\n3\r\nSupprimer &Seulement\r\n");
}

TEST_F(ProfileEditing, ANameDifferingOnlyInCaseAsksToRedefineTheFirstProfileOfThatName)
{
    given({profile("Alpha", "/x"), profile("Maison", "/a"), profile("MAISON", "/b")}, 1);
    const std::string before = readFileBytes(state.profileFilePath);

    dialogs.queueAnswer(Answer::No);
    EXPECT_EQ(ui::addProfileAsking(state, "maison", dialogs).outcome, AddOutcome::NeedsRedefineConsent);
    EXPECT_EQ(readFileBytes(state.profileFilePath), before);
    EXPECT_EQ(state.activeProfile, 1);

    dialogs.queueAnswer(Answer::Yes);
    const AddResult result = ui::addProfileAsking(state, "maison", dialogs);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text + "|" + dialogs.shown()[1].title, "Redéfinir maison|Attention");
    EXPECT_TRUE(dialogs.shown()[1].icon == Icon::Question && dialogs.shown()[1].buttons == ui::Buttons::YesNo);
    EXPECT_EQ(result.number, 2);
    EXPECT_FALSE(result.added);
    EXPECT_EQ(state.activeProfile, 2);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Alpha /x", "maison /home/ana/Docs", "MAISON /b"}));
}

TEST_F(ProfileEditing, DeletingMovesTheFollowingProfilesUpTheActiveOneFollowsAndNoneLeftIsAnEmptyFile)
{
    given({profile("A", "/a"), profile("B", "/b"), profile("C", "/c"), profile("D", "/d")}, 3);

    EXPECT_FALSE(ui::deleteProfileShowing(state, 0, dialogs));
    EXPECT_EQ(state.profileTable.count(), 4);

    EXPECT_TRUE(ui::deleteProfileShowing(state, 1, dialogs));  // before the active one
    EXPECT_EQ(state.activeProfile, 2);
    EXPECT_EQ(state.profileTable.at(state.activeProfile).name, "C");

    EXPECT_TRUE(ui::deleteProfileShowing(state, 3, dialogs));  // the last, after the active one
    EXPECT_EQ(state.activeProfile, 2);

    EXPECT_TRUE(ui::deleteProfileShowing(state, 2, dialogs));  // the active one
    EXPECT_EQ(state.activeProfile, -1);
    EXPECT_EQ(onDisk(), std::vector<std::string>{"B /b"});

    EXPECT_TRUE(ui::deleteProfileShowing(state, 1, dialogs));
    EXPECT_EQ(readFileBytes(state.profileFilePath), " 0 \r\n");
    EXPECT_EQ(ui::readProfilesShowing(state.profileFilePath, dialogs).count(), 0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Fichier de Profils Vide");
}

TEST_F(ProfileEditing, OrderingIgnoresCaseThenTakesTheFoldersKeepsAccentsInPlaceAndTheActiveProfileFollows)
{
    given({profile("beta", "/b"), profile("Gamma", "/g"), profile("Maison", "/srv/D/B"), profile("Alpha", "/a"),
           profile("maison", "/srv/C/A"), profile("Émile", "/m"), profile("Eric", "/e")},
          1);
    EXPECT_TRUE(ui::orderProfilesShowing(state, dialogs));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Alpha /a", "beta /b", "Émile /m", "Eric /e", "Gamma /g",
                                               "maison /srv/C/A", "Maison /srv/D/B"}));
    EXPECT_EQ(state.activeProfile, 2);

    const std::string once = readFileBytes(state.profileFilePath);
    EXPECT_TRUE(ui::orderProfilesShowing(state, dialogs));
    EXPECT_EQ(readFileBytes(state.profileFilePath), once);
    EXPECT_EQ(state.activeProfile, 2);
}

TEST_F(ProfileEditing, OrderingOneProfileLeavesTheFileUntouched)
{
    given({profile("Seul", "/a")});
    folder.setMtime("ArchProfils.vlr", testing::kTestTime);  // any writing would change it
    state.profileTable.fileStamp = platform::fileStamp(state.profileFilePath);
    const auto before = testing::readTree(folder.root());
    EXPECT_FALSE(ui::orderProfilesShowing(state, dialogs));
    EXPECT_EQ(testing::readTree(folder.root()), before);
}

TEST_F(ProfileEditing, AFileChangedByHandIsReadAgainAndEachChangeIsAppliedToWhatItNowHolds)
{
    given({profile("A", "/a"), profile("B", "/b"), profile("C", "/c")}, 2);
    const auto byHand = [&](const std::vector<Profile>& profiles) {
        ProfileTable table(profiles);
        ASSERT_FALSE(writeProfileFile(state.profileFilePath, table));
    };

    // A profile added by hand before the window's own: both stay, and B stays active.
    byHand({profile("A", "/a"), profile("Main", "/m"), profile("B", "/b"), profile("C", "/c")});
    EXPECT_EQ(ui::addProfileAsking(state, "Neuf", dialogs).number, 5);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"A /a", "Main /m", "B /b", "C /c", "Neuf /home/ana/Docs"}));

    // The profile chosen for deletion has moved in the file: that one is deleted, no other.
    state.activeProfile = 2;
    byHand({profile("C", "/c"), profile("Neuf", "/home/ana/Docs"), profile("A", "/a2"), profile("Main", "/m")});
    EXPECT_TRUE(ui::deleteProfileShowing(state, 1, dialogs));  // A, edited by hand meanwhile: found by its name
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"C /c", "Neuf /home/ana/Docs", "Main /m"}));
    EXPECT_EQ(state.activeProfile, 3);  // Main, active, follows its own lines

    // Ordering orders what the file holds now; a profile deleted by hand stays deleted.
    byHand({profile("Z", "/z"), profile("C", "/c")});
    EXPECT_TRUE(ui::orderProfilesShowing(state, dialogs));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"C /c", "Z /z"}));
    byHand({profile("Z", "/z")});
    EXPECT_TRUE(ui::deleteProfileShowing(state, 1, dialogs));  // C, gone from the file already
    EXPECT_EQ(onDisk(), std::vector<std::string>{"Z /z"});
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace velmorane::profiles
