#include "platform/folder_lock.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/main_window_fixture.h"

#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <thread>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Marks = std::vector<bool>;

class InteractiveMirror : public MainWindowTest {
protected:
    InteractiveMirror() { makeMirrorTree(tree); }

    // Chooses both folders by double-clicks, the direction by its menu and the action by its labels.
    ui::MainWindow& chooseEverything()
    {
        ui::MainWindow& w = start();
        doubleClickFolder(tree.path("travail"));
        click(w.archiveHeading);
        openFolder(tree.path("archive"));
        w.directionEntries[0]->trigger();
        click(w.actionLabel);
        click(w.actionHeading);
        return w;
    }
};

TEST_F(InteractiveMirror, ChooseRunReviewSelectExecuteAndGoHome)
{
    ui::MainWindow& w = chooseEverything();
    EXPECT_EQ((Lines{text(w.workLabel), text(w.archiveLabel), text(w.directionLabel), text(w.actionLabel)}),
              (Lines{tree.path("travail"), tree.path("archive"), "&Travail => Archive", "&Personnaliser la Mise à Jour"}));

    click(w.startButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.addList),
              (Lines{tree.path("travail/Neuf/") + " **Dossier", fileEntry(tree.path("travail/b.txt"), 3)}));
    EXPECT_EQ(entries(w.replaceList), Lines{fileEntry(tree.path("archive/a.txt"), 16)});
    EXPECT_EQ(entries(w.deleteList),
              (Lines{tree.path("archive/Vieux/") + " **Dossier", fileEntry(tree.path("archive/vieux.txt"), 2)}));
    EXPECT_EQ(headings(w), (Lines{"Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>", "Fichier(s) à Modifier ( 1) =>",
                                  "Dossier(s) et Fichier(s) à Supprimer ( 2 ) =>"}));
    EXPECT_EQ(w.progressFrame->title().toStdString(), "Parcours des Dossiers Communs");
    // While the results are shown the folder labels ignore clicks.
    click(w.archiveHeading);
    click(w.workLabel);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);

    // Extended selection: a click, Shift+click, then Ctrl+click to take one back.
    clickEntry(w.addList, 0);
    clickEntry(w.addList, 1, Qt::ShiftModifier);
    EXPECT_EQ(w.addList->selectionModel()->selectedRows().size(), 2);
    clickEntry(w.addList, 1, Qt::ControlModifier);
    EXPECT_EQ(w.addList->selectionModel()->selectedRows().size(), 1);
    // The boxes of a pair flip together; in the delete list only the selected file is to go.
    clickEntry(w.deleteList, 1);
    click(w.deletionsBoxes[0]);
    EXPECT_EQ(checks(w.deletionsBoxes), (Marks{true, false}));
    click(w.deletionsBoxes[0]);
    EXPECT_EQ(checks(w.deletionsBoxes), (Marks{false, true}));
    click(w.deletionsBoxes[0]);

    click(w.executeButton);
    EXPECT_EQ(shown(), Lines{"Rapport d'activité: Exécution terminée correctement !"});
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Information);
    // The executed entries left their lists; the entry left in the add list is still selected.
    EXPECT_EQ(entries(w.addList), Lines{tree.path("travail/Neuf/") + " **Dossier"});
    EXPECT_TRUE(w.addList->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(entries(w.replaceList), Lines{});
    EXPECT_EQ(entries(w.deleteList), Lines{tree.path("archive/Vieux/") + " **Dossier"});
    EXPECT_EQ(headings(w), (Lines{"Dossier(s) et Fichier(s) à Ajouter ( 1 ) =>", "Fichier(s) à Modifier ( 0) =>",
                                  "Dossier(s) et Fichier(s) à Supprimer ( 1 ) =>"}));
    EXPECT_EQ(text(w.addsCounter), "");
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(readFileBytes(tree.path("archive/b.txt")), "bbb");
    EXPECT_EQ(readFileBytes(tree.path("archive/a.txt")), "nouvelle version");
    EXPECT_FALSE(fs::exists(tree.path("archive/vieux.txt")));
    EXPECT_TRUE(fs::exists(tree.path("archive/Vieux/v.txt")));
    EXPECT_FALSE(fs::exists(tree.path("archive/Neuf")));

    click(w.leaveReviewButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_FALSE(w.reviewShown());
    EXPECT_EQ(visible({w.browsingFrame, w.addList}), (Marks{true, false}));
    EXPECT_EQ(enabled({w.directionMenu->menuAction(), w.backEntry}), (Marks{true, false}));

    w.resetEntry->trigger();
    EXPECT_EQ((Lines{text(w.workLabel), text(w.archiveLabel), text(w.directionLabel), text(w.actionLabel)}), Lines(4, ""));
    EXPECT_EQ(std::make_pair(state.settings.direction, state.settings.action),
              std::make_pair(engine::Direction::Unset, engine::Action::Unset));
    EXPECT_EQ(checks(w.directionEntries), Marks(2, false));
    EXPECT_EQ(checks(w.actionEntries), Marks(5, false));
    EXPECT_EQ(caption(&w), "Pas de Profil Actif");
    EXPECT_EQ(text(w.statusLabel), kNothingChosen);
    EXPECT_TRUE(w.deletionsBoxes[0]->isChecked());  // the pairs keep their choice for the next runs
    openFolder(tree.path("travail"));
    EXPECT_EQ(text(w.workLabel), tree.path("travail"));
}

TEST_F(InteractiveMirror, AnExecutionThatEmptiesTheListsGoesOnReviewingAndTheNextRunFindsNothing)
{
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    click(w.executeButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
    // Nothing left to execute: no report, and back to the home screen.
    dialogs.clear();
    click(w.executeButton);
    EXPECT_EQ(shown(), Lines{});
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_TRUE(w.browsingFrame->isVisible());

    click(w.startButton);
    EXPECT_EQ(entries(w.addList).size() + entries(w.replaceList).size() + entries(w.deleteList).size(), 0u);
    EXPECT_EQ(headings(w), (Lines{"Dossier(s) et Fichier(s) à Ajouter ( 0 ) =>", "Fichier(s) à Modifier ( 0) =>",
                                  "Dossier(s) et Fichier(s) à Supprimer ( 0 ) =>"}));
}

TEST_F(InteractiveMirror, AFailureAnsweredNoStopsTheListWholeAndYesGoesOnToAWarningReport)
{
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    fs::remove(tree.path("travail/b.txt"));  // gone before it could be copied
    dialogs.queueAnswer(ui::Answer::No);
    click(w.executeButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Erreur grave");
    EXPECT_TRUE(dialogs.shown()[0].text.ends_with("\nFaut-il continuer ?")) << dialogs.shown()[0].text;
    EXPECT_EQ(entries(w.addList).size(), 2u);
    EXPECT_EQ(entries(w.replaceList).size(), 1u);
    EXPECT_EQ(text(w.addsCounter), "2");
    EXPECT_FALSE(w.busy());

    // The folder copied before the stop is still listed; an add never merges into what exists.
    click(w.executeButton);
    ASSERT_EQ(dialogs.shown().size(), 4u);
    EXPECT_TRUE(dialogs.shown()[1].text.starts_with("Erreur : 17 - ")) << dialogs.shown()[1].text;
    EXPECT_EQ(shown()[3], "Rapport d'activité: Exécution terminée avec 2 erreur(s).");
    EXPECT_EQ(dialogs.shown()[3].icon, ui::Icon::Warning);
    EXPECT_EQ(readFileBytes(tree.path("archive/a.txt")), "nouvelle version");
}

// Closing the window while a comparison reads the folders closes it once they are read: no box
// is shown over a closed window, and no run goes on behind it.
TEST_F(InteractiveMirror, ClosingDuringAComparisonClosesTheWindowOnceItIsOver)
{
    for (int i = 0; i < 2000; ++i) tree.makeFile("travail/Lot/f" + std::to_string(i), "x");
    ui::MainWindow& w = chooseEverything();
    bool busyWhenClosed = false, visibleAfterClose = false;
    QTimer::singleShot(0, &w, [&] {
        busyWhenClosed = w.busy();
        w.close();
        visibleAfterClose = w.isVisible();
    });
    click(w.startButton);
    EXPECT_TRUE(busyWhenClosed);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.addList).size(), 3u);  // Neuf/, b.txt and Lot/ with its files
    EXPECT_EQ(shown(), Lines{});
}

// The session ends while the failure question waits: the box goes with "Non", the execution stops
// there and its worker is joined; the window's thread never waits on a worker that waits on it.
TEST_F(InteractiveMirror, AQuitWhileTheFailureQuestionWaitsReleasesTheExecutionAndJoinsIt)
{
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    fs::remove(tree.path("travail/b.txt"));
    dialogs.whileShown = [](const ui::Message&) { QCoreApplication::exit(0); };
    dialogs.queueAnswer(ui::Answer::No);
    click(w.executeButton);
    EXPECT_EQ(shown().size(), 1u);
    EXPECT_FALSE(w.busy());
    EXPECT_NE(w.lastRunThread(), std::this_thread::get_id());
    // The list in progress keeps all its entries.
    EXPECT_EQ(entries(w.addList).size(), 2u);
    EXPECT_EQ(entries(w.replaceList).size(), 1u);
    // The application's own loop, run once, forgets the quit for the tests that follow.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

TEST_F(InteractiveMirror, TheReviewFreesTheFoldersAndExecutingWaitsUntilNoOtherRunHoldsThem)
{
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    const auto before = readTree(tree.path("archive"));
    {
        // Another run took the archive while the review waited: nothing is executed, the review stays.
        auto other = platform::FolderLock::take(tree.path("archive"), platform::LockKind::Exclusive);
        ASSERT_TRUE(other.ok()) << "the review holds no lock";
        click(w.executeButton);
        EXPECT_EQ(shown(), Lines{"Attention: Le dossier " + tree.path("archive") + " est utilisé par une autre exécution"});
        EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Critical);
        EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
        EXPECT_EQ(entries(w.replaceList).size(), 1u);
        EXPECT_EQ(readTree(tree.path("archive")), before);
    }
    click(w.executeButton);
    EXPECT_EQ(shown().back(), "Rapport d'activité: Exécution terminée correctement !");
}

TEST_F(InteractiveMirror, IncompleteSettingsAndMissingFoldersAreRefusedOnTheHomeScreen)
{
    writeProfiles({profile("Perdu", tree.path("absent"), tree.path("archive")),
                   profile("SansArchive", tree.path("travail"), tree.path("nulle part"))});
    ui::MainWindow& w = start();
    doubleClickFolder(tree.path("travail"));
    click(w.startButton);
    w.resetSettings();
    click(w.startButton);
    EXPECT_EQ(shown(), (Lines{"Profil Incorrect: Il faut définir un Fichier d'Archive.",
                              "Profil Incorrect: Il faut définir un Fichier de Travail."}));
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(visible({w.informationFrame, w.progressFrame}), (Marks{true, false}));

    dialogs.clear();
    w.profileEntries[1]->trigger();
    click(w.startButton);
    EXPECT_EQ(shown(), Lines{"Velmorane: " + tree.path("absent") + " est vide ou n'existe pas"});
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::None);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_FALSE(w.reviewShown());
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{true, true, false}));
    // The menus come back; re-initialising waits until a run reaches the review.
    EXPECT_EQ(enabled({w.actionMenu->menuAction(), w.resetEntry}), (Marks{true, false}));

    dialogs.clear();
    w.profileEntries[2]->trigger();
    click(w.startButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.starts_with("Impossible de lire le dossier " + tree.path("nulle part")))
        << dialogs.shown()[0].text;
    EXPECT_TRUE(w.informationFrame->isVisible());
}

