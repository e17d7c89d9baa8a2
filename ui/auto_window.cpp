#include "ui/auto_window.h"

#include "platform/dialogs.h"
#include "ui/execution_progress_bar.h"
#include "ui/twips.h"

namespace velmorane::ui {

Auto::Auto(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Auto"));
    setWindowTitle(QString::fromUtf8(platform::kApplicationTitle));
    setFixedSize(toPixels(4680), toPixels(3195));
    setBackground(this, QColor(0, 0, 0));

    Affiche = new QLabel(QStringLiteral("En-Cours"), this);
    Affiche->setObjectName(QStringLiteral("Affiche"));
    Affiche->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Affiche->setFont(msSansSerif(24));
    setBackground(Affiche, QColor(0, 0, 0));
    setTextColour(Affiche, QColor(255, 255, 255));
    place(Affiche, {1335, 555, 2040, 555});

    Progression = new QProgressBar(this);
    Progression->setObjectName(QStringLiteral("Progression"));
    Progression->setTextVisible(true);
    place(Progression, {240, 2520, 4200, 300});
    Progression->hide();
}

void Auto::setProgress(const execution::ExecutionProgress& progress)
{
    showExecutionProgress(*Progression, progress);
    Progression->show();
}

void Auto::closeEvent(QCloseEvent* event)
{
    if (closeQuestion_ && !closeQuestion_()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Auto::setAffiche(const std::string& text)
{
    Affiche->setText(QString::fromStdString(platform::withLineFeeds(text)));
    // The label keeps its top-left corner and takes the size of its text.
    const QRect before = Affiche->geometry();
    Affiche->adjustSize();
    Affiche->move(before.topLeft());
}

}  // namespace velmorane::ui
