#pragma once

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include <functional>
#include <string>

namespace velmorane::ui {

// The small window shown while a profile runs unattended from the command line.
class Auto : public QWidget {
    Q_OBJECT
public:
    explicit Auto(QWidget* parent = nullptr);

    // Lines joined by CR LF, shown one under the other; the label sizes itself to them.
    void setAffiche(const std::string& text);
    // Shows the same progress as the main window's bar.
    void setProgress(const QProgressBar* progress);
    // Asked when the user closes the window; false keeps it open.
    void setCloseQuestion(std::function<bool()> question) { closeQuestion_ = std::move(question); }

    QLabel* Affiche = nullptr;
    QProgressBar* Progression = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> closeQuestion_;
};

}  // namespace velmorane::ui
