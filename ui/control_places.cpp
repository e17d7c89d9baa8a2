#include "ui/control_places.h"

#include <QScreen>
#include <QWidget>

namespace velmorane::ui {
namespace {

// Controls of our own: the inner parts of Qt's widgets are named "qt_…" or not at all.
bool isNamedControl(const QWidget* control, const QWidget* window)
{
    const QString name = control->objectName();
    return !control->isWindow() && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
           control->isVisibleTo(window);
}

std::string describe(const QWidget* control, const char* where, const QWidget* other)
{
    return (control->objectName() + QLatin1String(": ") + QLatin1String(where) + QLatin1Char(' ') + other->objectName())
        .toStdString();
}

}  // namespace

std::vector<std::string> misplacedControls(const QWidget* window)
{
    std::vector<std::string> misplaced;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!isNamedControl(control, window)) continue;
        const QWidget* parent = control->parentWidget();
        const bool scrolled = parent->objectName() == QLatin1String("qt_scrollarea_viewport");
        if (!scrolled && !parent->rect().contains(control->geometry())) {
            misplaced.push_back(describe(control, "outside", parent));
        }
        bool after = false;
        for (const QObject* child : parent->children()) {
            if (child == control) {
                after = true;
                continue;
            }
            const auto* other = qobject_cast<const QWidget*>(child);
            if (!after || !other || !isNamedControl(other, window)) continue;
            if (control->geometry().intersects(other->geometry())) misplaced.push_back(describe(control, "under", other));
        }
    }
    return misplaced;
}

bool fitsScreen(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen && screen->availableGeometry().contains(window->frameGeometry());
}

}  // namespace velmorane::ui
