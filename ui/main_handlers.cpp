#include "engine/status_text.h"
#include "platform/letter_case.h"
#include "platform/volumes.h"
#include "profiles/command_line.h"
#include "profiles/profile_menu.h"
#include "ui/qt_text.h"
#include "ui/main_window.h"
#include "ui/settings_menus.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace velmorane::ui {
namespace {

// Unchecked entries are not checkable, so a menu shows no empty check box beside them.
void setMenuCheck(QAction* item, bool checked)
{
    item->setCheckable(checked);
    item->setChecked(checked);
}

}  // namespace

void Main::affMess()
{
    if (modeEcran_ == 0) return;
    state_.txtMess = engine::affMess(state_.settings);
    QString text = qt(state_.txtMess);
    text.remove(QLatin1Char('\r'));
    Comment1->setText(text);
}

void Main::setSource(const std::string& text)
{
    state_.settings.source = text;
    Source->setText(qt(text));
}

void Main::setBut(const std::string& text)
{
    state_.settings.archive = text;
    But->setText(qt(text));
}

void Main::setSens1(const std::string& text)
{
    state_.settings.directionText = text;
    Sens1->setText(qt(text));
}

void Main::setAction1(const std::string& text)
{
    state_.settings.actionText = text;
    Action1->setText(qt(text));
}

void Main::Lecteur_Change()
{
    const std::string previousRoot = platform::volumeOf(Dossier->path(), Lecteur->volumes());
    const std::string drive = Lecteur->drive();
    const auto last = lastFolderOnDrive_.find(drive);
    Dossier->setRoot(drive);
    if (last != lastFolderOnDrive_.end() && Dossier->setPath(last->second)) return;
    if (Dossier->setPath(drive)) return;
    // A drive that cannot be read is ignored: the folder list stays where it was.
    Dossier->setRoot(previousRoot);
    Lecteur->showDrive(previousRoot);
}

void Main::Dossier_Change()
{
    Fichier->setPath(Dossier->path());
    lastFolderOnDrive_[platform::volumeOf(Dossier->path(), Lecteur->volumes())] = Dossier->path();
    Dossier_Click();
}

void Main::Dossier_Click()
{
    const std::string& path = Dossier->path();
    if (modeEcran_ == 1 && !platform::equalIgnoringCase(state_.settings.source, path)) {
        setSource(path);
        chkProfil(-1);
    }
    if (modeEcran_ == 2 && !platform::equalIgnoringCase(state_.settings.archive, path)) {
        setBut(path);
        chkProfil(-1);
    }
    affMess();
}

// The click that began the double-click is undone, so a folder that has gone changes no setting.
void Main::reportUnopenedFolder(const std::string& folder, const platform::SystemError& error, bool afterClick)
{
    if (afterClick) {
        setSource(choiceBeforeClick_.source);
        setBut(choiceBeforeClick_.but);
        chkProfil(choiceBeforeClick_.profActif);
        affMess();
    }
    dialogs_.show(platform::stopMessage("Impossible d'ouvrir le dossier " + folder + engine::kLineBreak + error.reason,
                                        platform::kApplicationTitle));
    refreshBrowsing();
}

void Main::refreshBrowsing()
{
    Dossier->refresh();
    Fichier->setPath(Dossier->path());
}

void Main::Source_Click()
{
    if (!resultatsAffiches_) setScreenState(1);
}

void Main::affSource_Click()
{
    Source_Click();
}

void Main::But_Click()
{
    if (!resultatsAffiches_) setScreenState(2);
}

void Main::affBut_Click()
{
    But_Click();
}

void Main::Source1_Click()
{
    setScreenState(1);
}

void Main::But1_Click()
{
    setScreenState(2);
}

void Main::chooseSens(std::size_t entry)
{
    state_.settings.direction = kDirectionMenu[entry];
    setSens1(kDirectionCaptions[entry]);
    chkSens(state_.settings.direction);
    affMess();
}

void Main::chooseAction(std::size_t entry)
{
    state_.settings.action = kActionMenu[entry];
    setAction1(kActionCaptions[entry]);
    chkAction(state_.settings.action);
    affMess();
}

void Main::Sens_Click(int index)
{
    chooseSens(static_cast<std::size_t>(index));
}

