#include "execution/review_headings.h"
#include "ui/main_window.h"
#include "ui/twips.h"

#include <algorithm>

namespace velmorane::ui {
namespace {

// Review places in twips: the gap between groups and between the buttons, what is left right of
// the lists and below the buttons, a counter wide enough for six digits, the fewest lines a list
// shrinks to.
constexpr int kGap = 60;
constexpr int kRightOfLists = 130;
constexpr int kBelowButtons = 80;
constexpr int kCounterWidth = 660;
constexpr int kListMinimumHeight = 900;
// The review with its lists at their fewest lines and the progress bar of an execution.
constexpr int kReviewMinimumHeight = 1140 + 3 * (300 + kListMinimumHeight) + 4 * kGap + 2 * 300 + kBelowButtons;

void setMenusEnabled(std::initializer_list<QAction*> items, bool enabled)
{
    for (QAction* item : items) item->setEnabled(enabled);
}

}  // namespace

// The one place that shows, hides, moves and recolours the controls of a screen state.
void Main::setScreenState(int mode)
{
    modeEcran_ = mode;
    switch (mode) {
    case 0: environProgress(); break;
    case 1:
        // Back from a run or a review: what an execution changed on disk shows in the lists.
        if (Systeme->isHidden()) refreshBrowsing();
        Systeme->setTitle(QStringLiteral("Double Clic pour Sélectionner le Dossier de Travail"));
        Systeme->show();
        Infos->show();
        setBackground(Source, kWhite);
        setBackground(But, kLightGrey);
        break;
    case 2:
        Systeme->setTitle(QStringLiteral("Double Clic pour Sélectionner le Dossier d'Archive"));
        setBackground(Source, kLightGrey);
        setBackground(But, kWhite);
        break;
    case 3:
        modeEcran_ = -1;
        setBackground(Source, kLightGrey);
        setBackground(But, kLightGrey);
        break;
    case 4: environReview(); break;
    case 5: environLeaveReview(); break;
    default: break;
    }
}

void Main::environProgress()
{
    setMenusEnabled({menAction->menuAction(), menSens->menuAction(), menProf->menuAction(), Source1, But1, Relire,
                     Init},
                    false);
    Systeme->hide();
    Infos->hide();
    ChatRex->hide();
    menEdit->menuAction()->setEnabled(false);
    setTop(Panneau, 1100);
    setLeft(Panneau, 60);
    setWidth(Panneau, 9780);
    setWidth(Etape, 9000);
    setLeft(Compteur, 9120);
    Panneau->show();
}

// Each place is read back from the controls already placed, so whatever size a control really
// takes, the controls below it follow.
void Main::environReview()
{
    Panneau->hide();
    ChatRex->hide();
    Progression->hide();
    Retour->setEnabled(true);
    form_->setMinimumHeight(toPixels(kReviewMinimumHeight));
    placeReview();

    for (QWidget* control : std::initializer_list<QWidget*>{affAjout, affModif, affSuppr, fichAjout, fichModif,
                                                            fichSuppr}) {
        control->show();
    }
    const execution::TaskLists& lists = run_.lists();
    for (const auto& [heading, kind] : {std::pair{affAjout, engine::ListKind::Ajout},
                                        std::pair{affModif, engine::ListKind::Modif},
                                        std::pair{affSuppr, engine::ListKind::Suppr}}) {
        heading->setText(QString::fromStdString(execution::listHeading(kind, lists[kind].count())));
    }
    for (QLabel* counter : {cptAjout, cptModif, cptSuppr}) counter->clear();

    const auto showGroup = [](std::array<QCheckBox*, 2>& boxes, QLabel* counter) {
        boxes[0]->show();
        boxes[1]->show();
        counter->show();
    };
    const engine::RunFlags& flags = run_.plan().flags;
    if (flags.execAjout) showGroup(Ajout, cptAjout);
    if (flags.execModif) showGroup(Modif, cptModif);
    if (flags.execSuppr) showGroup(Suppr, cptSuppr);
    if (!flags.seulComparer) Selection->show();
    Quitter2->show();
}

// The three lists share the height between the top band and the row of buttons at the bottom of
// the window, so no list reaches under a button whatever the size of the window. The progress bar
// of an execution goes below the delete list.
void Main::placeReview()
{
    setTop(affAjout, 1140);
    setLeft(affAjout, 60);
    setWidth(affAjout, 4000);
    setHeight(affAjout, 300);

    const int formWidth = form_->width() * kTwipsPerPixel;
    const int formHeight = form_->height() * kTwipsPerPixel;
    const int buttonsTop = formHeight - kBelowButtons - heightOf(affAjout);
    // While an execution runs, its progress bar takes a row above the buttons.
    const int progressRow = Progression->isHidden() ? 0 : heightOf(affAjout) + kGap;
    const int listsHeight = buttonsTop - progressRow - kGap - topOf(affAjout) - 3 * heightOf(affAjout) - 2 * kGap;
    // Whole pixels, so the three lists are alike.
    const int listHeight = std::max(kListMinimumHeight, listsHeight / 3 / kTwipsPerPixel * kTwipsPerPixel);

    // A row of heading, two check boxes and counter, with its list below it.
    const auto layGroup = [this](QLabel* heading, std::array<QCheckBox*, 2>& boxes, QLabel* counter, QListView* list,
                                 int boxWidth, int listWidth, int height) {
        place(boxes[0], {leftOf(heading) + widthOf(heading), topOf(heading), boxWidth, heightOf(affAjout)});
        place(boxes[1], {leftOf(boxes[0]) + widthOf(boxes[0]), topOf(boxes[0]), widthOf(Ajout[0]), heightOf(affAjout)});
        place(counter, {leftOf(boxes[1]) + widthOf(boxes[1]), topOf(heading), kCounterWidth, heightOf(heading)});
        place(list, {leftOf(affAjout), topOf(heading) + heightOf(heading), listWidth, height});
    };
    layGroup(affAjout, Ajout, cptAjout, fichAjout, 2900, formWidth - kRightOfLists, listHeight);
    place(affModif, {leftOf(affAjout), topOf(fichAjout) + heightOf(fichAjout) + kGap, widthOf(affAjout), heightOf(affAjout)});
    layGroup(affModif, Modif, cptModif, fichModif, widthOf(Ajout[0]), widthOf(fichAjout), heightOf(fichAjout));
    place(affSuppr, {leftOf(affAjout), topOf(fichModif) + heightOf(fichModif) + kGap, widthOf(affAjout), heightOf(affAjout)});
    layGroup(affSuppr, Suppr, cptSuppr, fichSuppr, widthOf(Ajout[0]), widthOf(fichAjout), heightOf(fichAjout));

    // Quitter2 follows Selection's place, which is set even when Selection stays hidden.
    place(Selection, {leftOf(affAjout), buttonsTop, widthOf(affAjout), heightOf(affAjout)});
    place(Quitter2, {leftOf(Selection) + widthOf(Selection) + kGap, topOf(Selection), widthOf(affAjout), heightOf(affAjout)});
    place(Progression, {leftOf(fichSuppr), topOf(fichSuppr) + heightOf(fichSuppr) + kGap, widthOf(fichSuppr),
                        heightOf(affAjout)});
}

void Main::environLeaveReview()
{
    Panneau->hide();
    Progression->hide();
    form_->setMinimumHeight(toPixels(kClientHeight));
    resultatsAffiches_ = false;
    setMenusEnabled({menAction->menuAction(), menProf->menuAction(), menEdit->menuAction(), menSens->menuAction(),
                     Source1, But1, Relire},
                    true);
    for (QWidget* control : std::initializer_list<QWidget*>{fichAjout, fichModif, fichSuppr, affAjout, affModif,
                                                            affSuppr, Ajout[0], Modif[0], Suppr[0], Ajout[1],
                                                            Modif[1], Suppr[1], Selection, Quitter2}) {
        control->hide();
    }
    Retour->setEnabled(false);
    for (QLabel* counter : {cptAjout, cptModif, cptSuppr}) counter->hide();
}

}  // namespace velmorane::ui
