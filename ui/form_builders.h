#pragma once

#include "ui/twips.h"

#include <QLabel>
#include <QPushButton>

namespace velmorane::ui {

// A label of the design: its name, caption, place in twips and text colour, in the window's
// default font, with a sunken border when the design gives it one.
QLabel* plainLabel(QWidget* parent, const char* name, const QString& caption, const Twips& place_, const QColor& text,
                   bool bordered);

// A push button that Enter and Space both press.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, const Twips& place_, const QFont& font);

}  // namespace velmorane::ui