void Main::Action_Click(int index)
{
    chooseAction(static_cast<std::size_t>(index));
}

void Main::Sens1_Click()
{
    if (!resultatsAffiches_) chooseSens(nextMenuEntry(state_.settings.direction, kDirectionMenu));
}

void Main::affSens_Click()
{
    Sens1_Click();
}

void Main::Action1_Click()
{
    if (!resultatsAffiches_) chooseAction(nextMenuEntry(state_.settings.action, kActionMenu));
}

void Main::affAction_Click()
{
    Action1_Click();
}

void Main::chkSens(engine::Direction direction)
{
    for (QAction* entry : Sens) setMenuCheck(entry, false);
    chkProfil(-1);
    if (const auto entry = menuEntryOf(direction, kDirectionMenu)) setMenuCheck(Sens[*entry], true);
}

void Main::chkAction(engine::Action action)
{
    for (QAction* entry : Action) setMenuCheck(entry, false);
    chkProfil(-1);
    if (const auto entry = menuEntryOf(action, kActionMenu)) setMenuCheck(Action[*entry], true);
}

void Main::chkProfil(int reste)
{
    for (std::size_t i = 1; i < newProf.size(); ++i) setMenuCheck(newProf[i], false);
    state_.profActif = reste;
    if (const auto entry = profiles::checkedEntry(reste, newProf.size()); entry && *entry > 0) {
        setMenuCheck(newProf[*entry], true);
    }
    setWindowTitle(qt(profiles::windowCaption(state_.tabProfils, reste)));
}

void Main::loadProfileMenu()
{
    const auto wanted = static_cast<std::size_t>(state_.tabProfils.nbProfils()) + 1;
    while (newProf.size() > wanted) {
        delete newProf.back();
        newProf.pop_back();
    }
    while (newProf.size() < wanted) {
        const int index = static_cast<int>(newProf.size());
        QAction* entry = menProf->addAction(QString());
        entry->setObjectName(QStringLiteral("newProf(%1)").arg(index));
        connect(entry, &QAction::triggered, this, [this, index] { newProf_Click(index); });
        newProf.push_back(entry);
    }
    for (int number = 1; number <= state_.tabProfils.nbProfils(); ++number) {
        QAction* entry = newProf[static_cast<std::size_t>(number)];
        entry->setText(qt(state_.tabProfils.at(number).name));
        setMenuCheck(entry, number == state_.profActif);
    }
}

void Main::newProf_Click(int index)
{
    if (index < 1 || index > state_.tabProfils.nbProfils()) return;
    const profiles::Profile& profile = state_.tabProfils.at(index);
    const engine::RunSettings& stored = profile.settings;
    setSource(stored.source);
    setBut(stored.archive);
    state_.settings.direction = stored.direction;
    chkSens(stored.direction);
    setSens1(stored.directionText);
    state_.settings.action = stored.action;
    chkAction(stored.action);
    setAction1(stored.actionText);
    chkProfil(index);
    affMess();
}

void Main::menAide_Click()
{
    dialogs_.show({profiles::helpText(), "Information", platform::Icon::Information});
}

void Main::Retour_Click()
{
    if (busy_) return;
    setScreenState(5);
    setScreenState(1);
    resultatsAffiches_ = false;
}

void Main::Quitter2_Click()
{
    Retour_Click();
}

void Main::Init_Click()
{
    if (busy_) return;
    setScreenState(5);
    setScreenState(1);
    chkAction(engine::Action::Unset);
    chkSens(engine::Direction::Unset);
    chkProfil(-1);
    setBut({});
    setSource({});
    setSens1({});
    setAction1({});
    modeEcran_ = 1;
    state_.settings.direction = engine::Direction::Unset;
    state_.settings.action = engine::Action::Unset;
    resultatsAffiches_ = false;
    affMess();
}

void Main::Fin_Click()
{
    if (executing_) {
        // The execution is inside the event loop and cannot be left from here: it stops between
        // two files, says what it did, and the program then ends.
        askToStopExecution(AfterExecution::Quit);
        return;
    }
    if (busy_) {
        // A comparison only reads: the program ends at once.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QApplication::closeAllWindows();
    QApplication::quit();
}

}  // namespace velmorane::ui