TEST_F(InteractiveMirror, AnArchiveOnAPulledKeyAsksWhetherToGoOnAndNoLeavesItsEmptyMountPointAlone)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    const ScopedEnvironment home({{"XDG_DATA_HOME", tree.path("donnees")}, {"XDG_STATE_HOME", tree.path("etat")}});
    const std::string key = tree.makeFolder("cle");
    writeProfiles({profile("Clé", tree.path("travail"), key)});
    TemporaryMount mounted(TemporaryMount::Kind::Tmpfs, key);
    ui::MainWindow& w = start("Clé");
    click(w.startButton);
    click(w.executeButton);
    ASSERT_EQ(shown(), Lines{"Rapport d'activité: Exécution terminée correctement !"});
    click(w.leaveReviewButton);
    mounted.unmount();

    dialogs.clear();
    click(w.startButton);
    ASSERT_EQ(shown(), Lines{"Velmorane: Le dossier " + key + " n'est plus sur le volume " + key +
                             " : le support est-il branché ?\nContinuer quand même ?"});
    const ui::Message& question = dialogs.shown()[0];
    EXPECT_EQ(std::make_tuple(question.buttons, question.defaultButton, question.icon),
              std::make_tuple(ui::Buttons::YesNo, ui::Answer::No, ui::Icon::Warning));
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{true, true, false}));
    EXPECT_EQ(namesIn(key), Names{});

    // Yes: the person takes the folder as it is now, and reviews what would be done there.
    dialogs.queueAnswer(ui::Answer::Yes);
    click(w.startButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.addList).size(), 4u);
    EXPECT_EQ(namesIn(key), Names{});
}

