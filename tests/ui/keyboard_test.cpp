#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

using Lines = std::vector<std::string>;

class Keyboard : public MainWindowTest {
protected:
    Keyboard()
    {
        makeMirrorTree(tree);
        writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive")),
                       profile("Bureau", tree.path("travail"), tree.path("archive"))});
    }

    std::string profileFile() const { return readFileBytes(tree.path("ArchProfils.vlr")); }
};

TEST_F(Keyboard, TheFocusAloneChoosesNoProfileToDeleteAndTheArrowsAndSpaceDo)
{
    ui::MainWindow& w = start();
    const std::string before = profileFile();
    whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        ASSERT_EQ(QApplication::focusWidget(), editor.confirmButton);
        for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), editor.profileList);
        EXPECT_EQ(editor.profileList->currentRow(), 0);  // the focus makes line 0 current...
        EXPECT_EQ(editor.chosenNumber(), 0);             // ...and chooses nothing
        EXPECT_EQ(details(editor), (Lines{"Dossier de Travail", "Dossier d'Archive", "Sens de Tranfert", "Type d'Action"}));
        QTest::keyClick(editor.profileList, Qt::Key_Return);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(profileFile(), before);

        QTest::keyClick(editor.profileList, Qt::Key_Down);
        EXPECT_EQ(editor.chosenName(), "Bureau");
        QTest::keyClick(editor.profileList, Qt::Key_Space, Qt::ControlModifier);  // takes the choice back
        EXPECT_EQ(editor.chosenNumber(), 0);
        EXPECT_EQ(details(editor)[0], "Dossier de Travail");
        QTest::keyClick(editor.profileList, Qt::Key_Up);
        QTest::keyClick(editor.profileList, Qt::Key_Space);
        EXPECT_EQ(editor.chosenName(), "Maison");
        EXPECT_EQ(details(editor)[0], tree.path("travail"));
        QTest::keyClick(editor.profileList, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(w.profileEntries.size(), 2u);
    EXPECT_EQ(w.profileEntries[1]->text().toStdString(), "Bureau");
}

TEST_F(Keyboard, EnterAndSpacePressTheFocusedButton)
{
    ui::MainWindow& w = start();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        w.startButton->setFocus();
        QTest::keyClick(w.startButton, key);
    }
    EXPECT_EQ(shown(), Lines(3, "Profil Incorrect: Il faut définir un Fichier de Travail."));

    w.profileEntries[1]->trigger();
    QTest::keyClick(w.startButton, Qt::Key_Return);
    ASSERT_EQ(w.screenState(), ui::ScreenState::Review);
    QTest::keyClick(w.executeButton, Qt::Key_Return);
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
    QTest::keyClick(w.leaveReviewButton, Qt::Key_Enter);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_TRUE(w.browsingFrame->isVisible());

    const std::string before = profileFile();
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        QTest::keyClicks(editor.nameEdit, "Neuf");
        QTest::keyClick(editor.cancelButton, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(profileFile(), before);
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        QTest::keyClicks(editor.nameEdit, "Neuf");
        QTest::keyClick(editor.confirmButton, Qt::Key_Space);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(w.profileEntries.back()->text().toStdString(), "Neuf");
}

TEST_F(Keyboard, TheDesktopKeysReachTheirCommandsAndShowInTheMenus)
{
    ui::MainWindow& w = start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Lines keys;
    for (const QAction* item : {w.quitEntry, w.helpEntry, w.editEntries[0], w.editEntries[1], w.rereadEntry}) {
        keys.push_back(item->text().toStdString() + " " + item->shortcut().toString().toStdString());
    }
    EXPECT_EQ(keys, (Lines{"&Quitter Ctrl+Q", "&Aide F1", "&Renommer un fichier F2", "Supprimer un fichier Del",
                           "Relire les Dossiers F5"}));

    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Information");
    tree.makeFolder("Été");
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_GE(w.folderList->rowOf(tree.path("Été")), 0);

    // The edit keys act on the chosen file; Enter on the delete question keeps the file.
    doubleClickFolder(tree.path("travail"));
    const auto chooseFirstFile = [&w] {
        QTest::mouseClick(w.fileList->viewport(), Qt::LeftButton, {},
                          w.fileList->visualRect(w.fileList->model()->index(0, 0)).center());
    };
    dialogs.clear();
    dialogs.queueAnswer(ui::Answer::No);
    chooseFirstFile();
    QTest::keyClick(w.fileList, Qt::Key_F2);
    chooseFirstFile();
    QTest::keyClick(w.fileList, Qt::Key_Delete);
    const std::string file = tree.path("travail/a.txt");
    EXPECT_EQ(shown(), (Lines{"Attention !: Voulez-vous Renommer le Fichier " + file,
                              "Supprimer un Fichier: Voulez-vous Supprimer le Fichier " + file}));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, ui::Answer::No);
    EXPECT_EQ(readFileBytes(file), "nouvelle version");

    // On the review the edit keys have nothing to act on.
    w.profileEntries[1]->trigger();
    click(w.startButton);
    ASSERT_EQ(w.screenState(), ui::ScreenState::Review);
    clickEntry(w.deleteList, 0);
    QTest::keyClick(w.deleteList, Qt::Key_Delete);
    QTest::keyClick(w.deleteList, Qt::Key_F2);
    EXPECT_EQ(dialogs.shown().size(), 2u);

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace velmorane::testing
