#include "execution/review_headings.h"
#include "ui/main_window.h"
#include "ui/twips.h"

namespace velmorane::ui {
namespace {

void setMenusEnabled(std::initializer_list<QAction*> items, bool enabled)
{
    for (QAction* item : items) item->setEnabled(enabled);
}

}  // namespace

// The one place that shows, hides, moves and recolours the controls of a screen state.
void Main::Environ(int mode)
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
    setMenusEnabled({menAction->menuAction(), menSens->menuAction(), menProf->menuAction(), Source1, But1, Init},
                    false);
    Systeme->hide();
    Infos->hide();
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
    setTop(affAjout, 1140);
    setLeft(affAjout, 60);
    Retour->setEnabled(true);
    setWidth(affAjout, 4000);
    setHeight(affAjout, 300);

    // A row of heading, two check boxes and counter, with its list below it.
    const auto layGroup = [this](QLabel* heading, std::array<QCheckBox*, 2>& boxes, QLabel* counter, QListView* list,
                                 int boxWidth, int listWidth, int listHeight) {
        place(boxes[0], {leftOf(heading) + widthOf(heading), topOf(heading), boxWidth, heightOf(affAjout)});
        place(boxes[1], {leftOf(boxes[0]) + widthOf(boxes[0]), topOf(boxes[0]), widthOf(Ajout[0]), heightOf(affAjout)});
        place(counter, {leftOf(boxes[1]) + widthOf(boxes[1]), topOf(heading), 500, heightOf(heading)});
        place(list, {leftOf(affAjout), topOf(heading) + heightOf(heading), listWidth, listHeight});
    };
    layGroup(affAjout, Ajout, cptAjout, fichAjout, 2900, 10400, 2000);
    place(affModif, {leftOf(affAjout), topOf(fichAjout) + heightOf(fichAjout) + 60, widthOf(affAjout), heightOf(affAjout)});
    layGroup(affModif, Modif, cptModif, fichModif, widthOf(Ajout[0]), widthOf(fichAjout), heightOf(fichAjout));
    place(affSuppr, {leftOf(affAjout), topOf(fichModif) + heightOf(fichModif) + 60, widthOf(affAjout), heightOf(affAjout)});
    layGroup(affSuppr, Suppr, cptSuppr, fichSuppr, widthOf(Ajout[0]), widthOf(fichAjout), heightOf(fichAjout));

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
    if (!flags.seulComparer) {
        place(Selection, {60, 7540, widthOf(affAjout), heightOf(affAjout)});
        Selection->show();
    }
    place(Quitter2, {leftOf(Selection) + widthOf(Selection) + 60, topOf(Selection), widthOf(affAjout), heightOf(affAjout)});
    Quitter2->show();
}

void Main::environLeaveReview()
{
    Panneau->hide();
    resultatsAffiches_ = false;
    setMenusEnabled({menAction->menuAction(), menProf->menuAction(), menEdit->menuAction(), menSens->menuAction(),
                     Source1, But1},
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
