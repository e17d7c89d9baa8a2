#include "ui/execution_progress_bar.h"

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

void showExecutionProgress(QProgressBar& bar, const execution::ExecutionProgress& progress)
{
    // The share done follows the bytes when there are any to copy, the entries otherwise.
    const double share =
        progress.bytesTotal > 0     ? static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal)
        : progress.entriesTotal > 0 ? static_cast<double>(progress.entriesDone) / static_cast<double>(progress.entriesTotal)
                                    : 1.0;
    bar.setRange(0, kProgressSteps);
    bar.setValue(static_cast<int>(std::clamp(share, 0.0, 1.0) * kProgressSteps));
    QString text = QStringLiteral("%1 / %2 éléments").arg(progress.entriesDone).arg(progress.entriesTotal);
    if (progress.bytesTotal > 0) {
        text += QStringLiteral(" · %1 / %2").arg(byteSize(progress.bytesDone), byteSize(progress.bytesTotal));
    }
    bar.setFormat(text);
}

bool ProgressPace::due(const execution::ExecutionProgress& progress)
{
    const bool last = progress.entriesDone == progress.entriesTotal;
    if (!last && sinceShown_.isValid() && sinceShown_.elapsed() < kIntervalMs) return false;
    sinceShown_.start();
    return true;
}

}  // namespace velmorane::ui
