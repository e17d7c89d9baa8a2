#pragma once

#include "execution/run_driver.h"
#include "ui/execution_progress_bar.h"
#include "ui/main_window.h"
#include "ui/outcome_boxes.h"

namespace velmorane::ui {

// The progress frame, as the run reports to it.
class MainWindow::ProgressLabels : public platform::ProgressSink {
public:
    explicit ProgressLabels(MainWindow& main) : main_(main) {}
    void setPanneau(const std::string& caption) override
    {
        main_.progressFrame->setTitle(QString::fromStdString(caption));
    }
    void setEtape(const std::string& text) override
    {
        main_.stepLabel->setText(QString::fromStdString(text));
    }
    void setCompteur(const std::string& text) override
    {
        main_.counterLabel->setText(QString::fromStdString(text));
    }

private:
    MainWindow& main_;
};

// The counters beside the review lists, as the executor reports to them.
class MainWindow::CounterLabels : public execution::CounterSink {
public:
    explicit CounterLabels(MainWindow& main) : main_(main) {}
    void setCounter(execution::ListKind list, const std::string& text) override
    {
        QLabel* counter = list == execution::ListKind::Add   ? main_.addsCounter
                          : list == execution::ListKind::Replace ? main_.replacementsCounter
                                                               : main_.deletionsCounter;
        counter->setText(QString::fromStdString(text));
    }

    void setProgress(const execution::ExecutionProgress& progress) override
    {
        if (!pace_.due(progress)) return;
        main_.setProgress(progress.entriesDone, progress.entriesTotal, progress.bytesDone, progress.bytesTotal);
    }

private:
    MainWindow& main_;
    ProgressPace pace_;
};

// The window observes its runs: their progress in its labels, their refusals and questions in boxes.
class MainWindow::RunWatch : public execution::RunObserver {
public:
    explicit RunWatch(MainWindow& main) : main_(main) {}
    platform::ProgressSink& progress() override { return *main_.progress_; }
    execution::CounterSink& counters() override { return *main_.counters_; }
    platform::RunControl& control() override { return main_.control_; }
    void phaseStarted(execution::RunPhase phase) override
    {
        comparing_ = phase == execution::RunPhase::Comparing;
        if (comparing_) {
            main_.showComparing();
        } else {
            main_.showExecuting();
        }
    }
    void refused(const execution::Refusal& refusal) override
    {
        main_.showRefusal(refusal, comparing_);
        comparing_ = false;
    }
    bool goOnAnyway(const execution::Refusal& refusal) override
    {
        return main_.dialogs_.show(goOnAnywayQuestion(refusal)) == ui::Answer::Yes;
    }
    bool acceptVolumeRoot(const execution::Refusal& refusal) override
    {
        return main_.dialogs_.show(volumeRootQuestion(refusal)) == ui::Answer::Yes;
    }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return main_.dialogs_.show(failureQuestion(failure)) == ui::Answer::Yes;
    }

private:
    MainWindow& main_;
    bool comparing_ = false;
};

}  // namespace velmorane::ui