TEST_F(InteractiveMirror, ASourceWithFoldersButNoFileAsksWhetherToGoOnAndNoLeavesTheArchiveAlone)
{
    tree.makeFolder("disque/lost+found");
    tree.makeFolder("disque/Neuf");
    const std::string disk = tree.path("disque");
    writeProfiles({profile("Disque", disk, tree.path("archive"))});
    ui::MainWindow& w = start("Disque");
    click(w.startButton);
    ASSERT_EQ(shown(), Lines{"Velmorane: " + disk + " ne contient aucun fichier\nContinuer quand même ?"});
    const ui::Message& question = dialogs.shown()[0];
    EXPECT_EQ(std::make_tuple(question.buttons, question.defaultButton, question.icon),
              std::make_tuple(ui::Buttons::YesNo, ui::Answer::No, ui::Icon::Warning));
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_FALSE(w.reviewShown());
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{true, true, false}));

    // Yes: the person reviews what the mirror of an empty disk would do.
    dialogs.clear();
    dialogs.queueAnswer(ui::Answer::Yes);
    click(w.startButton);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.deleteList),
              (Lines{tree.path("archive/Vieux/") + " **Dossier", fileEntry(tree.path("archive/a.txt"), 8),
                     fileEntry(tree.path("archive/garde.txt"), 6), fileEntry(tree.path("archive/vieux.txt"), 2)}));
    EXPECT_EQ(namesIn(tree.path("archive")), (Names{"Vieux", "a.txt", "garde.txt", "vieux.txt"}));
}

