#pragma once

#include "execution/run_driver.h"
#include "ui/execution_progress_bar.h"
#include "ui/main_window.h"

namespace velmorane::ui {

// The progress frame, as the run reports to it.
class Main::ProgressLabels : public platform::ProgressSink {
public:
    explicit ProgressLabels(Main& main) : main_(main) {}
    void setPanneau(const std::string& caption) override
    {
        main_.Panneau->setTitle(QString::fromStdString(caption));
    }
    void setEtape(const std::string& text) override
    {
        main_.Etape->setText(QString::fromStdString(text));
    }
    void setCompteur(const std::string& text) override
    {
        main_.Compteur->setText(QString::fromStdString(text));
    }

private:
    Main& main_;
};

// The counters beside the review lists, as the executor reports to them.
class Main::CounterLabels : public execution::CounterSink {
public:
    explicit CounterLabels(Main& main) : main_(main) {}
    void setCounter(execution::ListKind list, const std::string& text) override
    {
        QLabel* counter = list == execution::ListKind::Ajout   ? main_.cptAjout
                          : list == execution::ListKind::Modif ? main_.cptModif
                                                               : main_.cptSuppr;
        counter->setText(QString::fromStdString(text));
    }

    void setProgress(const execution::ExecutionProgress& progress) override
    {
        if (!pace_.due(progress)) return;
        main_.setProgress(progress.entriesDone, progress.entriesTotal, progress.bytesDone, progress.bytesTotal);
    }

private:
    Main& main_;
    ProgressPace pace_;
};

// The window observes its runs: their progress in its labels, their refusals and questions in boxes.
class Main::RunWatch : public execution::RunObserver {
public:
    explicit RunWatch(Main& main) : main_(main) {}
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
    bool goOnAnyway(const execution::Refusal& refusal) override { return main_.goOnAnyway(refusal.message); }
    bool acceptVolumeRoot(const platform::Message& question) override
    {
        return main_.dialogs_.show(question) == platform::Answer::Yes;
    }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return main_.dialogs_.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    }

private:
    Main& main_;
    bool comparing_ = false;
};

}  // namespace velmorane::ui
