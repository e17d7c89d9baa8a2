#include "execution/chosen_entries.h"
#include "ui/main_window.h"

#include <QLocale>

#include <algorithm>
#include <limits>

namespace velmorane::ui {
namespace {

constexpr int kProgressSteps = 1000;

QString byteSize(std::uint64_t bytes)
{
    return QLocale(QLocale::French, QLocale::France)
        .formattedDataSize(static_cast<qint64>(std::min<std::uint64_t>(bytes, std::numeric_limits<qint64>::max())), 1,
                           QLocale::DataSizeTraditionalFormat);
}

}  // namespace

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
    dialogs_.show({*reason, "Action Impossible", ui::Icon::Warning});
    return false;
}

void Main::setProgress(std::size_t entriesDone, std::size_t entriesTotal, std::uint64_t bytesDone,
                       std::uint64_t bytesTotal)
{
    // The share done follows the bytes when there are any to copy, the entries otherwise.
    const double share = bytesTotal > 0    ? static_cast<double>(bytesDone) / static_cast<double>(bytesTotal)
                         : entriesTotal > 0 ? static_cast<double>(entriesDone) / static_cast<double>(entriesTotal)
                                            : 1.0;
    Progression->setRange(0, kProgressSteps);
    Progression->setValue(static_cast<int>(std::clamp(share, 0.0, 1.0) * kProgressSteps));
    QString text = QStringLiteral("%1 / %2 éléments").arg(entriesDone).arg(entriesTotal);
    if (bytesTotal > 0) text += QStringLiteral(" · %1 / %2").arg(byteSize(bytesDone), byteSize(bytesTotal));
    Progression->setFormat(text);
    if (Progression->isHidden()) {
        Progression->show();
        placeReview();
    }
}

}  // namespace velmorane::ui
