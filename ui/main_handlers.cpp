#include "engine/status_text.h"
#include "platform/letter_case.h"
#include "profiles/command_line.h"
#include "profiles/profile_menu.h"
#include "ui/qt_text.h"
#include "ui/main_window.h"
#include "ui/settings_menus.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace velmorane::ui {
namespace {

// Unchecked entries are not checkable, so a menu shows no empty check box beside them.
void setMenuCheck(QAction* item, bool checked)
{
    item->setCheckable(checked);
    item->setChecked(checked);
}

}  // namespace

void MainWindow::showStatus()
{
    if (screenState_ == ScreenState::Progress) return;
    state_.statusText = engine::statusText(state_.settings);
    QString text = qt(state_.statusText);
    text.remove(QLatin1Char('\r'));
    statusLabel->setText(text);
}

void MainWindow::setSource(const std::string& text)
{
    state_.settings.source = text;
    workLabel->setText(qt(text));
}

void MainWindow::setArchive(const std::string& text)
{
    state_.settings.archive = text;
    archiveLabel->setText(qt(text));
}

void MainWindow::setDirectionText(const std::string& text)
{
    state_.settings.directionText = text;
    directionLabel->setText(qt(text));
}

void MainWindow::setActionText(const std::string& text)
{
    state_.settings.actionText = text;
    actionLabel->setText(qt(text));
}

void MainWindow::driveChosen()
{
    const std::string previousRoot = driveList->driveOf(folderList->path());
    const std::string drive = driveList->drive();
    const auto last = lastFolderOnDrive_.find(drive);
    folderList->setRoot(drive);
    if (last != lastFolderOnDrive_.end() && folderList->setPath(last->second)) return;
    if (folderList->setPath(drive)) return;
    // A drive that cannot be read is ignored: the folder list stays where it was.
    folderList->setRoot(previousRoot);
    driveList->showDrive(previousRoot);
}

void MainWindow::showDriveOfFolder()
{
    driveList->showDrive(driveList->driveOf(folderList->path()));
}

void MainWindow::folderOpened()
{
    fileList->setPath(folderList->path());
    lastFolderOnDrive_[driveList->driveOf(folderList->path())] = folderList->path();
    folderClicked();
}

void MainWindow::folderClicked()
{
    const std::string& path = folderList->path();
    if (screenState_ == ScreenState::ChoosingWork && !platform::equalIgnoringCase(state_.settings.source, path)) {
        setSource(path);
        markProfile(-1);
    }
    if (screenState_ == ScreenState::ChoosingArchive && !platform::equalIgnoringCase(state_.settings.archive, path)) {
        setArchive(path);
        markProfile(-1);
    }
    showStatus();
}

// The click that began the double-click is undone, so a folder that has gone changes no setting.
void MainWindow::reportUnopenedFolder(const std::string& folder, const platform::SystemError& error, bool afterClick)
{
    if (afterClick) {
        setSource(choiceBeforeClick_.source);
        setArchive(choiceBeforeClick_.but);
        markProfile(choiceBeforeClick_.activeProfile);
        showStatus();
    }
    dialogs_.show(ui::stopMessage("Impossible d'ouvrir le dossier " + folder + "\n" + error.reason,
                                        execution::kApplicationTitle));
    refreshBrowsing();
}

void MainWindow::refreshBrowsing()
{
    folderList->refresh();
    fileList->setPath(folderList->path());
}

void MainWindow::chooseWorkFolder()
{
    if (!reviewShown_) setScreenState(ScreenState::ChoosingWork);
}

void MainWindow::workHeadingClicked()
{
    chooseWorkFolder();
}

void MainWindow::chooseArchiveFolder()
{
    if (!reviewShown_) setScreenState(ScreenState::ChoosingArchive);
}

void MainWindow::archiveHeadingClicked()
{
    chooseArchiveFolder();
}

void MainWindow::workFolderCommand()
{
    setScreenState(ScreenState::ChoosingWork);
}

void MainWindow::archiveFolderCommand()
{
    setScreenState(ScreenState::ChoosingArchive);
}

void MainWindow::chooseDirection(std::size_t entry)
{
    state_.settings.direction = kDirectionMenu[entry];
    setDirectionText(kDirectionCaptions[entry]);
    markDirection(state_.settings.direction);
    showStatus();
}

void MainWindow::chooseAction(std::size_t entry)
{
    state_.settings.action = kActionMenu[entry];
    setActionText(kActionCaptions[entry]);
    markAction(state_.settings.action);
    showStatus();
}

