#include "ui/form_builders.h"

#include "ui/controls.h"

namespace velmorane::ui {

QLabel* plainLabel(QWidget* parent, const char* name, const QString& caption, const Twips& place_, const QColor& text,
                   bool bordered)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(msSansSerif(8.25));
    if (bordered) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    setTextColour(label, text);
    place(label, place_);
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const Twips& place_, const QFont& font)
{
    auto* push = new PushButton(caption, parent);
    push->setObjectName(QLatin1String(name));
    push->setFont(font);
    place(push, place_);
    return push;
}

}  // namespace velmorane::ui
