#include "platform/qt_event_pump.h"

#include <QCoreApplication>

namespace velmorane::platform {
namespace {

constexpr qint64 kIntervalMs = 15;

}  // namespace

void QtEventPump::processEvents()
{
    if (sinceLast_.isValid() && sinceLast_.elapsed() < kIntervalMs) return;
    QCoreApplication::processEvents();
    sinceLast_.start();
}

}  // namespace velmorane::platform
