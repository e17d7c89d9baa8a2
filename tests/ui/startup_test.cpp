#include "tests/ui/main_window_fixture.h"

#include <filesystem>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;

class StartUp : public MainWindowTest {
protected:
    StartUp()
    {
        makeMirrorTree(tree);
        const std::string work = tree.path("travail"), archive = tree.path("archive");
        writeProfiles({profile("Autre", work, archive), profile("Maison", work, archive), profile("Mon", work, archive),
                       profile("Bureau", work, archive), profile("MAISON", work, archive), profile("Pareil", work, work)});
    }

    std::string journal() const
    {
        return fs::exists(tree.path("ArchJournal.vlr")) ? readFileBytes(tree.path("ArchJournal.vlr")) : "";
    }
};

TEST_F(StartUp, TheWordsOfTheCommandLineOpenOrExecuteTheLastProfileOfThatName)
{
    struct Case {
        const char* commandLine;
        int opened;
        const char* autoCaption;  // empty when nothing is executed
    };
    for (const Case& c : std::vector<Case>{{"", -1, ""},
                                           {"maison", 5, ""},
                                           {"Maison x", 5, "Profil Maison en cours d'exécution"},
                                           {"MAISON X", 5, "Profil MAISON en cours d'exécution"},
                                           {"Maison X suite", 5, "Profil Maison en cours d'exécution"},
                                           {"Maison Xtra", 5, ""},
                                           {"  Maison\t  X ", 5, "Profil Maison en cours d'exécution"},
                                           {"Mon Profil X", 3, ""},
                                           {"Absent X", -1, ""}}) {
        SCOPED_TRACE(c.commandLine);
        const bool executed = *c.autoCaption != '\0';
        fs::remove(tree.path("ArchJournal.vlr"));
        state = {};  // as in a new process
        ui::Main& w = start(c.commandLine);
        EXPECT_EQ(state.profActif, c.opened);
        EXPECT_EQ(w.exitStatus(), executed ? std::optional<int>(0) : std::nullopt);
        // A scheduled run of an unknown profile leaves its trace too.
        EXPECT_EQ(!journal().empty(), executed || std::string(c.commandLine) == "Absent X");
        EXPECT_EQ(shown(), std::vector<std::string>{});
        std::vector<bool> marks(7, false);
        if (c.opened >= 0) marks[static_cast<std::size_t>(c.opened)] = true;
        EXPECT_EQ(checks(w.newProf), marks);
        if (executed) {
            ASSERT_NE(w.autoWindow(), nullptr);
            EXPECT_EQ(caption(w.autoWindow()), c.autoCaption);
            EXPECT_EQ(w.autoWindow()->Affiche->text().toStdString(), "Exécution\ndes\ntâches");
            EXPECT_FALSE(w.autoWindow()->isVisible());
        } else {
            EXPECT_EQ(w.autoWindow(), nullptr);
            EXPECT_FALSE(w.execAuto());
            EXPECT_EQ(w.modeEcran(), 1);
        }
    }
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
}

TEST_F(StartUp, AnUnattendedRunThatStopsBeforeExecutingLeavesAnOrdinaryWindow)
{
    ui::Main& w = start("Pareil X");
    EXPECT_EQ(shown(), std::vector<std::string>{"Profil Incorrect: Travail et Archive doivent être différents."});
    EXPECT_FALSE(w.exitStatus());
    EXPECT_EQ(w.unattendedStatus(), std::optional<int>(2));  // once the window is closed
    EXPECT_FALSE(w.execAuto());
    // The journal says why nothing was executed.
    EXPECT_TRUE(journal().ends_with("\tExécution du Profil Pareil : Non exécuté (Travail et Archive "
                                    "doivent être différents.)\r\n"))
        << journal();

    // The next run goes to the review instead of executing at once.
    w.newProf[2]->trigger();
    w.Lance_Click();
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_FALSE(fs::exists(tree.path("archive/b.txt")));
}

TEST_F(StartUp, AnUnattendedRunThatWouldDeleteMostOfTheArchiveIsRefusedAndTheReviewExecutesIt)
{
    makeEmptiedSourceTree(tree, "gros/travail", "gros/archive");
    const std::string archive = tree.path("gros/archive");
    writeProfiles({profile("Gros", tree.path("gros/travail"), archive)});
    const auto before = readTree(archive);

    ui::Main& w = start("Gros X");
    const std::string refusal = "Exécution refusée : 600 fichier(s) à supprimer ou remplacer sur 1000 dans " + archive;
    EXPECT_EQ(shown(), std::vector<std::string>{"Attention: " + refusal});
    EXPECT_FALSE(w.exitStatus());
    EXPECT_EQ(w.unattendedStatus(), std::optional<int>(2));
    EXPECT_TRUE(journal().ends_with("\tExécution du Profil Gros : Non exécuté (" + refusal + ")\r\n")) << journal();
    EXPECT_EQ(readTree(archive), before);

    // The person who sees the lists may carry them out.
    dialogs.clear();
    w.Lance_Click();
    ASSERT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(entries(w.fichSuppr).size(), 600u);
    w.Selection_Click();
    EXPECT_EQ(shown(), std::vector<std::string>{"Rapport d'activité: Exécution terminée correctement !"});
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(tree.path("gros/travail"), FolderTimes::Left));
}

TEST_F(StartUp, AJournalThatCannotBeWrittenIsAskedAboutAndYesEndsWithStatusOne)
{
    tree.makeFolder("ArchJournal.vlr");  // a folder where the journal file should be
    dialogs.queueAnswer(ui::Answer::No);
    ui::Main& w = start("Maison X");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Erreur grave");
    EXPECT_EQ(dialogs.shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_NE(dialogs.shown()[0].text.find("Sur le fichier : ArchJournal.vlr"), std::string::npos) << shown()[0];
    EXPECT_FALSE(w.exitStatus());  // No leaves the program open
    EXPECT_EQ(w.unattendedStatus(), std::optional<int>(1));
    EXPECT_FALSE(w.execAuto());
    EXPECT_TRUE(fs::exists(tree.path("archive/b.txt")));

    dialogs.queueAnswer(ui::Answer::Yes);
    EXPECT_EQ(start("Maison X").exitStatus(), std::optional<int>(1));
    EXPECT_EQ(dialogs.shown().size(), 2u);
}

}  // namespace
}  // namespace velmorane::testing
