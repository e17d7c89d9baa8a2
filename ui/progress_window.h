#pragma once

#include "execution/executor.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include <functional>
#include <string>

namespace velmorane::ui {

// The small window shown while a profile runs unattended from the command line.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Lines joined by CR LF, shown one under the other; the label sizes itself to them.
    void setMessage(const std::string& text);
    // Shows how far the execution is, as the main window's bar does.
    void setProgress(const execution::ExecutionProgress& progress);
    // Asked when the user closes the window; false keeps it open.
    void setCloseQuestion(std::function<bool()> question) { closeQuestion_ = std::move(question); }

    QLabel* messageLabel = nullptr;
    QProgressBar* progressBar = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> closeQuestion_;
};

}  // namespace velmorane::ui
