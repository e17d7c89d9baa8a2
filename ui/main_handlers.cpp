#include "engine/status_text.h"
#include "platform/letter_case.h"
#include "platform/volumes.h"
#include "profiles/command_line.h"
#include "profiles/profile_menu.h"
#include "ui/qt_text.h"
#include "ui/main_window.h"

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
    state_.settings.but = text;
    But->setText(qt(text));
}

void Main::setSens1(const std::string& text)
{
    state_.settings.sens1 = text;
    Sens1->setText(qt(text));
}

void Main::setAction1(const std::string& text)
{
    state_.settings.action1 = text;
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
    if (modeEcran_ == 2 && !platform::equalIgnoringCase(state_.settings.but, path)) {
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
    dialogs_.show(platform::stopMessage("Impossible d'ouvrir le dossier " + folder + "\n" + error.reason,
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

void Main::chooseSens(int index)
{
    state_.settings.sensTransfert = static_cast<std::int16_t>(index);
    setSens1(engine::kSensCaptions[static_cast<std::size_t>(index)]);
    chkSens(index);
    affMess();
}

void Main::chooseAction(int index)
{
    state_.settings.typeAction = static_cast<std::int16_t>(index);
    setAction1(engine::kActionCaptions[static_cast<std::size_t>(index)]);
    chkAction(index);
    affMess();
}

void Main::Sens_Click(int index)
{
    chooseSens(profiles::nextChoice(index - 1, Sens.size()));
}

void Main::Action_Click(int index)
{
    chooseAction(profiles::nextChoice(index - 1, Action.size()));
}

void Main::Sens1_Click()
{
    if (!resultatsAffiches_) chooseSens(profiles::nextChoice(state_.settings.sensTransfert, Sens.size()));
}

void Main::affSens_Click()
{
    Sens1_Click();
}

void Main::Action1_Click()
{
    if (!resultatsAffiches_) chooseAction(profiles::nextChoice(state_.settings.typeAction, Action.size()));
}

void Main::affAction_Click()
{
    Action1_Click();
}

void Main::chkSens(int reste)
{
    for (QAction* entry : Sens) setMenuCheck(entry, false);
    chkProfil(-1);
    if (const auto entry = profiles::checkedEntry(reste, Sens.size())) setMenuCheck(Sens[*entry], true);
}

void Main::chkAction(int reste)
{
    for (QAction* entry : Action) setMenuCheck(entry, false);
    chkProfil(-1);
    if (const auto entry = profiles::checkedEntry(reste, Action.size())) setMenuCheck(Action[*entry], true);
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
        entry->setText(qt(state_.tabProfils.at(number).name()));
        setMenuCheck(entry, number == state_.profActif);
    }
}

void Main::newProf_Click(int index)
{
    if (index < 1 || index > state_.tabProfils.nbProfils()) return;
    const profiles::Profile& profile = state_.tabProfils.at(index);
    const engine::RunSettings stored = profile.settings();
    setSource(stored.source);
    setBut(stored.but);
    state_.settings.sensTransfert = stored.sensTransfert;
    chkSens(stored.sensTransfert);
    setSens1(stored.sens1);
    state_.settings.typeAction = stored.typeAction;
    chkAction(stored.typeAction);
    setAction1(stored.action1);
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
    chkAction(-1);
    chkSens(-1);
    chkProfil(-1);
    setBut({});
    setSource({});
    setSens1({});
    setAction1({});
    modeEcran_ = 1;
    state_.settings.sensTransfert = -1;
    state_.settings.typeAction = -1;
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
