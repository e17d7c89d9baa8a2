#include "execution/journal.h"
#include "tests/ui/main_window_fixture.h"

#include <filesystem>
#include <regex>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;

class StartUp : public MainWindowTest {
protected:
    StartUp()
    {
        tree.makeFile("travail/a.txt", "aaa");
        tree.makeFolder("archive");
        const std::string work = tree.path("travail"), archive = tree.path("archive");
        const auto profile = [&](const std::string& name) {
            return std::vector<std::string>{name, work, archive, "0", "&Travail => Archive", "1",
                                            "&Personnaliser la Mise à Jour"};
        };
        writeProfiles({profile("Autre"), profile("Maison"), profile("Mon"), profile("Bureau"), profile("MAISON"),
                       {"Pareil", work, work, "0", "&Travail => Archive", "1", "&Personnaliser la Mise à Jour"}});
    }

    std::string journal() const
    {
        return fs::exists(tree.path("ArchJournal.vlr")) ? readFileBytes(tree.path("ArchJournal.vlr")) : "";
    }
};

TEST_F(StartUp, WithoutCommandLineNothingIsChosen)
{
    ui::Main& w = start();
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_EQ(state.profActif, -1);
    EXPECT_EQ(state.settings.sensTransfert, -1);
    EXPECT_EQ(state.settings.typeAction, -1);
    EXPECT_EQ(w.newProf.size(), 7u);
    for (QAction* item : w.newProf) EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(w.execAuto());
    EXPECT_EQ(w.autoWindow(), nullptr);
    EXPECT_FALSE(w.exitStatus());
}

TEST_F(StartUp, TheWordsOfTheCommandLineOpenOrExecuteTheLastProfileOfThatName)
{
    struct Case {
        const char* commandLine;
        int opened;
        bool executed;
        const char* autoCaption;
    };
    for (const Case& c : std::vector<Case>{{"maison", 5, false, ""},
                                           {"Maison x", 5, true, "Profil Maison en cours d'exécution"},
                                           {"MAISON X", 5, true, "Profil MAISON en cours d'exécution"},
                                           {"Maison X suite", 5, true, "Profil Maison en cours d'exécution"},
                                           {"Maison Xtra", 5, false, ""},
                                           {"  Maison\t  X ", 5, true, "Profil Maison en cours d'exécution"},
                                           {"Mon Profil X", 3, false, ""},
                                           {"Absent X", -1, false, ""}}) {
        SCOPED_TRACE(c.commandLine);
        fs::remove(tree.path("ArchJournal.vlr"));
        dialogs.clear();
        ui::Main& w = start(c.commandLine);
        EXPECT_EQ(state.profActif, c.opened);
        EXPECT_EQ(w.exitStatus().has_value(), c.executed);
        EXPECT_EQ(!journal().empty(), c.executed);
        EXPECT_TRUE(dialogs.shown().empty());
        if (c.executed) {
            ASSERT_NE(w.autoWindow(), nullptr);
            EXPECT_EQ(w.autoWindow()->windowTitle().toStdString(), c.autoCaption);
            EXPECT_EQ(w.autoWindow()->Affiche->text().toStdString(), "Exécution\ndes\ntâches");
            EXPECT_FALSE(w.autoWindow()->isVisible());
            EXPECT_EQ(*w.exitStatus(), 0);
        } else {
            EXPECT_EQ(w.autoWindow(), nullptr);
            EXPECT_EQ(w.modeEcran(), 1);
        }
    }
}

TEST_F(StartUp, AnUnattendedRunExecutesEveryEntryAndWritesTheJournal)
{
    tree.makeFile("archive/vieux.txt", "v");
    ui::Main& w = start("Bureau X");
    ASSERT_EQ(w.exitStatus(), std::optional<int>(0));
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
    // Windows-1252 bytes, CR LF line ends: "à" is 0xE0 and "é" 0xE9.
    const std::regex entry("Le [0-9]{2}/[0-9]{2}/[0-9]{4} \xE0 [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"
                           "\tEx\xE9" "cution du Profil Bureau : OK\r\n");
    EXPECT_TRUE(std::regex_match(journal(), entry)) << journal();
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Bureau");
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(StartUp, AnUnattendedRunThatStopsBeforeExecutingLeavesAnOrdinaryWindow)
{
    ui::Main& w = start("Pareil X");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Travail et Archive doivent être différents.");
    EXPECT_EQ(dialogs.shown()[0].title, "Profil Incorrect");
    EXPECT_FALSE(w.exitStatus());
    EXPECT_FALSE(w.execAuto());
    ASSERT_NE(w.autoWindow(), nullptr);
    EXPECT_FALSE(w.autoWindow()->isVisible());
    EXPECT_EQ(journal(), "");

    // The next run goes to the review instead of executing at once.
    w.newProf[2]->trigger();
    w.Lance_Click();
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(entries(w.fichAjout).size(), 1u);
    EXPECT_FALSE(fs::exists(tree.path("archive/a.txt")));
}

TEST_F(StartUp, AJournalThatCannotBeWrittenIsPutAsAQuestion)
{
    tree.makeFolder("ArchJournal.vlr");  // a folder where the journal file should be
    dialogs.queueAnswer(platform::Answer::No);
    ui::Main& w = start("Maison X");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Erreur grave");
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(dialogs.shown()[0].text.find("Sur le fichier : ArchJournal.vlr") != std::string::npos)
        << dialogs.shown()[0].text;
    EXPECT_FALSE(w.exitStatus());  // No leaves the program open
    EXPECT_FALSE(w.execAuto());
    EXPECT_TRUE(fs::exists(tree.path("archive/a.txt")));

    dialogs.clear();
    fs::remove(tree.path("archive/a.txt"));
    dialogs.queueAnswer(platform::Answer::Yes);
    ui::Main& again = start("Maison X");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(again.exitStatus(), std::optional<int>(1));  // Yes ends the program
}

}  // namespace
}  // namespace velmorane::testing
