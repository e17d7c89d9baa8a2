#pragma once

#include "engine/comparison.h"
#include "engine/exclusions.h"
#include "engine/settings.h"
#include "execution/check_box_pair.h"
#include "execution/executor.h"
#include "execution/mirror_run.h"
#include "platform/dialogs.h"
#include "profiles/command_line.h"
#include "profiles/shared_state.h"
#include "ui/controls.h"
#include "ui/task_list_model.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velmorane::ui {

// The main window. Its controls carry the names of the design and are public, as a form's controls
// are; its handlers read and write them and call the layers below.
class Main : public QMainWindow {
    Q_OBJECT
public:
    // The client area of the design, in twips.
    static constexpr int kClientWidth = 10530;
    static constexpr int kClientHeight = 7920;

    Main(profiles::SharedState& state, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~Main() override;

    // Start-up: the folder browser at the working directory, the profiles, and the profile named by
    // the first word opened.
    void loadAtStart(const profiles::CommandWords& words);
    // The thread the last run worked on, never the window's own.
    std::thread::id lastRunThread() const { return runThread_; }

    void setScreenState(int mode);
    void affMess();
    void chkSens(engine::Direction direction);
    void chkAction(engine::Action action);
    void chkProfil(int reste);
    // The entries of the profile menu follow the profile table: one per profile after newProf(0).
    void loadProfileMenu();

    // Folder and file browsing.
    void Lecteur_Change();
    void Dossier_Change();
    void Dossier_Click();
    void Source_Click();
    void affSource_Click();
    void But_Click();
    void affBut_Click();
    void Source1_Click();
    void But1_Click();
    // A folder of the list that cannot be opened any more: the reason is told and nothing is chosen.
    void reportUnopenedFolder(const std::string& folder, const platform::SystemError& error, bool afterClick);

    // Direction, action and profile menus and their labels.
    void Sens_Click(int index);
    void Action_Click(int index);
    void Sens1_Click();
    void affSens_Click();
    void Action1_Click();
    void affAction_Click();
    void newProf_Click(int index);
    void menAide_Click();

    // The run, the review and the execution.
    void Lance_Click();
    void Selection_Click();
    void Ajout_Click(int index);
    void Modif_Click(int index);
    void Suppr_Click(int index);
    // The end of a run that found its lists: the review, or the execution of an unattended run.
    void endRun(execution::MirrorRun run);

    // Navigation.
    void Retour_Click();
    void Quitter2_Click();
    void Init_Click();
    void Fin_Click();

    // Profile commands and the edit commands on the chosen file.
    void ProfNouv_Click();
    void Efface_Click();
    void TriProf_Click();
    // The chosen profile's plan, and its last report.
    void Planifier_Click();
    void Rapport_Click();
    void Edite_Click(int index);
    void Fichier_Click();

    // While a run or an execution goes on, the commands that would start another or leave the
    // screen are disabled; afterwards they are as the screen state left them.
    void setRunning(bool running);
    // Whether the boxes as they are choose any entry to execute; when none, says so and returns false.
    bool hasSomethingToExecute();
    // The progress bar of an execution: entries done of all taken, bytes copied of all to copy.
    void setProgress(std::size_t entriesDone, std::size_t entriesTotal, std::uint64_t bytesDone,
                     std::uint64_t bytesTotal);

    int modeEcran() const { return modeEcran_; }
    bool resultatsAffiches() const { return resultatsAffiches_; }
    bool busy() const { return busy_; }
    const engine::RunFlags& runFlags() const { return run_.plan().flags; }
    execution::TaskLists& taskLists() { return run_.lists(); }

    // Top band.
    ClickLabel* affSource = nullptr;
    ClickLabel* Source = nullptr;
    ClickLabel* affBut = nullptr;
    ClickLabel* But = nullptr;
    ClickLabel* affSens = nullptr;
    ClickLabel* Sens1 = nullptr;
    ClickLabel* affAction = nullptr;
    ClickLabel* Action1 = nullptr;
    // Browsing.
    QGroupBox* Systeme = nullptr;
    FileList* Fichier = nullptr;
    DriveList* Lecteur = nullptr;
    FolderList* Dossier = nullptr;
    // Information.
    QGroupBox* Infos = nullptr;
    QLabel* Comment1 = nullptr;
    QPushButton* Lance = nullptr;
    QLabel* ChatRex = nullptr;
    // Progress.
    QGroupBox* Panneau = nullptr;
    QLabel* Etape = nullptr;
    QLabel* Compteur = nullptr;
    // Review.
    QLabel* affAjout = nullptr;
    QLabel* affModif = nullptr;
    QLabel* affSuppr = nullptr;
    std::array<QCheckBox*, 2> Ajout{};
    std::array<QCheckBox*, 2> Modif{};
    std::array<QCheckBox*, 2> Suppr{};
    QLabel* cptAjout = nullptr;
    QLabel* cptModif = nullptr;
    QLabel* cptSuppr = nullptr;
    QListView* fichAjout = nullptr;
    QListView* fichModif = nullptr;
    QListView* fichSuppr = nullptr;
    QPushButton* Selection = nullptr;
    QPushButton* Quitter2 = nullptr;
    QProgressBar* Progression = nullptr;
    // Menus.
    QMenu* menFich = nullptr;
    QAction* Source1 = nullptr;
    QAction* But1 = nullptr;
    QAction* Relire = nullptr;
    QAction* Saut1 = nullptr;
    QAction* Retour = nullptr;
    QAction* Init = nullptr;
    QAction* Fin = nullptr;
    QMenu* menSens = nullptr;
    std::array<QAction*, 2> Sens{};
    QMenu* menAction = nullptr;
    std::array<QAction*, 5> Action{};
    QMenu* menProf = nullptr;
    QAction* ProfNouv = nullptr;
    QAction* Efface = nullptr;
    QAction* TriProf = nullptr;
    QAction* Planifier = nullptr;
    QAction* Rapport = nullptr;
    std::vector<QAction*> newProf;
    QMenu* menEdit = nullptr;
    std::array<QAction*, 2> Edite{};
    QAction* menAide = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class ProgressLabels;
    class CounterLabels;
    class RunWatch;

    void createSinks();
    void buildTopBand(QWidget* form);
    void buildBrowsing(QWidget* form);
    void buildInformation(QWidget* form);
    void buildProgress(QWidget* form);
    void buildReview(QWidget* form);
    void buildMenus();
    void setTabOrder();
    void connectHandlers();
    void setStandardKeys();
    // The window at the size of its design, or as much of it as the screen has room for.
    void fitToScreen();
    void placeTopBand();
    void placeReview();

    void chooseSens(std::size_t entry);
    void chooseAction(std::size_t entry);
    void setSource(const std::string& text);
    void setBut(const std::string& text);
    void setSens1(const std::string& text);
    void setAction1(const std::string& text);

    void openProfileEditor();
    // The folder and file lists read the disk again, choosing nothing.
    void refreshBrowsing();
    void showReview();
    void reloadLists();
    void storeSelections();
    void pairClicked(execution::CheckBoxPair& pair, const std::array<QCheckBox*, 2>& boxes, int index);
    execution::ExecutionChoice executionChoice() const;
    void compareAndReview();
    void showComparing();
    void showExecuting();
    void showRefusal(const execution::Refusal& refusal, bool whileComparing);
    bool goOnAnyway(const platform::Message& refusal);
    bool executeRun(const execution::ExecutionChoice& choice);
    // Closing or quitting during an execution: the user is asked, and Oui stops it between two files.
    enum class AfterExecution { Stay, Close, Quit };
    bool askToStopExecution(AfterExecution after);
    void leaveAfterExecution();

    void environProgress();
    void environReview();
    void environLeaveReview();

    profiles::SharedState& state_;
    platform::Dialogs& dialogs_;
    platform::RunControl control_;
    std::unique_ptr<ProgressLabels> progress_;
    std::unique_ptr<CounterLabels> counters_;
    std::unique_ptr<RunWatch> runWatch_;
    QWidget* form_ = nullptr;
    // The menu commands disabled while running. Each keeps the state the screen states give it
    // meanwhile, and shows it once the run is over.
    QActionGroup* blockedWhileRunning_ = nullptr;

    // The last run; the review lists show its task lists.
    execution::MirrorRun run_{{}, {}};
    TaskListModel* modelAjout_ = nullptr;
    TaskListModel* modelModif_ = nullptr;
    TaskListModel* modelSuppr_ = nullptr;
    std::array<execution::CheckBoxPair, 3> pairs_{};

    // The folders and the active profile before the last single click in the folder list, which the
    // double-click it begins undoes when its folder has gone.
    struct FolderChoice {
        std::string source;
        std::string but;
        int profActif = -1;
    };
    FolderChoice choiceBeforeClick_;

    // The folder last opened on each drive in this session.
    std::map<std::string, std::string> lastFolderOnDrive_;

    int modeEcran_ = 0;
    bool resultatsAffiches_ = false;
    // A run or an execution is in progress: the commands that would start another do nothing.
    bool busy_ = false;
    std::thread::id runThread_;
    bool executing_ = false;
    AfterExecution afterExecution_ = AfterExecution::Stay;
};

}  // namespace velmorane::ui