void MainWindow::directionChosen(int index)
{
    chooseDirection(static_cast<std::size_t>(index));
}

void MainWindow::actionChosen(int index)
{
    chooseAction(static_cast<std::size_t>(index));
}

void MainWindow::nextDirection()
{
    if (!reviewShown_) chooseDirection(nextMenuEntry(state_.settings.direction, kDirectionMenu));
}

void MainWindow::directionHeadingClicked()
{
    nextDirection();
}

void MainWindow::nextAction()
{
    if (!reviewShown_) chooseAction(nextMenuEntry(state_.settings.action, kActionMenu));
}

void MainWindow::actionHeadingClicked()
{
    nextAction();
}

void MainWindow::markDirection(engine::Direction direction)
{
    for (QAction* entry : directionEntries) setMenuCheck(entry, false);
    markProfile(-1);
    if (const auto entry = menuEntryOf(direction, kDirectionMenu)) setMenuCheck(directionEntries[*entry], true);
}

void MainWindow::markAction(engine::Action action)
{
    for (QAction* entry : actionEntries) setMenuCheck(entry, false);
    markProfile(-1);
    if (const auto entry = menuEntryOf(action, kActionMenu)) setMenuCheck(actionEntries[*entry], true);
}

void MainWindow::markProfile(int reste)
{
    for (std::size_t i = 1; i < profileEntries.size(); ++i) setMenuCheck(profileEntries[i], false);
    state_.activeProfile = reste;
    if (const auto entry = profiles::checkedEntry(reste, profileEntries.size()); entry && *entry > 0) {
        setMenuCheck(profileEntries[*entry], true);
    }
    setWindowTitle(qt(profiles::windowCaption(state_.profileTable, reste)));
}

void MainWindow::loadProfileMenu()
{
    const auto wanted = static_cast<std::size_t>(state_.profileTable.count()) + 1;
    while (profileEntries.size() > wanted) {
        delete profileEntries.back();
        profileEntries.pop_back();
    }
    while (profileEntries.size() < wanted) {
        const int index = static_cast<int>(profileEntries.size());
        QAction* entry = profileMenu->addAction(QString());
        entry->setObjectName(QStringLiteral("newProf(%1)").arg(index));
        connect(entry, &QAction::triggered, this, [this, index] { openProfile(index); });
        profileEntries.push_back(entry);
    }
    for (int number = 1; number <= state_.profileTable.count(); ++number) {
        QAction* entry = profileEntries[static_cast<std::size_t>(number)];
        entry->setText(qt(state_.profileTable.at(number).name));
        setMenuCheck(entry, number == state_.activeProfile);
    }
}

void MainWindow::openProfile(int index)
{
    if (index < 1 || index > state_.profileTable.count()) return;
    const profiles::Profile& profile = state_.profileTable.at(index);
    const engine::RunSettings& stored = profile.settings;
    setSource(stored.source);
    setArchive(stored.archive);
    state_.settings.direction = stored.direction;
    markDirection(stored.direction);
    setDirectionText(stored.directionText);
    state_.settings.action = stored.action;
    markAction(stored.action);
    setActionText(stored.actionText);
    markProfile(index);
    showStatus();
}

void MainWindow::showHelp()
{
    dialogs_.show({profiles::helpText(), "Information", ui::Icon::Information});
}

void MainWindow::backToSettings()
{
    if (busy_) return;
    setScreenState(ScreenState::LeavingReview);
    setScreenState(ScreenState::ChoosingWork);
    reviewShown_ = false;
}

void MainWindow::leaveReview()
{
    backToSettings();
}

void MainWindow::resetSettings()
{
    if (busy_) return;
    setScreenState(ScreenState::LeavingReview);
    setScreenState(ScreenState::ChoosingWork);
    markAction(engine::Action::Unset);
    markDirection(engine::Direction::Unset);
    markProfile(-1);
    setArchive({});
    setSource({});
    setDirectionText({});
    setActionText({});
    screenState_ = ScreenState::ChoosingWork;
    state_.settings.direction = engine::Direction::Unset;
    state_.settings.action = engine::Action::Unset;
    reviewShown_ = false;
    showStatus();
}

void MainWindow::quit()
{
    if (executing_) {
        // The execution is inside the event loop and cannot be left from here: it stops between
        // two files, says what it did, and the program then ends.
        askToStopExecution(AfterExecution::Quit);
        return;
    }
    if (busy_) {
        // A comparison only reads: the program ends at once.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QApplication::closeAllWindows();
    QApplication::quit();
}

}  // namespace velmorane::ui
