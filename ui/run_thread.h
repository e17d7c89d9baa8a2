#pragma once

#include "execution/run_driver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

#include <optional>
#include <thread>

namespace velmorane::ui {

// Carries the calls of a run on its worker thread over to the window's thread, in their order:
// labels and counters without waiting, the questions and the changes of screen waiting for the
// window. Only the stop request is read across threads.
class QueuedObserver : public execution::RunObserver {
public:
    QueuedObserver(QObject& window, execution::RunObserver& shown);

    platform::ProgressSink& progress() override { return progress_; }
    execution::CounterSink& counters() override { return counters_; }
    platform::RunControl& control() override { return shown_.control(); }
    void phaseStarted(execution::RunPhase phase) override;
    void refused(const execution::Refusal& refusal) override;
    bool goOnAnyway(const execution::Refusal& refusal) override;
    bool acceptVolumeRoot(const execution::Refusal& refusal) override;
    bool continueAfterFailure(const execution::EntryFailure& failure) override;
    void executed(const execution::ExecutionReport& report) override;

private:
    class QueuedProgress : public platform::ProgressSink {
    public:
        QueuedProgress(QObject& window, platform::ProgressSink& shown) : window_(window), shown_(shown) {}
        void setPanneau(const std::string& caption) override;
        void setEtape(const std::string& text) override;
        void setCompteur(const std::string& text) override;

    private:
        QObject& window_;
        platform::ProgressSink& shown_;
    };
    class QueuedCounters : public execution::CounterSink {
    public:
        QueuedCounters(QObject& window, execution::CounterSink& shown) : window_(window), shown_(shown) {}
        void setCounter(execution::ListKind list, const std::string& text) override;
        void setProgress(const execution::ExecutionProgress& progress) override;

    private:
        QObject& window_;
        execution::CounterSink& shown_;
    };

    template <typename Call>
    void inWindow(Call call)
    {
        QMetaObject::invokeMethod(&window_, call, Qt::BlockingQueuedConnection);
    }

    QObject& window_;
    execution::RunObserver& shown_;
    QueuedProgress progress_;
    QueuedCounters counters_;
};

// Runs `work` on a worker thread while the window goes on answering its events, and returns what it
// returned once it is over; `worker` names the thread it ran on. The events are answered until the
// worker is done, even once the application is told to quit: the worker may still wait on the
// window, which must not wait on it first.
template <typename Work>
auto awayFromWindow(std::thread::id& worker, Work work)
{
    // Set in the window's thread after every call the worker queued there.
    bool over = false;
    QObject end;
    std::optional<decltype(work())> result;
    std::thread thread([&] {
        result.emplace(work());
        QMetaObject::invokeMethod(&end, [&over] { over = true; }, Qt::QueuedConnection);
    });
    worker = thread.get_id();
    while (!over) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    thread.join();
    return std::move(*result);
}

// Runs `work` with a driver's observer on a worker thread, its calls carried over to the window.
template <typename Work>
auto runOnWorker(QObject& window, execution::RunObserver& shown, std::thread::id& worker, Work work)
{
    QueuedObserver queued(window, shown);
    return awayFromWindow(worker, [&] { return work(queued); });
}

}  // namespace velmorane::ui
