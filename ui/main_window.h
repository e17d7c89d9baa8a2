#pragma once

#include "engine/comparison.h"
#include "engine/exclusions.h"
#include "engine/settings.h"
#include "execution/check_box_pair.h"
#include "execution/executor.h"
#include "execution/mirror_run.h"
#include "platform/sftp_session.h"
#include "ui/dialogs.h"
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

// What the main window shows: the settings while the browser chooses the work folder, the archive
// folder or neither, the progress of a run, or the review of its lists (and the step that leaves it).
enum class ScreenState { Progress, ChoosingWork, ChoosingArchive, NoChoice, Review, LeavingReview };

// The main window. Its controls are public, named for what they show or do, and the tests and the
// screen renderer reach them; its handlers read and write them and start the run driver.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The client area of the design, in twips.
    static constexpr int kClientWidth = 10530;
    static constexpr int kClientHeight = 7920;

    MainWindow(profiles::SharedState& state, ui::Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: the folder browser at the working directory, the profiles, and the profile named by
    // the first word opened.
    void loadAtStart(const profiles::CommandWords& words);
    // The thread the last run worked on, never the window's own.
    std::thread::id lastRunThread() const { return runThread_; }

    void setScreenState(ScreenState state);
    void showStatus();
    void markDirection(engine::Direction direction);
    void markAction(engine::Action action);
    void markProfile(int reste);
    // The entries of the profile menu follow the profile table: one per profile after newProf(0).
    void loadProfileMenu();

    // Folder and file browsing.
    void driveChosen();
    // The drive of the open folder, once the volumes mounted changed.
    void showDriveOfFolder();
    void folderOpened();
    void folderClicked();
    void chooseWorkFolder();
    void workHeadingClicked();
    void chooseArchiveFolder();
    void archiveHeadingClicked();
    void workFolderCommand();
    void archiveFolderCommand();
    // "Serveur SSH…" of the drive list: the server chosen in its dialog, connected to, is browsed.
    void askSshServer();
    void connectToServer(const std::string& server);
    // A folder of the list that cannot be opened any more: the reason is told and nothing is chosen.
    void reportUnopenedFolder(const std::string& folder, const platform::SystemError& error, bool afterClick);

    // Direction, action and profile menus and their labels.
    void directionChosen(int index);
    void actionChosen(int index);
    void nextDirection();
    void directionHeadingClicked();
    void nextAction();
    void actionHeadingClicked();
    void openProfile(int index);
    void showHelp();

    // The run, the review and the execution.
    void startRun();
    void executeChosenEntries();
    void addsBoxClicked(int index);
    void replacementsBoxClicked(int index);
    void deletionsBoxClicked(int index);
    // The end of a run that found its lists: the review, or the execution of an unattended run.
    void endRun(execution::MirrorRun run);

    // Navigation.
    void backToSettings();
    void leaveReview();
    void resetSettings();
    void quit();

    // Profile commands and the edit commands on the chosen file.
    void askProfileToAdd();
    void askProfileToDelete();
    void sortProfiles();
    // The chosen profile's plan, and its last report.
    void planProfile();
    void showLastReport();
    void editChosenFile(int index);
    void fileClicked();

    // While a run or an execution goes on, the commands that would start another or leave the
    // screen are disabled; afterwards they are as the screen state left them.
    void setRunning(bool running);
    // Whether the boxes as they are choose any entry to execute; when none, says so and returns false.
    bool hasSomethingToExecute();
    // The progress bar of an execution: entries done of all taken, bytes copied of all to copy.
    void setProgress(std::size_t entriesDone, std::size_t entriesTotal, std::uint64_t bytesDone,
                     std::uint64_t bytesTotal);

    ScreenState screenState() const { return screenState_; }
    bool reviewShown() const { return reviewShown_; }
    bool busy() const { return busy_; }
    const engine::RunFlags& runFlags() const { return run_.plan().flags; }
    execution::TaskLists& taskLists() { return run_.lists(); }

    // Top band.
    ClickLabel* workHeading = nullptr;
    ClickLabel* workLabel = nullptr;
    ClickLabel* archiveHeading = nullptr;
    ClickLabel* archiveLabel = nullptr;
    ClickLabel* directionHeading = nullptr;
    ClickLabel* directionLabel = nullptr;
    ClickLabel* actionHeading = nullptr;
    ClickLabel* actionLabel = nullptr;
    // Browsing.
    QGroupBox* browsingFrame = nullptr;
    FileList* fileList = nullptr;
    DriveList* driveList = nullptr;
    FolderList* folderList = nullptr;
    // Information.
    QGroupBox* informationFrame = nullptr;
    QLabel* statusLabel = nullptr;
    QPushButton* startButton = nullptr;
    QLabel* hintPicture = nullptr;
    // Progress.
    QGroupBox* progressFrame = nullptr;
    QLabel* stepLabel = nullptr;
    QLabel* counterLabel = nullptr;
    // Review.
    QLabel* addsHeading = nullptr;
    QLabel* replacementsHeading = nullptr;
    QLabel* deletionsHeading = nullptr;
    std::array<QCheckBox*, 2> addsBoxes{};
    std::array<QCheckBox*, 2> replacementsBoxes{};
    std::array<QCheckBox*, 2> deletionsBoxes{};
    QLabel* addsCounter = nullptr;
    QLabel* replacementsCounter = nullptr;
    QLabel* deletionsCounter = nullptr;
    QListView* addList = nullptr;
    QListView* replaceList = nullptr;
    QListView* deleteList = nullptr;
    QPushButton* executeButton = nullptr;
    QPushButton* leaveReviewButton = nullptr;
    QProgressBar* progressBar = nullptr;
    // Menus.
    QMenu* fileMenu = nullptr;
    QAction* workFolderEntry = nullptr;
    QAction* archiveFolderEntry = nullptr;
    QAction* rereadEntry = nullptr;
    QAction* fileMenuSeparator = nullptr;
    QAction* backEntry = nullptr;
    QAction* resetEntry = nullptr;
    QAction* quitEntry = nullptr;
    QMenu* directionMenu = nullptr;
    std::array<QAction*, 2> directionEntries{};
    QMenu* actionMenu = nullptr;
    std::array<QAction*, 5> actionEntries{};
    QMenu* profileMenu = nullptr;
    QAction* addProfileEntry = nullptr;
    QAction* deleteProfileEntry = nullptr;
    QAction* sortProfilesEntry = nullptr;
    QAction* planEntry = nullptr;
    QAction* reportEntry = nullptr;
    std::vector<QAction*> profileEntries;
    QMenu* editMenu = nullptr;
    std::array<QAction*, 2> editEntries{};
    QAction* helpEntry = nullptr;

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

    void chooseDirection(std::size_t entry);
    void chooseAction(std::size_t entry);
    void setSource(const std::string& text);
    void setArchive(const std::string& text);
    void setDirectionText(const std::string& text);
    void setActionText(const std::string& text);

    void openProfileEditor();
    [[nodiscard]] platform::SftpResult<std::string> connectAwayFromWindow(const platform::SftpAddress& server);
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
    bool executeRun(const execution::ExecutionChoice& choice);
    // Closing or quitting during an execution: the user is asked, and Oui stops it between two files.
    enum class AfterExecution { Stay, Close, Quit };
    bool askToStopExecution(AfterExecution after);
    void leaveAfterExecution();

    void showProgressScreen();
    void showReviewScreen();
    void leaveReviewScreen();

    profiles::SharedState& state_;
    ui::Dialogs& dialogs_;
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
    TaskListModel* addsModel_ = nullptr;
    TaskListModel* replacementsModel_ = nullptr;
    TaskListModel* deletionsModel_ = nullptr;
    std::array<execution::CheckBoxPair, 3> pairs_{};

    // The folders and the active profile before the last single click in the folder list, which the
    // double-click it begins undoes when its folder has gone.
    struct FolderChoice {
        std::string source;
        std::string but;
        int activeProfile = -1;
    };
    FolderChoice choiceBeforeClick_;

    // The folder last opened on each drive in this session.
    std::map<std::string, std::string> lastFolderOnDrive_;

    ScreenState screenState_ = ScreenState::Progress;
    bool reviewShown_ = false;
    // A run or an execution is in progress: the commands that would start another do nothing.
    bool busy_ = false;
    std::thread::id runThread_;
    bool executing_ = false;
    AfterExecution afterExecution_ = AfterExecution::Stay;
};

}  // namespace velmorane::ui
