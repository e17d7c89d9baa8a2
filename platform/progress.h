#pragma once

#include <atomic>
#include <string>

namespace velmorane::platform {

// Where a long loop shows how far it is: the frame caption, the step and the counter.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setPanneau(const std::string& caption) = 0;
    virtual void setEtape(const std::string& text) = 0;
    virtual void setCompteur(const std::string& text) = 0;
};

// How a front end follows and stops a run's long work: it asks the run to stop between two
// files, from its own events or from another thread, and hears of each piece of a large copy.
class RunControl {
public:
    virtual ~RunControl() = default;
    void requestStop() { stopRequested_.store(true); }
    void clearStop() { stopRequested_.store(false); }
    bool stopRequested() const { return stopRequested_.load(); }
    // Heard from each worker that copies, several at once.
    virtual void pieceCopied() {}

private:
    std::atomic<bool> stopRequested_{false};
};

class NullProgress : public ProgressSink {
public:
    void setPanneau(const std::string&) override {}
    void setEtape(const std::string&) override {}
    void setCompteur(const std::string&) override {}
};

}  // namespace velmorane::platform
