#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace velmorane::ui {

using ui::Answer;
using ui::Buttons;
using ui::Icon;
using ui::Message;

namespace {

// Texts come with CR LF line ends; Qt breaks lines at LF and would draw the CR.
QString displayText(const std::string& text)
{
    QString out = QString::fromStdString(text);
    out.remove(QLatin1Char('\r'));
    return out;
}

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton qtButton(Answer answer)
{
    switch (answer) {
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    case Answer::Ok: break;
    }
    return QMessageBox::Ok;
}

// A message box wraps any line wider than half the screen (500 pixels at most); a label as wide as
// its longest line keeps each line whole.
void keepLinesWhole(QMessageBox& box)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label) return;
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(widest + metrics.averageCharWidth());
}

// A window manager draws the title in its own font, often bold and larger, beside the icon and the
// buttons of its title bar; a box narrower than those elides its title.
void keepTitleWhole(QMessageBox& box)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label) return;
    constexpr double kTitleFontGrowth = 1.25;
    constexpr int kTitleBarButtons = 140;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const double title = QFontMetricsF(font).horizontalAdvance(box.windowTitle()) * kTitleFontGrowth;
    label->setMinimumWidth(std::max(label->minimumWidth(), static_cast<int>(title) + kTitleBarButtons));
}

// The window a box belongs to: the open modal window (the profile editor), else the active window,
// else the program's visible window. When one box follows another no window is active for a moment,
// and a box without its window would come up in the middle of the screen.
QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog) && !qobject_cast<QMessageBox*>(window)) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<QMessageBox> makeMessageBox(const Message& message, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(displayText(message.title));
    box->setTextFormat(Qt::PlainText);
    // A tab indents a line as far as a message box's tab stop would; lines are never wrapped, so
    // each line of the text stays one line on the screen.
    box->setText(displayText(message.text).replace(QLatin1Char('\t'), QStringLiteral("        ")));
    keepLinesWhole(*box);
    keepTitleWhole(*box);
    box->setIcon(qtIcon(message.icon));
    if (message.buttons == Buttons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // The interface is French; Qt's own captions would be English without a translation.
        box->button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        box->button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        box->setDefaultButton(qtButton(message.defaultButton));
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
    }
    return box;
}

Answer QtDialogs::show(const Message& message)
{
    const auto box = makeMessageBox(message, ownerWindow());
    switch (box->exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return message.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

std::optional<std::string> QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                               const std::string& proposed)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(ownerWindow(), displayText(title), displayText(prompt),
                                               QLineEdit::Normal, QString::fromStdString(proposed), &accepted);
    if (!accepted) return std::nullopt;
    return text.toStdString();
}

}  // namespace velmorane::ui
