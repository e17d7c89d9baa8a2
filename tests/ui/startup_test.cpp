#include "tests/ui/main_window_fixture.h"

#include <QProgressBar>
#include <QTimer>

#include <filesystem>
#include <utility>

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
        const bool absent = std::string(c.commandLine) == "Absent X";
        fs::remove(tree.path("ArchJournal.vlr"));
        state = {};  // as in a new process
        const std::optional<ui::UnattendedWindowEnd> end = startFromCommandLine(c.commandLine);
        // A scheduled run of an unknown profile leaves its trace too.
        EXPECT_EQ(!journal().empty(), executed || absent);
        EXPECT_EQ(shown(), std::vector<std::string>{});
        if (executed) {
            // The progress window alone: no main window is built.
            ASSERT_TRUE(end);
            EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(0, false));
            EXPECT_EQ(main, nullptr);
            EXPECT_EQ(caption(progressWindow.get()), c.autoCaption);
            EXPECT_EQ(progressWindow->messageLabel->text().toStdString(), "Exécution\ndes\ntâches");
            EXPECT_FALSE(progressWindow->isVisible());
            continue;
        }
        EXPECT_EQ(end.has_value(), absent);
        if (absent) {
            EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(2, true));
        }
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(state.activeProfile, c.opened);
        std::vector<bool> marks(7, false);
        if (c.opened >= 0) marks[static_cast<std::size_t>(c.opened)] = true;
        EXPECT_EQ(checks(main->profileEntries), marks);
        EXPECT_EQ(main->screenState(), ui::ScreenState::ChoosingWork);
    }
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));

    // A journal that cannot take the unknown profile's trace is said, the status unchanged.
    fs::remove(tree.path("ArchJournal.vlr"));
    tree.makeFolder("ArchJournal.vlr");
    state = {};
    const std::optional<ui::UnattendedWindowEnd> end = startFromCommandLine("Absent X");
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitStatus, 2);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_TRUE(shown()[0].starts_with("Velmorane: Journal impossible à écrire : ")) << shown()[0];
}

TEST_F(StartUp, AnUnattendedRunThatStopsBeforeExecutingShowsWhyThenTheMainWindow)
{
    const std::optional<ui::UnattendedWindowEnd> end = startFromCommandLine("Pareil X");
    EXPECT_EQ(shown(), std::vector<std::string>{"Profil Incorrect: Travail et Archive doivent être différents."});
    // The program exits with 2 once the main window is closed.
    EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(2, true));
    EXPECT_FALSE(progressWindow->isVisible());
    // The journal says why nothing was executed.
    EXPECT_TRUE(journal().ends_with("\tExécution du Profil Pareil : Non exécuté (Travail et Archive "
                                    "doivent être différents.)\r\n"))
        << journal();

    // The next run goes to the review instead of executing at once.
    ASSERT_NE(main, nullptr);
    main->profileEntries[2]->trigger();
    main->startRun();
    EXPECT_EQ(main->screenState(), ui::ScreenState::Review);
    EXPECT_FALSE(fs::exists(tree.path("archive/b.txt")));
}

TEST_F(StartUp, AnUnattendedRunThatWouldDeleteMostOfTheArchiveIsRefusedAndTheReviewExecutesIt)
{
    makeEmptiedSourceTree(tree, "gros/travail", "gros/archive");
    const std::string archive = tree.path("gros/archive");
    writeProfiles({profile("Gros", tree.path("gros/travail"), archive)});
    const auto before = readTree(archive);

    const std::optional<ui::UnattendedWindowEnd> end = startFromCommandLine("Gros X");
    const std::string refusal = "Exécution refusée : 600 fichier(s) à supprimer ou remplacer sur 1000 dans " + archive;
    EXPECT_EQ(shown(), std::vector<std::string>{"Attention: " + refusal});
    EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(2, true));
    EXPECT_TRUE(journal().ends_with("\tExécution du Profil Gros : Non exécuté (" + refusal + ")\r\n")) << journal();
    EXPECT_EQ(readTree(archive), before);

    // The person who sees the lists may carry them out.
    dialogs.clear();
    ASSERT_NE(main, nullptr);
    main->startRun();
    ASSERT_EQ(main->screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(main->deleteList).size(), 600u);
    main->executeChosenEntries();
    EXPECT_EQ(shown(), std::vector<std::string>{"Rapport d'activité: Exécution terminée correctement !"});
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(tree.path("gros/travail"), FolderTimes::Left));
}

TEST_F(StartUp, AJournalThatCannotBeWrittenIsAskedAboutAndYesEndsWithStatusOne)
{
    tree.makeFolder("ArchJournal.vlr");  // a folder where the journal file should be
    dialogs.queueAnswer(ui::Answer::No);
    std::optional<ui::UnattendedWindowEnd> end = startFromCommandLine("Maison X");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Erreur grave");
    EXPECT_EQ(dialogs.shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_NE(dialogs.shown()[0].text.find("Sur le fichier : ArchJournal.vlr"), std::string::npos) << shown()[0];
    // No leaves the person the main window; the program exits with 1 once it is closed.
    EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(1, true));
    EXPECT_NE(main, nullptr);
    EXPECT_TRUE(fs::exists(tree.path("archive/b.txt")));

    dialogs.queueAnswer(ui::Answer::Yes);
    end = startFromCommandLine("Maison X");
    EXPECT_EQ(std::make_pair(end->exitStatus, end->leavesMainWindow), std::make_pair(1, false));
    EXPECT_EQ(main, nullptr);
    EXPECT_EQ(dialogs.shown().size(), 2u);
}

// The progress window stays while the folders are compared; closed during the execution, it asks
// to stop it, and Oui stops it between two files: the journal says so and the program ends with
// 1, without a main window.
TEST_F(StartUp, ClosingTheProgressWindowDuringTheExecutionStopsItBetweenTwoFiles)
{
    tree.makeFolder("archive/Lot");
    for (int i = 0; i < 5000; ++i) tree.makeFile("travail/Lot/f" + std::to_string(i), "dix octets");
    progressWindow = std::make_unique<ui::ProgressWindow>();
    ui::ProgressWindow& window = *progressWindow;
    bool visibleWhileComparing = false, closing = false;
    QTimer::singleShot(0, &window, [&] {
        window.close();
        visibleWhileComparing = window.isVisible();
    });
    QObject::connect(window.progressBar, &QProgressBar::valueChanged, &window, [&](int value) {
        if (value == 0 || std::exchange(closing, true)) return;
        QTimer::singleShot(0, &window, [&] { window.close(); });
    });
    dialogs.queueAnswer(ui::Answer::Yes);

    const ui::UnattendedWindowEnd end = ui::runUnderProgressWindow(window, profiles::takeWords("Maison X"), dialogs);

    EXPECT_TRUE(visibleWhileComparing);
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: Une exécution est en cours : l'arrêter ?"});
    EXPECT_EQ(std::make_pair(end.exitStatus, end.leavesMainWindow), std::make_pair(1, false));
    EXPECT_EQ(main, nullptr);
    const std::size_t copied = std::distance(fs::directory_iterator(tree.path("archive/Lot")), fs::directory_iterator());
    EXPECT_LT(copied, 5000u);
    EXPECT_TRUE(journal().ends_with("\tExécution du Profil MAISON : Interrompue (" + std::to_string(copied + 2) +
                                    " fichier(s) traité(s))\r\n"))
        << journal();
}

}  // namespace
}  // namespace velmorane::testing
