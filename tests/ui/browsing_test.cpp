#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

class Browsing : public MainWindowTest {
protected:
    Browsing()
    {
        tree.makeFile("travail/lettre.txt", "a");
        tree.makeFile("travail/.cache", "b");
        tree.makeFolder("travail/Sous");
        tree.makeFolder("archive");
        tree.makeFile("notes.txt", "c");
    }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> paths;
        for (int row = 0; row < main->Dossier->count(); ++row) paths.push_back(main->Dossier->entryPath(row));
        return paths;
    }

    std::vector<std::string> fileNames() const
    {
        std::vector<std::string> names;
        for (const QString& name : main->Fichier->names()) names.push_back(name.toStdString());
        return names;
    }
};

TEST_F(Browsing, StartUpOpensTheWorkingDirectoryWithoutChoosingIt)
{
    ui::Main& w = start();
    EXPECT_EQ(w.Dossier->path(), tree.root());
    EXPECT_EQ(w.Lecteur->drive(), "/");
    const std::vector<std::string> entries = folderEntries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries.front(), "/");
    EXPECT_EQ(std::vector<std::string>(entries.end() - 3, entries.end()),
              (std::vector<std::string>{tree.root(), tree.path("archive"), tree.path("travail")}));
    EXPECT_EQ(fileNames(), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(text(w.Source), "");
    EXPECT_EQ(text(w.But), "");
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_EQ(text(w.Comment1), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\nSens de Transfert "
                                "Inconnu\n\nType d'Action Inconnu");
}

TEST_F(Browsing, DoubleClicksChooseTheTargetedFolderAndLabelClicksSwitchTheTarget)
{
    ui::Main& w = start();
    doubleClickFolder(tree.path("travail"));
    EXPECT_EQ(w.Dossier->path(), tree.path("travail"));
    EXPECT_EQ(fileNames(), std::vector<std::string>{"lettre.txt"});  // hidden files are not listed
    EXPECT_EQ(text(w.Source), tree.path("travail"));
    EXPECT_EQ(state.settings.source, tree.path("travail"));
    EXPECT_EQ(text(w.Comment1), "Dossier de Travail :\n" + tree.path("travail") +
                                    "\n\nDossier d'Archive Inconnu\n\nSens de Transfert Inconnu\n\nType d'Action Inconnu");

    click(w.affBut);
    EXPECT_EQ(w.modeEcran(), 2);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    openFolder(tree.path("archive"));
    EXPECT_EQ(text(w.But), tree.path("archive"));
    EXPECT_EQ(text(w.Source), tree.path("travail"));

    // Back to the work folder: a single click re-applies the folder that is open.
    click(w.Source);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_EQ(ui::background(w.Source), QColor(255, 255, 255));
    clickFolder(0);
    EXPECT_EQ(w.Dossier->path(), tree.path("archive"));
    EXPECT_EQ(text(w.Source), tree.path("archive"));

    click(w.But);
    EXPECT_EQ(w.modeEcran(), 2);
    w.Source1->trigger();
    EXPECT_EQ(w.modeEcran(), 1);
    w.But1->trigger();
    EXPECT_EQ(w.modeEcran(), 2);
    click(w.affSource);
    EXPECT_EQ(w.modeEcran(), 1);

    // Outside states 1 and 2 a folder choice sets neither label.
    w.Environ(7);
    openFolder(tree.path("travail"));
    EXPECT_EQ(text(w.Source), tree.path("archive"));
    EXPECT_EQ(text(w.But), tree.path("archive"));
}

TEST_F(Browsing, ChoosingTheSameFolderInAnotherLetterCaseKeepsTheActiveProfile)
{
    // The profile names the working directory, which the folder list opens, in capitals.
    std::string upper = tree.root();
    for (std::size_t i = upper.rfind('/') + 1; i < upper.size(); ++i) upper[i] = static_cast<char>(std::toupper(upper[i]));
    writeProfiles({{"Maison", upper, tree.path("archive"), "0", "&Travail => Archive", "1", "&Personnaliser"}});
    ui::Main& w = start("Maison");
    ASSERT_EQ(w.windowTitle().toStdString(), "Profil Maison");
    doubleClickFolder(tree.root());
    EXPECT_EQ(text(w.Source), upper);
    EXPECT_EQ(state.profActif, 1);
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Maison");
    EXPECT_TRUE(w.newProf[1]->isChecked());

    doubleClickFolder(tree.path("travail"));
    EXPECT_EQ(text(w.Source), tree.path("travail"));
    EXPECT_EQ(state.profActif, -1);
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_FALSE(w.newProf[1]->isChecked());
}

TEST_F(Browsing, WhileResultsAreShownTheFolderLabelsIgnoreClicks)
{
    writeProfiles({{"P", tree.path("travail"), tree.path("archive"), "0", "&Travail => Archive", "1", "x"}});
    ui::Main& w = start("P");
    w.Lance_Click();
    ASSERT_TRUE(w.resultatsAffiches());
    for (QWidget* label : std::vector<QWidget*>{w.Source, w.affSource, w.But, w.affBut}) {
        click(label);
        EXPECT_EQ(w.modeEcran(), 4) << label->objectName().toStdString();
    }
    w.Quitter2_Click();
    click(w.But);
    EXPECT_EQ(w.modeEcran(), 2);
}

TEST_F(Browsing, ThePictureShowsOverTheFolderListAndHidesOverTheBackgroundOrTheStatusText)
{
    ui::Main& w = start();
    ASSERT_FALSE(w.ChatRex->isVisible());
    QTest::mouseMove(w.Dossier->viewport(), QPoint(20, 20));
    EXPECT_TRUE(w.ChatRex->isVisible());
    QTest::mouseMove(w.Systeme, QPoint(3, 200));  // the frame is not the window's background
    EXPECT_TRUE(w.ChatRex->isVisible());
    QTest::mouseMove(w.centralWidget(), QPoint(690, 500));
    EXPECT_FALSE(w.ChatRex->isVisible());
    QTest::mouseMove(w.Dossier->viewport(), QPoint(20, 40));
    EXPECT_TRUE(w.ChatRex->isVisible());
    QTest::mouseMove(w.Comment1, QPoint(20, 20));
    EXPECT_FALSE(w.ChatRex->isVisible());
}

TEST_F(Browsing, ADriveOpensTheFolderLastOpenedOnIt)
{
    ui::Main& w = start();
    doubleClickFolder(tree.path("travail"));
    ASSERT_GE(w.Lecteur->findData(QStringLiteral("/")), 0);
    w.Lecteur->setCurrentIndex(w.Lecteur->findData(QStringLiteral("/")));
    w.Lecteur_Change();
    EXPECT_EQ(w.Dossier->path(), tree.path("travail"));
    EXPECT_EQ(text(w.Source), tree.path("travail"));
}

}  // namespace
}  // namespace velmorane::testing
