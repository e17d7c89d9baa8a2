#pragma once

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

// Lets pending window events be processed from inside a long loop, and tells it when the user,
// through one of those events, asked it to stop: it then ends between two files.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
    virtual bool stopRequested() const { return false; }
};

class NullProgress : public ProgressSink {
public:
    void setPanneau(const std::string&) override {}
    void setEtape(const std::string&) override {}
    void setCompteur(const std::string&) override {}
};

class NullEventPump : public EventPump {
public:
    void processEvents() override {}
};

}  // namespace velmorane::platform
