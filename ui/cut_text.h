#pragma once

#include <QStyledItemDelegate>

#include <string>
#include <vector>

class QLabel;

namespace velmorane::ui {

// Whether a label's text is cut: wider than the part of the label its parent shows or, for a label
// that wraps its lines, taller.
bool isTextCut(const QLabel* label);

// The label shows its whole text in a tooltip whenever the text is cut.
void showWholeTextWhenCut(QLabel* label);

// The texts of a window's visible labels, buttons, check boxes and frames that are cut, each as
// "name: text", in the order of the window's children.
std::vector<std::string> cutCaptions(const QWidget* window);

// Draws list entries as the style does and shows an entry's whole text in a tooltip when it is cut.
// Nothing is measured until the pointer rests on an entry, so a long list costs nothing more.
class WholeTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    // The place an entry is drawn in, for a list that moves its entries within their rows.
    virtual QStyleOptionViewItem drawnOption(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

}  // namespace velmorane::ui
