#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace velmorane::ui {

// Places and sizes of controls are kept in twips, 15 to a device-independent pixel. Each control
// remembers the twips it was given, so reading them back gives exactly what was set unless the
// control's pixel geometry was changed some other way; then its pixels are read back as twips.
inline constexpr int kTwipsPerPixel = 15;

struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Twips&) const = default;
};

void place(QWidget* control, const Twips& twips);
Twips twipsOf(const QWidget* control);

void setLeft(QWidget* control, int left);
void setTop(QWidget* control, int top);
void setWidth(QWidget* control, int width);
void setHeight(QWidget* control, int height);
inline int leftOf(const QWidget* control) { return twipsOf(control).left; }
inline int topOf(const QWidget* control) { return twipsOf(control).top; }
inline int widthOf(const QWidget* control) { return twipsOf(control).width; }
inline int heightOf(const QWidget* control) { return twipsOf(control).height; }

int toPixels(int twips);

// The two font families of the design: "MS Sans Serif" and "Arial", each by a free font of the same
// widths, sized in pixels so that captions fit the same places whatever the screen's dots per inch.
QFont msSansSerif(double points, bool bold = false);
QFont arial(double points);

inline const QColor kWhite{255, 255, 255};
inline const QColor kLightGrey{224, 224, 224};
inline const QColor kCaptionRed{192, 0, 0};

// A label's or a frame's colours.
void setBackground(QWidget* control, const QColor& colour);
void setTextColour(QWidget* control, const QColor& colour);
QColor background(const QWidget* control);

}  // namespace velmorane::ui
