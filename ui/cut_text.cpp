#include "ui/cut_text.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QToolTip>

#include <algorithm>
#include <climits>

namespace velmorane::ui {
namespace {

// Shows a label's whole text when the pointer rests on it and the text is cut.
class WholeTextTip : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
        auto* label = static_cast<QLabel*>(watched);
        if (isTextCut(label)) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), label->text(), label);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
};

// The part of a control that its parent shows, in the control's coordinates.
QRect shownPart(const QWidget* control, QRect area)
{
    if (const QWidget* parent = control->parentWidget()) area &= parent->rect().translated(-control->pos());
    return area;
}

// A framed label draws its text half an "x" in from the edges it is aligned to, as QLabel does.
QRect indented(const QLabel* label, QRect area)
{
    int indent = label->indent();
    if (indent < 0) indent = label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    const Qt::Alignment alignment = label->alignment();
    if (alignment & Qt::AlignLeft) area.setLeft(area.left() + indent);
    if (alignment & Qt::AlignRight) area.setRight(area.right() - indent);
    if (alignment & Qt::AlignTop) area.setTop(area.top() + indent);
    if (alignment & Qt::AlignBottom) area.setBottom(area.bottom() - indent);
    return area;
}

int widestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// A caption as drawn: the "&" that marks an access key is not shown, "&&" shows one "&".
QString shownCaption(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption;
}

bool isButtonTextCut(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool checkBox = qobject_cast<const QCheckBox*>(button) != nullptr;
    if (checkBox) option.iconSize = button->iconSize();
    const QRect contents = button->style()->subElementRect(
        checkBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    return widestLine(button->fontMetrics(), shownCaption(button->text())) > shownPart(button, contents).width();
}

bool isFrameTitleCut(const QGroupBox* frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title =
        frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame) & frame->rect();
    return frame->fontMetrics().horizontalAdvance(shownCaption(frame->title())) > title.width();
}

}  // namespace

// A line counts as shown when its letters above the baseline are; the last line's descent may fall
// a pixel short, as line heights round.
bool isTextCut(const QLabel* label)
{
    const QString text = label->text();
    if (text.isEmpty()) return false;
    const int margin = label->margin();
    const QRect shown = shownPart(label, indented(label, label->contentsRect().adjusted(margin, margin, -margin, -margin)));
    const QFontMetrics metrics(label->font());
    QSize needed;
    if (label->wordWrap()) {
        needed = metrics
                     .boundingRect(QRect(0, 0, shown.width(), INT_MAX),
                                   static_cast<int>(label->alignment()) | Qt::TextWordWrap, text)
                     .size();
    } else {
        needed = {widestLine(metrics, text), static_cast<int>(text.count(QLatin1Char('\n')) + 1) * metrics.height()};
    }
    return needed.width() > shown.width() || needed.height() - metrics.descent() > shown.height();
}

void showWholeTextWhenCut(QLabel* label)
{
    label->installEventFilter(new WholeTextTip(label));
}

std::vector<std::string> cutCaptions(const QWidget* window)
{
    std::vector<std::string> cut;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window)) continue;
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(control); label && isTextCut(label)) text = label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control); button && isButtonTextCut(button)) {
            text = button->text();
        }
        if (const auto* frame = qobject_cast<const QGroupBox*>(control); frame && isFrameTitleCut(frame)) {
            text = frame->title();
        }
        if (!text.isEmpty()) cut.push_back((control->objectName() + QStringLiteral(": ") + text).toStdString());
    }
    return cut;
}

void WholeTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, drawnOption(option, index), index);
}

bool WholeTextDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid()) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStyleOptionViewItem item = drawnOption(option, index);
    initStyleOption(&item, index);
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const QRect textArea = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, view)
                               .adjusted(margin, 0, -margin, 0) &
                           view->viewport()->rect();
    if (item.fontMetrics.horizontalAdvance(item.text) > textArea.width()) {
        QToolTip::showText(event->globalPos(), item.text, view->viewport());
    } else {
        QToolTip::hideText();
    }
    return true;
}

QStyleOptionViewItem WholeTextDelegate::drawnOption(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return option;
}

}  // namespace velmorane::ui