TEST_F(InteractiveMirror, TheTopFolderOfAKeyAsArchiveIsAskedAboutUntilMirroredOnceAndNoLeavesTheKeyAlone)
{
    if (const std::string why = whyNotMountable(VolumeKind::ExFat); !why.empty()) GTEST_SKIP() << why;
    const ScopedEnvironment home({{"XDG_DATA_HOME", tree.path("donnees")}, {"XDG_STATE_HOME", tree.path("etat")}});
    const MountedVolume volume(VolumeKind::ExFat, tree.makeFolder("cles"));
    const std::string key = volume.mountPoint();
    tree.makeFile("cles/exFAT/photo.jpg", "la seule copie");
    writeProfiles({profile("Clé", tree.path("travail"), key)});
    ui::MainWindow& w = start("Clé");
    click(w.startButton);
    const std::string question = "Velmorane: Le dossier de destination " + key +
                                 " est la racine du volume : tout ce que la source n'a pas y sera supprimé. Continuer ?";
    ASSERT_EQ(shown(), Lines{question});
    const ui::Message& asked = dialogs.shown()[0];
    EXPECT_EQ(std::make_tuple(asked.buttons, asked.defaultButton, asked.icon),
              std::make_tuple(ui::Buttons::YesNo, ui::Answer::No, ui::Icon::Warning));
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{true, true, false}));
    EXPECT_EQ(namesIn(key), Names{"photo.jpg"});

    // Yes: the review shows what the key would lose.
    dialogs.queueAnswer(ui::Answer::Yes);
    click(w.startButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.deleteList), Lines{fileEntry(key + "/photo.jpg", 14)});
    click(w.executeButton);
    EXPECT_EQ(shown(), (Lines{question, question, "Rapport d'activité: Exécution terminée correctement !"}));
    EXPECT_EQ(namesIn(key), (Names{".Trash-0", "Neuf", "a.txt", "b.txt", "garde.txt"}));
    click(w.leaveReviewButton);

    // Mirrored onto this key once: not asked again.
    dialogs.clear();
    click(w.startButton);
    EXPECT_EQ(shown(), Lines{});
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(headings(w), (Lines{"Dossier(s) et Fichier(s) à Ajouter ( 0 ) =>", "Fichier(s) à Modifier ( 0) =>",
                                  "Dossier(s) et Fichier(s) à Supprimer ( 0 ) =>"}));
}

