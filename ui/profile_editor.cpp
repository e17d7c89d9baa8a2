#include "ui/profile_editor.h"

#include "profiles/planned_runs.h"
#include "profiles/profile_editing.h"
#include "ui/profile_dialogs.h"
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

ProfileEditor::ProfileEditor(profiles::SharedState& state, ui::Dialogs& dialogs, QWidget* mainWindow)
    : QDialog(mainWindow), state_(state), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("Profil"));
    setWindowTitle(QStringLiteral("Ajouter un Profil "));
    setModal(true);
    setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
    buildControls();
    loadAtStart(mainWindow);
}

void ProfileEditor::buildControls()
{
    confirmButton = button(this, "Exec", QStringLiteral("Enregistrer"), {2745, 60, 2745, 360}, msSansSerif(9.75, true));
    cancelButton = button(this, "Quitte", QStringLiteral("Quitter"), {5640, 60, 2745, 360}, msSansSerif(9.75, true));
    // Enter belongs to the name field and the list, never to a default button.
    for (QPushButton* push : {confirmButton, cancelButton}) push->setAutoDefault(false);

    workHeading = heading(this, "affTrav", "Dossier de Travail", {60, 480, 1665, 240});
    workLabel = value(this, "infSource", kSourcePlaceholder, {60, 740, 1335, 255});
    archiveHeading = heading(this, "affArch", "Dossier d'Archive", {60, 1155, 1590, 240});
    archiveLabel = value(this, "infBut", kButPlaceholder, {60, 1415, 1290, 255});
    directionHeading = heading(this, "affSens", "Sens de Transfert", {60, 1830, 1590, 240});
    directionLabel = value(this, "infSens", kSensPlaceholder, {60, 2090, 1245, 255});
    actionHeading = heading(this, "affAct", "Type d'Action", {60, 2505, 1245, 240});
    actionLabel = value(this, "infAct", kActPlaceholder, {60, 2765, 1035, 255});
    fileHeading = heading(this, "affFich", "Nom du Profil", {4300, 810, 1200, 240});
    // Between the details and the list, where neither mode puts anything.
    planLabel = plainLabel(this, "infPlan", {}, {2685, 2205, 1560, 800}, kValueBlue, false);
    planLabel->setWordWrap(true);
    planLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    nameEdit = new QLineEdit(QStringLiteral("Nom du profil"), this);
    nameEdit->setObjectName(QStringLiteral("infProf"));
    nameEdit->setFont(msSansSerif(9.75));
    place(nameEdit, {2685, 1050, 4500, 360});

    profileList = new QListWidget(this);
    profileList->setObjectName(QStringLiteral("listProf"));
    profileList->setFont(msSansSerif(8.25));
    profileList->setSelectionMode(QAbstractItemView::SingleSelection);
    place(profileList, {4300, 1050, 4500, 2010});
    profileList->installEventFilter(this);

    setTabOrder(nameEdit, confirmButton);
    setTabOrder(confirmButton, cancelButton);
    setTabOrder(cancelButton, profileList);

    connect(confirmButton, &QPushButton::clicked, this, &ProfileEditor::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &ProfileEditor::cancel);
    connect(nameEdit, &QLineEdit::returnPressed, this, &ProfileEditor::confirm);
    // A line is chosen by a click or by moving the selection with the keys. The focus alone makes a
    // line current without choosing it, and a current line that is not chosen is never deleted.
    connect(profileList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = profileList->selectedItems();
        if (chosen.isEmpty()) {
            forgetChoice();
        } else {
            profileChosen(profileList->row(chosen.front()));
        }
    });
}

void ProfileEditor::loadAtStart(QWidget* mainWindow)
{
    if (mainWindow) move(mainWindow->pos());
    const bool adding = state_.editorMode == 1;
    const std::string word = adding ? "Ajouter" : "Supprimer";
    if (adding) {
        profileList->hide();
        showSettings(state_.settings.source, state_.settings.archive, state_.settings.directionText, state_.settings.actionText);
        nameEdit->clear();
        setLeft(nameEdit, kInfProfLeft);
        nameEdit->show();
    } else {
        nameEdit->hide();
        chosenNumber_ = 0;
        for (const auto& profile : state_.profileTable.profiles) profileList->addItem(qt(profile.name));
        profileList->show();
    }
    setWindowTitle(qt(word + " un Profil"));
    confirmButton->setText(qt(word));
    fileHeading->setText(qt("Profil à " + word));
    fileHeading->adjustSize();
}

void ProfileEditor::showSettings(const std::string& source, const std::string& but, const std::string& sens,
                          const std::string& action)
{
    setSizedText(workLabel, source);
    setSizedText(archiveLabel, but);
    setSizedText(directionLabel, sens);
    setSizedText(actionLabel, action);
}

void ProfileEditor::profileChosen(int row)
{
    chosenNumber_ = row + 1;
    const profiles::Profile& profile = state_.profileTable.at(chosenNumber_);
    chosenName_ = profile.name;
    showSettings(profile.settings.source, profile.settings.archive, profile.settings.directionText,
                 profile.settings.actionText);
    const std::string folder = profiles::profileFileFolder(state_.profileFilePath);
    planLabel->setText(qt(profiles::planText(profiles::readPlan(chosenName_, folder))));
}

void ProfileEditor::forgetChoice()
{
    chosenNumber_ = 0;
    chosenName_.clear();
    showSettings(kSourcePlaceholder, kButPlaceholder, kSensPlaceholder, kActPlaceholder);
    planLabel->clear();
}

void ProfileEditor::confirm()
{
    if (state_.editorMode == 1) {
        const auto result = addProfileAsking(state_, nameEdit->text().toStdString(), dialogs_);
        if (result.outcome != profiles::AddOutcome::Saved) return;
        chosenName_ = state_.profileTable.at(result.number).name;
    } else {
        if (!deleteProfileShowing(state_, chosenNumber_, dialogs_)) return;
        chosenNumber_ = 0;
    }
    changed_ = true;
    accept();
}

void ProfileEditor::cancel()
{
    reject();
}

bool ProfileEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == profileList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirm();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmorane::ui
