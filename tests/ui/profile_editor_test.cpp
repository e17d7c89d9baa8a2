#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

class ProfileEditor : public MainWindowTest {
protected:
    ProfileEditor()
    {
        writeProfiles({profile("Maison", "/w/maison", "/a/maison"),
                       {"Bureau", "/w/bureau", "/a/bureau", "1", "Archive => &Travail", "3", "Supprimer &Seulement"}});
    }

    std::vector<std::string> menuCaptions() const
    {
        std::vector<std::string> captions;
        for (std::size_t i = 1; i < main->profileEntries.size(); ++i) captions.push_back(main->profileEntries[i]->text().toStdString());
        return captions;
    }

    std::vector<bool> menuChecks() const { return checks(std::vector<QAction*>(main->profileEntries.begin() + 1, main->profileEntries.end())); }
};

TEST_F(ProfileEditor, AddingSavesTheCurrentSettingsUnderTheTrimmedNameAtTheEnd)
{
    ui::MainWindow& w = start("Bureau");
    const bool opened = whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        EXPECT_EQ(editor.windowTitle().toStdString(), "Ajouter un Profil");
        EXPECT_EQ(editor.confirmButton->text().toStdString(), "Ajouter");
        EXPECT_EQ(editor.fileHeading->text().toStdString(), "Profil à Ajouter");
        EXPECT_FALSE(editor.profileList->isVisible());
        EXPECT_TRUE(editor.nameEdit->isVisible());
        EXPECT_EQ(editor.nameEdit->text().toStdString(), "");
        EXPECT_EQ(details(editor), (std::vector<std::string>{"/w/bureau", "/a/bureau", "Archive => &Travail",
                                                              "Supprimer &Seulement"}));
        EXPECT_EQ(editor.pos(), w.pos());

        QTest::keyClick(editor.nameEdit, Qt::Key_Return);  // empty name
        EXPECT_EQ(shown(), std::vector<std::string>{"Ecriture Impossible: Il faut un Nom de Profil"});
        EXPECT_TRUE(editor.isVisible());

        QTest::keyClicks(editor.nameEdit, "  Vacances  ");
        QTest::keyClick(editor.nameEdit, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Maison", "Bureau", "Vacances"}));
    EXPECT_EQ(menuChecks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Vacances");
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr")).substr(0, 5), " 3 \r\n");
    EXPECT_NE(readFileBytes(tree.path("ArchProfils.vlr"))
                  .find("Vacances\r\n/w/bureau\r\n/a/bureau\r\n1\r\nArchive => &Travail\r\n3\r\nSupprimer &Seulement\r\n"),
              std::string::npos);
}

TEST_F(ProfileEditor, AddingWithIncompleteSettingsIsRefusedBeforeTheEditorOpens)
{
    ui::MainWindow& w = start();
    EXPECT_FALSE(whileEditorOpen([&] { w.askProfileToAdd(); }, [](ui::ProfileEditor&) {}));
    EXPECT_EQ(shown(), std::vector<std::string>{"Profil Incorrect: Il faut définir un Fichier de Travail."});
}

TEST_F(ProfileEditor, QuitterChangesNothing)
{
    ui::MainWindow& w = start("Bureau");
    const std::string before = readFileBytes(tree.path("ArchProfils.vlr"));
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        QTest::keyClicks(editor.nameEdit, "Autre");
        editor.cancel();
    });
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr")), before);
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Maison", "Bureau"}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Bureau");
}

TEST_F(ProfileEditor, DeletingNeedsALineAndTheActiveProfileFollows)
{
    ui::MainWindow& w = start("Bureau");
    const bool opened = whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        EXPECT_EQ(editor.windowTitle().toStdString(), "Supprimer un Profil");
        EXPECT_EQ(editor.confirmButton->text().toStdString(), "Supprimer");
        EXPECT_EQ(editor.fileHeading->text().toStdString(), "Profil à Supprimer");
        EXPECT_FALSE(editor.nameEdit->isVisible());
        ASSERT_EQ(editor.profileList->count(), 2);
        EXPECT_EQ(editor.profileList->item(0)->text().toStdString(), "Maison");
        EXPECT_EQ(details(editor)[0], "Dossier de Travail");
        EXPECT_EQ(details(editor)[2], "Sens de Tranfert");

        QTest::keyClick(editor.profileList, Qt::Key_Return);  // no line chosen
        EXPECT_TRUE(editor.isVisible());

        editor.profileList->setCurrentRow(0);
        EXPECT_EQ(editor.chosenNumber(), 1);
        EXPECT_EQ(editor.chosenName(), "Maison");
        EXPECT_EQ(details(editor), (std::vector<std::string>{"/w/maison", "/a/maison", "&Travail => Archive",
                                                              "&Personnaliser la Mise à Jour"}));
        QTest::keyClick(editor.profileList, Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Bureau"}));
    EXPECT_EQ(menuChecks(), (std::vector<bool>{true}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Bureau");

    whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        editor.profileList->setCurrentRow(0);
        editor.confirm();
    });
    EXPECT_TRUE(menuCaptions().empty());
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr")), " 0 \r\n");

    dialogs.clear();
    EXPECT_FALSE(whileEditorOpen([&] { w.askProfileToDelete(); }, [](ui::ProfileEditor&) {}));
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: Aucun Profil à Supprimer"});
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::None);
}

