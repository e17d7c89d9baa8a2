#include "execution/run_report.h"
#include "profiles/planned_runs.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/plan_dialog.h"
#include "ui/report_viewer.h"

namespace velmorane::testing {
namespace {

// The user's units, reports and user manager runtime folder are the test's own: no user manager runs.
class PlannedProfiles : public MainWindowTest {
protected:
    PlannedProfiles()
    {
        writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive")),
                       profile("Bureau", tree.path("travail"), tree.path("bureau"))});
    }

    std::string folder() const { return profiles::profileFileFolder("ArchProfils.vlr"); }
    std::string unitPath(const std::string& name) const { return home.path("config/systemd/user/" + name); }

    TempFolder home;
    ScopedEnvironment environment{{{"XDG_CONFIG_HOME", home.path("config")},
                                   {"XDG_STATE_HOME", home.path("state")},
                                   {"XDG_RUNTIME_DIR", home.makeFolder("run")}}};
};

TEST_F(PlannedProfiles, TheEditorShowsThePlanOfTheChosenProfileAndDeletingItRemovesItsUnits)
{
    const profiles::PlannedProfile maison{"Maison", folder(), "/usr/bin/velmorane"};
    const auto units = profiles::planUnits(maison, {profiles::PlanKind::Daily, 1, 18, 0, {}});
    for (const auto& unit : units.value) home.makeFile("config/systemd/user/" + unit.name, unit.text);
    const std::string key = profiles::profileKey("Maison", folder());
    ASSERT_TRUE(std::filesystem::exists(unitPath(profiles::timerName(key))));

    ui::MainWindow& w = start();
    EXPECT_TRUE(whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        EXPECT_EQ(editor.planLabel->text().toStdString(), "");
        editor.profileList->setCurrentRow(1);
        EXPECT_EQ(editor.planLabel->text().toStdString(), "Non planifié");
        editor.profileList->setCurrentRow(0);
        EXPECT_EQ(editor.planLabel->text().toStdString(), "Planifié : chaque jour à 18:00");
        click(editor.confirmButton);
    }));
    EXPECT_EQ(shown(), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(unitPath(profiles::timerName(key))));
    EXPECT_FALSE(std::filesystem::exists(unitPath(profiles::serviceName(key))));
}

TEST_F(PlannedProfiles, WithoutAUserManagerTheDialogOffersTheCrontabLineAndNotTheVolume)
{
    ui::MainWindow& w = start("Maison");
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    EXPECT_TRUE(whileOpen<ui::PlanDialog>([&] { w.planProfile(); }, [&](ui::PlanDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Planifier le profil Maison");
        EXPECT_TRUE(dialog.kinds[0]->isChecked());
        EXPECT_FALSE(dialog.kinds[3]->isEnabled());
        EXPECT_TRUE(dialog.avis->isVisible());
        EXPECT_EQ(dialog.avis->text().toStdString(),
                  "Le gestionnaire systemd de l'utilisateur ne fonctionne pas : ajoutez cette ligne avec crontab -e.");
        EXPECT_EQ(dialog.ligneCron->text().toStdString(), "");
        dialog.kinds[1]->setChecked(true);
        EXPECT_EQ(dialog.ligneCron->text().toStdString(),
                  "0 18 * * * cd '" + folder() + "' && '" + program + "' 'Maison' X");
        dialog.kinds[2]->setChecked(true);
        dialog.jour->setCurrentIndex(2);
        dialog.heure->setTime(QTime(7, 30));
        EXPECT_EQ(dialog.ligneCron->text().toStdString(),
                  "30 7 * * 3 cd '" + folder() + "' && '" + program + "' 'Maison' X");
        EXPECT_EQ(dialog.confirmButton->text().toStdString(), "Fermer");
        click(dialog.confirmButton);
        EXPECT_FALSE(dialog.isVisible());
    }));
    EXPECT_FALSE(std::filesystem::exists(home.path("config/systemd")));
    EXPECT_EQ(shown(), std::vector<std::string>{});
}

TEST_F(PlannedProfiles, TheLastReportOfTheChosenProfileIsShownAndItsAbsenceSaid)
{
    ui::MainWindow& w = start();
    w.planProfile();
    w.showLastReport();
    EXPECT_EQ(shown(), (std::vector<std::string>{"Velmorane: Aucun Profil choisi", "Velmorane: Aucun Profil choisi"}));
    dialogs.clear();

    w.profileEntries[2]->trigger();
    w.showLastReport();
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: Aucun rapport pour le Profil Bureau"});
    const std::string key = profiles::profileKey("Bureau", folder());
    const execution::EntryFailure failure{{13, "Permission non accordée"}, "/w/a.txt", "/a/a.txt"};
    ASSERT_TRUE(execution::writeRunReport(key, "Profil Bureau", "3 erreur(s)", {failure}, 1'700'000'000).ok());
    const auto last = execution::writeRunReport(key, "Profil Bureau", "1 erreur(s)", {failure}, 1'700'000'060);
    ASSERT_TRUE(last.ok());
    EXPECT_TRUE(whileOpen<ui::ReportViewer>([&] { w.showLastReport(); }, [&](ui::ReportViewer& viewer) {
        EXPECT_EQ(viewer.windowTitle().toStdString(), "Dernier rapport du profil Bureau");
        EXPECT_TRUE(viewer.texte->isReadOnly());
        EXPECT_EQ(viewer.texte->toPlainText().toStdString(), readFileBytes(last.value));
    }));
}

}  // namespace
}  // namespace velmorane::testing
