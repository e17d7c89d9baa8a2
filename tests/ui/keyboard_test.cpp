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

}  // namespace
}  // namespace velmorane::testing
