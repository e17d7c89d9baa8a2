#include "ui/twips.h"

#include <QRect>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace velmorane::ui {
namespace {

constexpr const char* kTwipsProperty = "velmoraneTwips";

// Both edges are rounded, so controls that touch in twips touch in pixels.
QRect pixelsOf(const Twips& t)
{
    const int left = toPixels(t.left);
    const int top = toPixels(t.top);
    return QRect(left, top, toPixels(t.left + t.width) - left, toPixels(t.top + t.height) - top);
}

// Matches the look of the design's point sizes at 96 dots per inch.
int pixelSize(double points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

// Liberation Sans has the widths of Arial, and of MS Sans Serif closely enough that captions fit.
QFont metricCompatibleSans(double points)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize(points));
    return font;
}

// Changes one of a control's four twips values, keeping the three others.
void setOne(QWidget* control, int Twips::*value, int twips)
{
    Twips t = twipsOf(control);
    t.*value = twips;
    place(control, t);
}

}  // namespace

int toPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

void place(QWidget* control, const Twips& twips)
{
    control->setProperty(kTwipsProperty, QRect(twips.left, twips.top, twips.width, twips.height));
    control->setGeometry(pixelsOf(twips));
}

Twips twipsOf(const QWidget* control)
{
    const QVariant stored = control->property(kTwipsProperty);
    if (stored.isValid()) {
        const QRect r = stored.toRect();
        const Twips twips{r.x(), r.y(), r.width(), r.height()};
        if (pixelsOf(twips) == control->geometry()) return twips;
    }
    const QRect g = control->geometry();
    return {g.x() * kTwipsPerPixel, g.y() * kTwipsPerPixel, g.width() * kTwipsPerPixel,
            g.height() * kTwipsPerPixel};
}

void setLeft(QWidget* control, int left)
{
    setOne(control, &Twips::left, left);
}

void setTop(QWidget* control, int top)
{
    setOne(control, &Twips::top, top);
}

void setWidth(QWidget* control, int width)
{
    setOne(control, &Twips::width, width);
}

void setHeight(QWidget* control, int height)
{
    setOne(control, &Twips::height, height);
}

QFont msSansSerif(double points, bool bold)
{
    QFont font = metricCompatibleSans(points);
    font.setBold(bold);
    return font;
}

QFont arial(double points)
{
    return metricCompatibleSans(points);
}

void setBackground(QWidget* control, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

void setTextColour(QWidget* control, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

QColor background(const QWidget* control)
{
    return control->palette().color(QPalette::Window);
}

}  // namespace velmorane::ui
