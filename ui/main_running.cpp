#include "execution/chosen_entries.h"
#include "ui/execution_progress_bar.h"
#include "ui/main_window.h"

namespace velmorane::ui {

void MainWindow::setRunning(bool running)
{
    for (QWidget* button : std::initializer_list<QWidget*>{startButton, executeButton, leaveReviewButton}) button->setEnabled(!running);
    blockedWhileRunning_->setEnabled(!running);
}

bool MainWindow::hasSomethingToExecute()
{
    storeSelections();
    const auto reason = execution::nothingChosenReason(run_.lists(), run_.plan().flags, executionChoice());
    if (!reason) return true;
    dialogs_.show({*reason, "Action Impossible", ui::Icon::Warning});
    return false;
}

void MainWindow::setProgress(std::size_t entriesDone, std::size_t entriesTotal, std::uint64_t bytesDone,
                       std::uint64_t bytesTotal)
{
    showExecutionProgress(*progressBar, {entriesDone, entriesTotal, bytesDone, bytesTotal});
    if (progressBar->isHidden()) {
        progressBar->show();
        placeReview();
    }
}

}  // namespace velmorane::ui