TEST_F(ProfileEditor, AProfileAddedByHandShowsWhenTheEditorOpensAndADamagedFileIsKeptUnlessReplaced)
{
    ui::MainWindow& w = start("Bureau");
    writeProfiles({profile("Maison", "/w/maison", "/a/maison"), profile("Main", "/w/main", "/a/main"),
                   {"Bureau", "/w/bureau", "/a/bureau", "1", "Archive => &Travail", "3", "Supprimer &Seulement"}});
    whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        EXPECT_EQ(editor.profileList->count(), 3);
        editor.cancel();
    });
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Maison", "Main", "Bureau"}));
    EXPECT_EQ(menuChecks(), (std::vector<bool>{false, false, true}));

    const std::string damaged = " 2 \r\nMaison\r\n";
    tree.makeFile("ArchProfils.vlr", damaged);
    main.reset();
    dialogs.clear();
    ui::MainWindow& again = start("Bureau");
    again.sortProfiles();  // nothing to order: no box, no file written
    whileEditorOpen([&] { again.askProfileToDelete(); }, [](ui::ProfileEditor&) {});
    EXPECT_EQ(shown(), (std::vector<std::string>{"Attention: Fichier de Profils Incorrect",
                                                 "Velmorane: Aucun Profil à Supprimer"}));
    state.settings = {"/w/neuf", "/a/neuf", engine::Direction::WorkToArchive, engine::Action::Update,
                      "&Travail => Archive", "&Personnaliser la Mise à Jour"};
    whileEditorOpen([&] { again.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        QTest::keyClicks(editor.nameEdit, "Neuf");
        QTest::keyClick(editor.nameEdit, Qt::Key_Return);
    });
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].text, "Le fichier de Profils " + tree.path("ArchProfils.vlr") +
                                           " est incorrect : le remplacer ? Il sera gardé sous ArchProfils.vlr.bak");
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr")), damaged);
    EXPECT_EQ(menuCaptions(), std::vector<std::string>{"Neuf"});
}

TEST_F(ProfileEditor, ProfilesBeyondTheCountAreAskedAboutAtTheFirstSaveAndKeptAsTheBackup)
{
    const std::string file = " 1 \r\n" + profileRecord("Maison", "/w/maison", "/a/maison") +
                             profileRecord("Perdu", "/w/perdu", "/a/perdu");
    tree.makeFile("ArchProfils.vlr", file);
    ui::MainWindow& w = start();
    EXPECT_EQ(menuCaptions(), std::vector<std::string>{"Maison"});
    EXPECT_EQ(shown(), std::vector<std::string>{});

    state.settings = {"/w/neuf", "/a/neuf", engine::Direction::WorkToArchive, engine::Action::Update,
                      "&Travail => Archive", "&Personnaliser la Mise à Jour"};
    const auto addProfile = [&](const char* name) {
        whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
            QTest::keyClicks(editor.nameEdit, name);
            QTest::keyClick(editor.nameEdit, Qt::Key_Return);
        });
    };
    dialogs.queueAnswer(ui::Answer::Yes);
    addProfile("Neuf");
    EXPECT_EQ(shown(), std::vector<std::string>{"Attention: Le fichier de Profils " + tree.path("ArchProfils.vlr") +
                                                " est incorrect : le remplacer ? Il sera gardé sous ArchProfils.vlr.bak"});
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr.bak")), file);

    addProfile("Autre");
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Maison", "Neuf", "Autre"}));
    EXPECT_EQ(readFileBytes(tree.path("ArchProfils.vlr.bak")), file) << "the session's first backup stays";
}

TEST_F(ProfileEditor, OrderingRenamesTheMenuEntriesAndKeepsTheCheckOnTheActiveProfile)
{
    writeProfiles({profile("beta", "/w/b", "/a/b"), profile("Gamma", "/w/g", "/a/g"), profile("Alpha", "/w/a", "/a/a")});
    ui::MainWindow& w = start("beta");
    w.sortProfiles();
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(menuChecks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil beta");
}

TEST_F(ProfileEditor, EditCommandsActOnTheChosenFileAndRefreshTheList)
{
    tree.makeFile("dossier/a.txt", "a");
    tree.makeFile("dossier/b.txt", "b");
    ui::MainWindow& w = start();
    openFolder(tree.path("dossier"));
    ASSERT_EQ(w.fileList->names(), (QStringList{"a.txt", "b.txt"}));

    w.editChosenFile(1);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Aucun fichier n'est choisi");

    EXPECT_FALSE(w.hintPicture->isVisible());
    QTest::mouseClick(w.fileList->viewport(), Qt::LeftButton, {},
                      w.fileList->visualRect(w.fileList->model()->index(0, 0)).center());
    EXPECT_TRUE(w.hintPicture->isVisible());
    dialogs.queueAnswer(ui::Answer::Yes);
    w.editChosenFile(1);
    EXPECT_EQ(dialogs.shown().back().text, "Voulez-vous Supprimer le Fichier " + tree.path("dossier/a.txt"));
    EXPECT_EQ(w.fileList->names(), (QStringList{"b.txt"}));

    QTest::mouseClick(w.fileList->viewport(), Qt::LeftButton, {},
                      w.fileList->visualRect(w.fileList->model()->index(0, 0)).center());
    dialogs.queueAnswer(ui::Answer::Yes);
    dialogs.queueInput("c.txt");
    w.editChosenFile(0);
    EXPECT_EQ(w.fileList->names(), (QStringList{"c.txt"}));
    EXPECT_EQ(readFileBytes(tree.path("dossier/c.txt")), "b");
}

}  // namespace
}  // namespace velmorane::testing
