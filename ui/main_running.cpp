#include "execution/chosen_entries.h"
#include "ui/execution_progress_bar.h"
#include "ui/main_window.h"

namespace velmorane::ui {

void Main::setRunning(bool running)
{
    for (QWidget* button : std::initializer_list<QWidget*>{Lance, Selection, Quitter2}) button->setEnabled(!running);
    blockedWhileRunning_->setEnabled(!running);
}

bool Main::hasSomethingToExecute()
{
    storeSelections();
    const auto reason = execution::nothingChosenReason(run_.lists(), run_.plan().flags, executionChoice());
    if (!reason) return true;
    dialogs_.show({*reason, "Action Impossible", platform::Icon::Warning});
    return false;
}

void Main::setProgress(std::size_t entriesDone, std::size_t entriesTotal, std::uint64_t bytesDone,
                       std::uint64_t bytesTotal)
{
    showExecutionProgress(*Progression, {entriesDone, entriesTotal, bytesDone, bytesTotal});
    if (Progression->isHidden()) {
        Progression->show();
        placeReview();
    }
}

}  // namespace velmorane::ui