TEST_F(InteractiveMirror, AnotherKeyWhereTheArchivesKeyWasAsksWhetherToGoOnAndNoLeavesItAlone)
{
    if (const std::string why = whyNotMountable(VolumeKind::ExFat); !why.empty()) GTEST_SKIP() << why;
    const ScopedEnvironment home({{"XDG_DATA_HOME", tree.path("donnees")}, {"XDG_STATE_HOME", tree.path("etat")}});
    MountedVolume volume(VolumeKind::ExFat, tree.makeFolder("cles"));
    const std::string archive = tree.makeFolder("cles/exFAT/Sauvegarde");
    writeProfiles({profile("Clé", tree.path("travail"), archive)});
    ui::MainWindow& w = start("Clé");
    click(w.startButton);
    click(w.executeButton);
    ASSERT_EQ(shown(), Lines{"Rapport d'activité: Exécution terminée correctement !"});
    click(w.leaveReviewButton);

    volume.mountAnother();
    tree.makeFile("cles/exFAT/Sauvegarde/autre.txt", "une autre clé");
    dialogs.clear();
    click(w.startButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const ui::Message& question = dialogs.shown()[0];
    EXPECT_TRUE(question.text.starts_with("Le dossier " + archive + " n'est plus sur le volume " +
                                          volume.mountPoint() + " (UUID=") &&
                question.text.ends_with(") : le support est-il branché ?\nContinuer quand même ?"))
        << question.text;
    EXPECT_EQ(std::make_tuple(question.buttons, question.defaultButton),
              std::make_tuple(ui::Buttons::YesNo, ui::Answer::No));
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_EQ(namesIn(archive), Names{"autre.txt"});
}

TEST_F(InteractiveMirror, NoSecondExecutionOrRunStartsWhileOneIsInProgress)
{
    for (int i = 0; i < 300; ++i) tree.makeFile("travail/lot/f" + std::to_string(i) + ".txt", "x");
    tree.makeFolder("archive/lot");
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    bool triedDuringExecution = false;
    QTimer::singleShot(0, &w, [&] {
        triedDuringExecution = w.busy();
        w.executeButton->click();
        w.startButton->click();
        w.resetSettings();
    });
    click(w.executeButton);
    EXPECT_TRUE(triedDuringExecution);
    // The run worked on a thread of its own while the window answered.
    EXPECT_NE(w.lastRunThread(), std::thread::id());
    EXPECT_NE(w.lastRunThread(), std::this_thread::get_id());
    EXPECT_EQ(shown(), Lines{"Rapport d'activité: Exécution terminée correctement !"});
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.path("archive/lot")), fs::directory_iterator()), 300);
}

