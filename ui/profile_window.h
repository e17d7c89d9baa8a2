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
class Profil : public QDialog {
    Q_OBJECT
public:
    Profil(profiles::SharedState& state, ui::Dialogs& dialogs, QWidget* mainWindow);

    void listProf_Click(int row);
    void Exec_Click();
    void Quitte_Click();

    // Whether the profile table changed, so the main window's profile menu must follow.
    bool changed() const { return changed_; }
    int numProfil() const { return numProfil_; }
    const std::string& nomProfil() const { return nomProfil_; }

    QPushButton* Exec = nullptr;
    QPushButton* Quitte = nullptr;
    QLabel* affTrav = nullptr;
    QLabel* infSource = nullptr;
    QLabel* affArch = nullptr;
    QLabel* infBut = nullptr;
    QLabel* affSens = nullptr;
    QLabel* infSens = nullptr;
    QLabel* affAct = nullptr;
    QLabel* infAct = nullptr;
    QLabel* affFich = nullptr;
    QLabel* infPlan = nullptr;  // the chosen profile's plan
    QLineEdit* infProf = nullptr;
    QListWidget* listProf = nullptr;

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
    int numProfil_ = 0;
    std::string nomProfil_;
    bool changed_ = false;
};

}  // namespace velmorane::ui
