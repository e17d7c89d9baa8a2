#include "ui/progress_window.h"

#include "ui/dialogs.h"
#include "ui/execution_progress_bar.h"
#include "ui/twips.h"

namespace velmorane::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Auto"));
    setWindowTitle(QString::fromUtf8(execution::kApplicationTitle));
    setFixedSize(toPixels(4680), toPixels(3195));
    setBackground(this, QColor(0, 0, 0));

    messageLabel = new QLabel(QStringLiteral("En-Cours"), this);
    messageLabel->setObjectName(QStringLiteral("Affiche"));
    messageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    messageLabel->setFont(msSansSerif(24));
    setBackground(messageLabel, QColor(0, 0, 0));
    setTextColour(messageLabel, QColor(255, 255, 255));
    place(messageLabel, {1335, 555, 2040, 555});

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("Progression"));
    progressBar->setTextVisible(true);
    place(progressBar, {240, 2520, 4200, 300});
    progressBar->hide();
}

void ProgressWindow::setProgress(const execution::ExecutionProgress& progress)
{
    showExecutionProgress(*progressBar, progress);
    progressBar->show();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    if (closeQuestion_ && !closeQuestion_()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void ProgressWindow::setMessage(const std::string& text)
{
    messageLabel->setText(QString::fromStdString(ui::withLineFeeds(text)));
    // The label keeps its top-left corner and takes the size of its text.
    const QRect before = messageLabel->geometry();
    messageLabel->adjustSize();
    messageLabel->move(before.topLeft());
}

}  // namespace velmorane::ui
