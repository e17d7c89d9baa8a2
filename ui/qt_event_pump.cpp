#include "ui/qt_event_pump.h"

#include <QCoreApplication>

namespace velmorane::ui {
namespace {

constexpr qint64 kIntervalMs = 15;

}  // namespace

void QtEventPump::processEvents()
{
    if (sinceLast_.isValid() && sinceLast_.elapsed() < kIntervalMs) return;
    QCoreApplication::processEvents();
    sinceLast_.start();
}

}  // namespace velmorane::ui
