#include "ui/run_thread.h"

namespace velmorane::ui {

QueuedObserver::QueuedObserver(QObject& window, execution::RunObserver& shown)
    : window_(window), shown_(shown), progress_(window, shown.progress()), counters_(window, shown.counters())
{
}

void QueuedObserver::phaseStarted(execution::RunPhase phase)
{
    inWindow([&] { shown_.phaseStarted(phase); });
}

void QueuedObserver::refused(const execution::Refusal& refusal)
{
    inWindow([&] { shown_.refused(refusal); });
}

bool QueuedObserver::goOnAnyway(const execution::Refusal& refusal)
{
    bool yes = false;
    inWindow([&] { yes = shown_.goOnAnyway(refusal); });
    return yes;
}

bool QueuedObserver::acceptVolumeRoot(const execution::Refusal& refusal)
{
    bool yes = false;
    inWindow([&] { yes = shown_.acceptVolumeRoot(refusal); });
    return yes;
}

bool QueuedObserver::continueAfterFailure(const execution::EntryFailure& failure)
{
    bool yes = false;
    inWindow([&] { yes = shown_.continueAfterFailure(failure); });
    return yes;
}

void QueuedObserver::executed(const execution::ExecutionReport& report)
{
    inWindow([&] { shown_.executed(report); });
}

// The labels belong to the window, which outlives the run: the calls carry copies of the texts.
void QueuedObserver::QueuedProgress::setPanneau(const std::string& caption)
{
    QMetaObject::invokeMethod(&window_, [&shown = shown_, caption] { shown.setPanneau(caption); }, Qt::QueuedConnection);
}

void QueuedObserver::QueuedProgress::setEtape(const std::string& text)
{
    QMetaObject::invokeMethod(&window_, [&shown = shown_, text] { shown.setEtape(text); }, Qt::QueuedConnection);
}

void QueuedObserver::QueuedProgress::setCompteur(const std::string& text)
{
    QMetaObject::invokeMethod(&window_, [&shown = shown_, text] { shown.setCompteur(text); }, Qt::QueuedConnection);
}

void QueuedObserver::QueuedCounters::setCounter(execution::ListKind list, const std::string& text)
{
    QMetaObject::invokeMethod(&window_, [&shown = shown_, list, text] { shown.setCounter(list, text); },
                              Qt::QueuedConnection);
}

void QueuedObserver::QueuedCounters::setProgress(const execution::ExecutionProgress& progress)
{
    QMetaObject::invokeMethod(&window_, [&shown = shown_, progress] { shown.setProgress(progress); },
                              Qt::QueuedConnection);
}

}  // namespace velmorane::ui
