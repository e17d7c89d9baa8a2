#include "ui/profile_window.h"

#include "profiles/planned_runs.h"
#include "profiles/profile_editing.h"
#include "ui/cut_text.h"
#include "ui/form_builders.h"
#include "ui/qt_text.h"
#include "ui/twips.h"

#include <QKeyEvent>

namespace velmorane::ui {
namespace {

constexpr int kClientWidth = 8880;
constexpr int kClientHeight = 3120;
constexpr int kInfProfLeft = 4300;

const QColor kValueBlue(0, 0, 192);

// What the four detail labels show before a profile is shown in them, as the design spells them.
constexpr const char* kSourcePlaceholder = "Dossier de Travail";
constexpr const char* kButPlaceholder = "Dossier d'Archive";
constexpr const char* kSensPlaceholder = "Sens de Tranfert";
constexpr const char* kActPlaceholder = "Type d'Action";

// A label that sizes itself to its text, keeping its place.
void setSizedText(QLabel* label, const std::string& text)
{
    label->setText(qt(text));
    setWidth(label, label->sizeHint().width() * kTwipsPerPixel);
}

QLabel* heading(QWidget* parent, const char* name, const char* caption, const Twips& place_)
{
    QLabel* label = plainLabel(parent, name, QString::fromUtf8(caption), place_, kCaptionRed, false);
    label->setFont(msSansSerif(9.75));
    return label;
}

// A bordered label that sizes itself to its text; a path too long for the window shows whole in
// its tooltip.
QLabel* value(QWidget* parent, const char* name, const char* caption, const Twips& place_)
{
    QLabel* label = plainLabel(parent, name, {}, place_, kValueBlue, true);
    setSizedText(label, caption);
    showWholeTextWhenCut(label);
    return label;
}

}  // namespace

Profil::Profil(profiles::SharedState& state, platform::Dialogs& dialogs, QWidget* mainWindow)
    : QDialog(mainWindow), state_(state), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("Profil"));
    setWindowTitle(QStringLiteral("Ajouter un Profil "));
    setModal(true);
    setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
    buildControls();
    loadAtStart(mainWindow);
}

void Profil::buildControls()
{
    Exec = button(this, "Exec", QStringLiteral("Enregistrer"), {2745, 60, 2745, 360}, msSansSerif(9.75, true));
    Quitte = button(this, "Quitte", QStringLiteral("Quitter"), {5640, 60, 2745, 360}, msSansSerif(9.75, true));
    // Enter belongs to the name field and the list, never to a default button.
    for (QPushButton* push : {Exec, Quitte}) push->setAutoDefault(false);

    affTrav = heading(this, "affTrav", "Dossier de Travail", {60, 480, 1665, 240});
    infSource = value(this, "infSource", kSourcePlaceholder, {60, 740, 1335, 255});
    affArch = heading(this, "affArch", "Dossier d'Archive", {60, 1155, 1590, 240});
    infBut = value(this, "infBut", kButPlaceholder, {60, 1415, 1290, 255});
    affSens = heading(this, "affSens", "Sens de Transfert", {60, 1830, 1590, 240});
    infSens = value(this, "infSens", kSensPlaceholder, {60, 2090, 1245, 255});
    affAct = heading(this, "affAct", "Type d'Action", {60, 2505, 1245, 240});
    infAct = value(this, "infAct", kActPlaceholder, {60, 2765, 1035, 255});
    affFich = heading(this, "affFich", "Nom du Profil", {4300, 810, 1200, 240});
    // Between the details and the list, where neither mode puts anything.
    infPlan = plainLabel(this, "infPlan", {}, {2685, 2205, 1560, 800}, kValueBlue, false);
    infPlan->setWordWrap(true);
    infPlan->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    infProf = new QLineEdit(QStringLiteral("Nom du profil"), this);
    infProf->setObjectName(QStringLiteral("infProf"));
    infProf->setFont(msSansSerif(9.75));
    place(infProf, {2685, 1050, 4500, 360});

    listProf = new QListWidget(this);
    listProf->setObjectName(QStringLiteral("listProf"));
    listProf->setFont(msSansSerif(8.25));
    listProf->setSelectionMode(QAbstractItemView::SingleSelection);
    place(listProf, {4300, 1050, 4500, 2010});
    listProf->installEventFilter(this);

    setTabOrder(infProf, Exec);
    setTabOrder(Exec, Quitte);
    setTabOrder(Quitte, listProf);

    connect(Exec, &QPushButton::clicked, this, &Profil::Exec_Click);
    connect(Quitte, &QPushButton::clicked, this, &Profil::Quitte_Click);
    connect(infProf, &QLineEdit::returnPressed, this, &Profil::Exec_Click);
    // A line is chosen by a click or by moving the selection with the keys. The focus alone makes a
    // line current without choosing it, and a current line that is not chosen is never deleted.
    connect(listProf, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = listProf->selectedItems();
        if (chosen.isEmpty()) {
            forgetChoice();
        } else {
            listProf_Click(listProf->row(chosen.front()));
        }
    });
}

void Profil::loadAtStart(QWidget* mainWindow)
{
    if (mainWindow) move(mainWindow->pos());
    const bool adding = state_.modeProfil == 1;
    const std::string word = adding ? "Ajouter" : "Supprimer";
    if (adding) {
        listProf->hide();
        showSettings(state_.settings.source, state_.settings.archive, state_.settings.directionText, state_.settings.actionText);
        infProf->clear();
        setLeft(infProf, kInfProfLeft);
        infProf->show();
    } else {
        infProf->hide();
        numProfil_ = 0;
        for (const auto& profile : state_.tabProfils.profiles) listProf->addItem(qt(profile.name));
        listProf->show();
    }
    setWindowTitle(qt(word + " un Profil"));
    Exec->setText(qt(word));
    affFich->setText(qt("Profil à " + word));
    affFich->adjustSize();
}

void Profil::showSettings(const std::string& source, const std::string& but, const std::string& sens,
                          const std::string& action)
{
    setSizedText(infSource, source);
    setSizedText(infBut, but);
    setSizedText(infSens, sens);
    setSizedText(infAct, action);
}

void Profil::listProf_Click(int row)
{
    numProfil_ = row + 1;
    const profiles::Profile& profile = state_.tabProfils.at(numProfil_);
    nomProfil_ = profile.name;
    showSettings(profile.settings.source, profile.settings.archive, profile.settings.directionText,
                 profile.settings.actionText);
    const std::string folder = profiles::profileFileFolder(state_.profileFilePath);
    infPlan->setText(qt(profiles::planText(profiles::readPlan(nomProfil_, folder))));
}

void Profil::forgetChoice()
{
    numProfil_ = 0;
    nomProfil_.clear();
    showSettings(kSourcePlaceholder, kButPlaceholder, kSensPlaceholder, kActPlaceholder);
    infPlan->clear();
}

void Profil::Exec_Click()
{
    if (state_.modeProfil == 1) {
        const auto result = profiles::addProfile(state_, infProf->text().toStdString(), dialogs_);
        if (result.outcome != profiles::AddOutcome::Saved) return;
        nomProfil_ = state_.tabProfils.at(result.number).name;
    } else {
        if (!profiles::deleteProfile(state_, numProfil_, dialogs_)) return;
        numProfil_ = 0;
    }
    changed_ = true;
    accept();
}

void Profil::Quitte_Click()
{
    reject();
}

bool Profil::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == listProf && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Exec_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmorane::ui
