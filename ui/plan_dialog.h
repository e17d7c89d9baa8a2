#pragma once

#include "ui/dialogs.h"
#include "profiles/planned_runs.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include <array>
#include <string>

namespace velmorane::ui {

// "Planifier" of the profile menu: when the chosen profile runs by itself. With a user manager the
// plan is applied as systemd user units; without one, the dialog offers the line for `crontab -e`
// and "when the volume appears" is not offered.
class PlanDialog : public QDialog {
    Q_OBJECT
public:
    // `mountPoint`: the folder where the profile's volume is mounted, empty when its folders lie on
    // no volume of their own.
    PlanDialog(profiles::PlannedProfile profile, const profiles::Plan& current, std::string mountPoint,
               bool userManager, ui::Dialogs& dialogs, QWidget* parent);

    profiles::Plan chosenPlan() const;
    void confirm();

    std::array<QRadioButton*, 4> kinds{};  // in the order of PlanKind
    QComboBox* jour = nullptr;
    QTimeEdit* heure = nullptr;
    QLabel* avis = nullptr;
    QLineEdit* ligneCron = nullptr;
    QPushButton* confirmButton = nullptr;
    QPushButton* Annuler = nullptr;

private:
    void showChoice();

    profiles::PlannedProfile profile_;
    std::string mountPoint_;
    bool userManager_;
    ui::Dialogs& dialogs_;
};

}  // namespace velmorane::ui
