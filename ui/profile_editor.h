#pragma once

#include "ui/dialogs.h"
#include "profiles/shared_state.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <string>

namespace velmorane::ui {

// The profile editor: saves the current settings under a name, or deletes a profile, as
// `modeProfil` asks when it opens. Modal; closes after one change, "Quitter" closes it unchanged.
class ProfileEditor : public QDialog {
    Q_OBJECT
public:
    ProfileEditor(profiles::SharedState& state, ui::Dialogs& dialogs, QWidget* mainWindow);

    void profileChosen(int row);
    void confirm();
    void cancel();

    // Whether the profile table changed, so the main window's profile menu must follow.
    bool changed() const { return changed_; }
    int chosenNumber() const { return chosenNumber_; }
    const std::string& chosenName() const { return chosenName_; }

    QPushButton* confirmButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QLabel* workHeading = nullptr;
    QLabel* workLabel = nullptr;
    QLabel* archiveHeading = nullptr;
    QLabel* archiveLabel = nullptr;
    QLabel* directionHeading = nullptr;
    QLabel* directionLabel = nullptr;
    QLabel* actionHeading = nullptr;
    QLabel* actionLabel = nullptr;
    QLabel* fileHeading = nullptr;
    QLabel* planLabel = nullptr;  // the chosen profile's plan
    QLineEdit* nameEdit = nullptr;
    QListWidget* profileList = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void loadAtStart(QWidget* mainWindow);
    // No line chosen: the details show their placeholders again.
    void forgetChoice();
    void showSettings(const std::string& source, const std::string& but, const std::string& sens,
                      const std::string& action);

    profiles::SharedState& state_;
    ui::Dialogs& dialogs_;
    int chosenNumber_ = 0;
    std::string chosenName_;
    bool changed_ = false;
};

}  // namespace velmorane::ui
