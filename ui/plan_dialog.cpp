#include "ui/plan_dialog.h"

#include "ui/qt_text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace velmorane::ui {
namespace {

constexpr std::array<const char*, 4> kKindCaptions{"Non planifié", "Chaque jour", "Chaque semaine",
                                                   "Au branchement du volume"};
constexpr std::array<const char*, 7> kDays{"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};

}  // namespace

PlanDialog::PlanDialog(profiles::PlannedProfile profile, const profiles::Plan& current, std::string mountPoint,
                       bool userManager, ui::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), profile_(std::move(profile)), mountPoint_(std::move(mountPoint)), userManager_(userManager),
      dialogs_(dialogs)
{
    setObjectName(QStringLiteral("Planifier"));
    setWindowTitle(qt("Planifier le profil " + profile_.name));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        kinds[i] = new QRadioButton(QString::fromUtf8(kKindCaptions[i]), this);
        group->addButton(kinds[i]);
        layout->addWidget(kinds[i]);
    }
    const bool volumeOffered = userManager_ && !mountPoint_.empty();
    kinds[3]->setEnabled(volumeOffered);
    if (!mountPoint_.empty()) kinds[3]->setText(qt(std::string(kKindCaptions[3]) + " (" + mountPoint_ + ")"));

    auto* when = new QHBoxLayout;
    jour = new QComboBox(this);
    for (const char* day : kDays) jour->addItem(QString::fromUtf8(day));
    heure = new QTimeEdit(QTime(current.hour, current.minute), this);
    heure->setDisplayFormat(QStringLiteral("HH:mm"));
    when->addWidget(new QLabel(QStringLiteral("Jour :"), this));
    when->addWidget(jour);
    when->addWidget(new QLabel(QStringLiteral("Heure :"), this));
    when->addWidget(heure);
    layout->addLayout(when);

    avis = new QLabel(this);
    avis->setWordWrap(true);
    ligneCron = new QLineEdit(this);
    ligneCron->setReadOnly(true);
    layout->addWidget(avis);
    layout->addWidget(ligneCron);
    if (userManager_) {
        avis->hide();
        ligneCron->hide();
    } else {
        avis->setText(QStringLiteral("Le gestionnaire systemd de l'utilisateur ne fonctionne pas : "
                                     "ajoutez cette ligne avec crontab -e."));
    }

    auto* buttons = new QHBoxLayout;
    confirmButton = new QPushButton(userManager_ ? QStringLiteral("Enregistrer") : QStringLiteral("Fermer"), this);
    Annuler = new QPushButton(QStringLiteral("Annuler"), this);
    buttons->addWidget(confirmButton);
    buttons->addWidget(Annuler);
    layout->addLayout(buttons);

    const auto kind = static_cast<std::size_t>(current.kind);
    kinds[kind == 3 && !volumeOffered ? 0 : kind]->setChecked(true);
    jour->setCurrentIndex(current.weekday - 1);
    connect(group, &QButtonGroup::buttonToggled, this, [this] { showChoice(); });
    connect(jour, &QComboBox::currentIndexChanged, this, [this] { showChoice(); });
    connect(heure, &QTimeEdit::timeChanged, this, [this] { showChoice(); });
    connect(confirmButton, &QPushButton::clicked, this, &PlanDialog::confirm);
    connect(Annuler, &QPushButton::clicked, this, &QDialog::reject);
    showChoice();
}

profiles::Plan PlanDialog::chosenPlan() const
{
    profiles::Plan plan;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i]->isChecked()) plan.kind = static_cast<profiles::PlanKind>(i);
    }
    plan.weekday = jour->currentIndex() + 1;
    plan.hour = heure->time().hour();
    plan.minute = heure->time().minute();
    if (plan.kind == profiles::PlanKind::VolumeAppears) plan.mountUnit = profiles::mountUnitOf(mountPoint_);
    return plan;
}

void PlanDialog::showChoice()
{
    const profiles::Plan plan = chosenPlan();
    const bool timed = plan.kind == profiles::PlanKind::Daily || plan.kind == profiles::PlanKind::Weekly;
    jour->setEnabled(plan.kind == profiles::PlanKind::Weekly);
    heure->setEnabled(timed);
    ligneCron->setText(timed ? qt(profiles::crontabLine(profile_, plan)) : QString());
}

void PlanDialog::confirm()
{
    if (userManager_) {
        if (const auto error = profiles::applyPlan(profile_, chosenPlan())) {
            dialogs_.show(ui::stopMessage("Planification impossible : " + error->reason, "Attention"));
            return;
        }
    }
    accept();
}

}  // namespace velmorane::ui
