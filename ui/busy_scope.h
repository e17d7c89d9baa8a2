#pragma once

#include "ui/main_window.h"

namespace velmorane::ui {

// Marks a command in progress for as long as it runs, whichever way it returns; the commands that
// would start another are disabled meanwhile.
class BusyScope {
public:
    BusyScope(MainWindow& main, bool& busy) : main_(main), busy_(busy)
    {
        busy_ = true;
        main_.setRunning(true);
    }
    ~BusyScope()
    {
        busy_ = false;
        main_.setRunning(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    MainWindow& main_;
    bool& busy_;
};

}  // namespace velmorane::ui
