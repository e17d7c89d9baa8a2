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
    ui::Main& w = start();
    const std::string before = profileFile();
    whileEditorOpen([&] { w.Efface_Click(); }, [&](ui::Profil& editor) {
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        ASSERT_EQ(QApplication::focusWidget(), editor.Exec);
        for (int i = 0; i < 2; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), editor.listProf);
        EXPECT_EQ(editor.listProf->currentRow(), 0);  // the focus makes line 0 current...
        EXPECT_EQ(editor.numProfil(), 0);             // ...and chooses nothing
        EXPECT_EQ(details(editor), (Lines{"Dossier de Travail", "Dossier d'Archive", "Sens de Tranfert", "Type d'Action"}));
        QTest::keyClick(editor.listProf, Qt::Key_Return);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(profileFile(), before);

        QTest::keyClick(editor.listProf, Qt::Key_Down);
        EXPECT_EQ(editor.nomProfil(), "Bureau");
        QTest::keyClick(editor.listProf, Qt::Key_Space, Qt::ControlModifier);  // takes the choice back
        EXPECT_EQ(editor.numProfil(), 0);
        EXPECT_EQ(details(editor)[0], "Dossier de Travail");
        QTest::keyClick(editor.listProf, Qt::Key_Up);
        QTest::keyClick(editor.listProf, Qt::Key_Space);
        EXPECT_EQ(editor.nomProfil(), "Maison");
        EXPECT_EQ(details(editor)[0], tree.path("travail"));
        QTest::keyClick(editor.listProf, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(w.newProf.size(), 2u);
    EXPECT_EQ(w.newProf[1]->text().toStdString(), "Bureau");
}

TEST_F(Keyboard, EnterAndSpacePressTheFocusedButton)
{
    ui::Main& w = start();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        w.Lance->setFocus();
        QTest::keyClick(w.Lance, key);
    }
    EXPECT_EQ(shown(), Lines(3, "Profil Incorrect: Il faut définir un Fichier de Travail."));

    w.newProf[1]->trigger();
    QTest::keyClick(w.Lance, Qt::Key_Return);
    ASSERT_EQ(w.modeEcran(), 4);
    QTest::keyClick(w.Selection, Qt::Key_Return);
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
    QTest::keyClick(w.Quitter2, Qt::Key_Enter);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_TRUE(w.Systeme->isVisible());

    const std::string before = profileFile();
    whileEditorOpen([&] { w.ProfNouv_Click(); }, [&](ui::Profil& editor) {
        QTest::keyClicks(editor.infProf, "Neuf");
        QTest::keyClick(editor.Quitte, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(profileFile(), before);
    whileEditorOpen([&] { w.ProfNouv_Click(); }, [&](ui::Profil& editor) {
        QTest::keyClicks(editor.infProf, "Neuf");
        QTest::keyClick(editor.Exec, Qt::Key_Space);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(w.newProf.back()->text().toStdString(), "Neuf");
}

TEST_F(Keyboard, TheDesktopKeysReachTheirCommandsAndShowInTheMenus)
{
    ui::Main& w = start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Lines keys;
    for (const QAction* item : {w.Fin, w.menAide, w.Edite[0], w.Edite[1], w.Relire}) {
        keys.push_back(item->text().toStdString() + " " + item->shortcut().toString().toStdString());
    }
    EXPECT_EQ(keys, (Lines{"&Quitter Ctrl+Q", "&Aide F1", "&Renommer un fichier F2", "Supprimer un fichier Del",
                           "Relire les Dossiers F5"}));

    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Information");
    tree.makeFolder("Été");
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_GE(w.Dossier->rowOf(tree.path("Été")), 0);

    // The edit keys act on the chosen file; Enter on the delete question keeps the file.
    doubleClickFolder(tree.path("travail"));
    const auto chooseFirstFile = [&w] {
        QTest::mouseClick(w.Fichier->viewport(), Qt::LeftButton, {},
                          w.Fichier->visualRect(w.Fichier->model()->index(0, 0)).center());
    };
    dialogs.clear();
    dialogs.queueAnswer(ui::Answer::No);
    chooseFirstFile();
    QTest::keyClick(w.Fichier, Qt::Key_F2);
    chooseFirstFile();
    QTest::keyClick(w.Fichier, Qt::Key_Delete);
    const std::string file = tree.path("travail/a.txt");
    EXPECT_EQ(shown(), (Lines{"Attention !: Voulez-vous Renommer le Fichier " + file,
                              "Supprimer un Fichier: Voulez-vous Supprimer le Fichier " + file}));
    EXPECT_EQ(dialogs.shown()[1].defaultButton, ui::Answer::No);
    EXPECT_EQ(readFileBytes(file), "nouvelle version");

    // On the review the edit keys have nothing to act on.
    w.newProf[1]->trigger();
    click(w.Lance);
    ASSERT_EQ(w.modeEcran(), 4);
    clickEntry(w.fichSuppr, 0);
    QTest::keyClick(w.fichSuppr, Qt::Key_Delete);
    QTest::keyClick(w.fichSuppr, Qt::Key_F2);
    EXPECT_EQ(dialogs.shown().size(), 2u);

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace velmorane::testing