TEST_F(InteractiveMirror, ExecutingWhatTheBoxesLeaveEmptyIsRefusedWithTheReasonOfEachList)
{
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    ASSERT_EQ(w.screenState(), ui::ScreenState::Review);
    for (QCheckBox* box : {w.addsBoxes[0], w.replacementsBoxes[0], w.deletionsBoxes[0]}) click(box);
    EXPECT_FALSE(w.hasSomethingToExecute());
    // Every entry selected under "Eléments Non-Sélectionnés" leaves nothing either.
    click(w.replacementsBoxes[1]);
    w.replaceList->selectAll();
    EXPECT_FALSE(w.hasSomethingToExecute());
    const std::string ajout = "rien n'est sélectionné dans Dossier(s) et Fichier(s) à Ajouter ; ";
    const std::string suppr = " ; rien n'est sélectionné dans Dossier(s) et Fichier(s) à Supprimer.";
    EXPECT_EQ(shown(), (Lines{"Action Impossible: Aucun élément à exécuter : " + ajout +
                                  "rien n'est sélectionné dans Fichier(s) à Modifier" + suppr,
                              "Action Impossible: Aucun élément à exécuter : " + ajout +
                                  "tout est sélectionné dans Fichier(s) à Modifier, où « Eléments Non-Sélectionnés » "
                                  "est coché" +
                                  suppr}));
    clickEntry(w.deleteList, 0);
    EXPECT_TRUE(w.hasSomethingToExecute());
    EXPECT_EQ(dialogs.shown().size(), 2u);
}

TEST_F(InteractiveMirror, ClosingDuringAnExecutionAsksThenStopsBetweenTwoFilesAndSaysWhatWasDone)
{
    constexpr int kFiles = 20000;
    tree.makeFolder("archive/Lot");
    for (int i = 0; i < kFiles; ++i) tree.makeFile("travail/Lot/f" + std::to_string(i), "dix octets");
    ui::MainWindow& w = chooseEverything();
    click(w.startButton);
    ASSERT_EQ(w.taskLists().addList().count(), 2u + kFiles);

    // The window is closed as soon as the progress bar first moves past its start; Oui answers the
    // question. The execution works on its own thread meanwhile.
    QString progressShown;
    int rowsShown = 0;
    bool closing = false;
    QObject::connect(w.progressBar, &QProgressBar::valueChanged, &w, [&](int value) {
        if (value == 0 || std::exchange(closing, true)) return;
        QTimer::singleShot(0, &w, [&] {
            progressShown = w.progressBar->format();
            rowsShown = w.addList->model()->rowCount();
            w.close();
        });
    });
    dialogs.clear();
    dialogs.queueAnswer(ui::Answer::Yes);
    click(w.executeButton);

    const Lines copied = namesIn(tree.path("archive/Lot"));
    ASSERT_GT(copied.size(), 0u);
    ASSERT_LT(copied.size(), static_cast<std::size_t>(kFiles));
    for (const std::string& name : copied) EXPECT_TRUE(name.starts_with("f")) << "a temporary file is left: " << name;
    // Neuf/ and b.txt came first, then the files of Lot one by one.
    const std::size_t done = 2 + copied.size();
    EXPECT_EQ(shown(), (Lines{"Velmorane: Une exécution est en cours : l'arrêter ?",
                              "Rapport d'activité: Exécution interrompue : " + std::to_string(done) +
                                  " fichier(s) traité(s)."}));
    EXPECT_EQ(dialogs.shown()[0].defaultButton, ui::Answer::No);
    EXPECT_EQ(w.taskLists().addList().count(), kFiles - copied.size());
    // The list stayed whole on the screen while it was executed.
    EXPECT_EQ(rowsShown, 2 + kFiles);
    EXPECT_EQ(w.addList->model()->rowCount(), kFiles - static_cast<int>(copied.size()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+ / 20005 éléments · .+ / .+$")).match(progressShown).hasMatch())
        << progressShown.toStdString();
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace velmorane::testing
