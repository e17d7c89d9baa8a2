#include "tests/ui/main_window_fixture.h"

#include <QMenuBar>

namespace velmorane::testing {
namespace {

using ui::Twips;

QColor textColour(const QWidget* control)
{
    return control->palette().color(QPalette::WindowText);
}

std::vector<std::string> menuCaptions(const QMenu* menu)
{
    std::vector<std::string> captions;
    for (const QAction* item : menu->actions()) captions.push_back(item->isSeparator() ? "-" : item->text().toStdString());
    return captions;
}

class DesignState : public MainWindowTest {};

TEST_F(DesignState, TheWindowHasItsFixedClientAreaCaptionAndIcon)
{
    ui::Main& w = start();
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_EQ(w.centralWidget()->size(), QSize(702, 528));  // 10530 × 7920 twips
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    const QList<QSize> iconSizes = w.windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
    EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
    EXPECT_EQ(w.ChatRex->pixmap().size(), QSize(67, 51));
}

TEST_F(DesignState, TopBandLabelsHaveTheirCaptionsPlacesAndColours)
{
    ui::Main& w = start();
    struct Row {
        QLabel* label;
        const char* caption;
        Twips place;
        QColor background;
        QColor text;
    };
    const QColor grey(224, 224, 224), white(255, 255, 255), captionBlue(0, 0, 192), valueBlue(0, 0, 128);
    for (const Row& row : std::vector<Row>{
             {w.affSource, "Dossier de Travail", {15, 0, 1500, 250}, grey, captionBlue},
             {w.Source, "", {1515, 0, 9000, 250}, white, valueBlue},
             {w.affBut, "Dossier d'Archive", {15, 260, 1500, 250}, grey, captionBlue},
             {w.But, "", {1515, 260, 9000, 250}, grey, valueBlue},
             {w.affSens, "Sens", {15, 515, 1500, 250}, grey, captionBlue},
             {w.Sens1, "", {1515, 515, 9000, 250}, grey, valueBlue},
             {w.affAction, "Action", {15, 770, 1500, 250}, grey, captionBlue},
             {w.Action1, "", {1515, 770, 9000, 250}, grey, valueBlue}}) {
        SCOPED_TRACE(row.label->objectName().toStdString());
        EXPECT_EQ(text(row.label), row.caption);
        EXPECT_EQ(twips(row.label), row.place);
        EXPECT_EQ(ui::background(row.label), row.background);
        EXPECT_EQ(textColour(row.label), row.text);
        EXPECT_NE(row.label->frameShape(), QFrame::NoFrame);
        EXPECT_TRUE(row.label->isVisible());
    }
}

TEST_F(DesignState, FramesAndTheirControlsAreInPlaceWithTheirFonts)
{
    ui::Main& w = start();
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier de Travail");
    EXPECT_EQ(twips(w.Systeme), (Twips{15, 1060, 6180, 6075}));
    EXPECT_EQ(twips(w.Fichier), (Twips{60, 240, 3000, 5760}));
    EXPECT_EQ(twips(w.Lecteur), (Twips{3120, 240, 3000, 330}));
    EXPECT_EQ(twips(w.Dossier), (Twips{3120, 630, 3000, 5370}));
    EXPECT_EQ(w.Fichier->parentWidget(), w.Systeme);
    EXPECT_EQ(w.Dossier->font().family().toStdString(), "Liberation Sans");
    EXPECT_EQ(w.Dossier->font().pixelSize(), 11);  // Arial 8.25 at 96 dots per inch
    EXPECT_EQ(w.Systeme->font().pixelSize(), 13);  // 9.75 points
    EXPECT_EQ(textColour(w.Systeme), QColor(192, 0, 0));

    EXPECT_EQ(w.Infos->title().toStdString(), "Informations");
    EXPECT_EQ(twips(w.Infos), (Twips{6240, 1060, 4260, 5000}));
    EXPECT_EQ(twips(w.Comment1), (Twips{45, 285, 4140, 4215}));
    EXPECT_TRUE(w.Comment1->wordWrap());
    EXPECT_EQ(textColour(w.Comment1), QColor(192, 0, 0));
    EXPECT_EQ(w.Lance->text().toStdString(), "Exécuter");
    EXPECT_EQ(twips(w.Lance), (Twips{820, 4515, 2620, 400}));
    EXPECT_EQ(w.Lance->font().pixelSize(), 19);  // Arial 14.25

    EXPECT_EQ(twips(w.ChatRex), (Twips{6225, 6120, 1005, 765}));
    EXPECT_EQ(w.Panneau->title().toStdString(), "Déroulement");
    EXPECT_EQ(twips(w.Panneau), (Twips{195, 7005, 5780, 600}));
    EXPECT_EQ(twips(w.Etape), (Twips{60, 240, 5000, 300}));
    EXPECT_EQ(twips(w.Compteur), (Twips{5120, 240, 600, 300}));
}

TEST_F(DesignState, OnlyTheHomeScreenIsShownAndThePairsStartOnNotSelected)
{
    ui::Main& w = start();
    for (QWidget* shown : std::vector<QWidget*>{w.Systeme, w.Infos, w.Fichier, w.Lecteur, w.Dossier, w.Comment1, w.Lance}) {
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    }
    for (QWidget* hidden : std::vector<QWidget*>{
             w.Panneau, w.ChatRex, w.affAjout, w.affModif, w.affSuppr, w.Ajout[0], w.Ajout[1], w.Modif[0],
             w.Modif[1], w.Suppr[0], w.Suppr[1], w.cptAjout, w.cptModif, w.cptSuppr, w.fichAjout, w.fichModif,
             w.fichSuppr, w.Selection, w.Quitter2}) {
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    }
    for (const auto* pair : {&w.Ajout, &w.Modif, &w.Suppr}) {
        EXPECT_EQ((*pair)[0]->text().toStdString(), "Eléments Sélectionnés");
        EXPECT_EQ((*pair)[1]->text().toStdString(), "Eléments Non-Sélectionnés");
        EXPECT_FALSE((*pair)[0]->isChecked());
        EXPECT_TRUE((*pair)[1]->isChecked());
    }
    EXPECT_EQ(twips(w.Modif[1]), (Twips{1410, 2775, 3795, 345}));
    EXPECT_EQ(text(w.affModif), "Fichier(s) à Modifier");
    EXPECT_EQ(twips(w.fichSuppr), (Twips{6600, 6525, 3705, 450}));
    EXPECT_EQ(w.fichAjout->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w.Selection->text().toStdString(), "Exécuter les Actions");
    EXPECT_EQ(twips(w.Selection), (Twips{150, 7650, 2490, 255}));
    EXPECT_EQ(w.Quitter2->text().toStdString(), "Retour à la Page d'Accueil");
    EXPECT_EQ(textColour(w.cptAjout), QColor(0, 0, 255));
}

TEST_F(DesignState, TheMenuTreeHasItsCaptionsSeparatorsAndStates)
{
    ui::Main& w = start();
    std::vector<std::string> bar;
    for (const QAction* entry : w.menuBar()->actions()) bar.push_back(entry->text().toStdString());
    EXPECT_EQ(bar, (std::vector<std::string>{"&Fichiers", "&Sens", "&Action", "&Profils", "&Edition", "&Aide"}));
    EXPECT_EQ(menuCaptions(w.menFich), (std::vector<std::string>{"Dossier &Travail", "Dossier&Archive", "-",
                                                                 "&Revenir au Menu", "&Re-Initialiser", "&Quitter"}));
    EXPECT_EQ(menuCaptions(w.menSens), (std::vector<std::string>{"&Travail => Archive", "Archive => &Travail"}));
    EXPECT_EQ(menuCaptions(w.menAction),
              (std::vector<std::string>{"&Comparer", "&Personnaliser la Mise à Jour", "&Ajouter Seulement",
                                        "Supprimer &Seulement", "&Modifier Seulement"}));
    EXPECT_EQ(menuCaptions(w.menProf), (std::vector<std::string>{"&Ajouter", "&Supprimer", "&Ordonner", "-"}));
    EXPECT_EQ(menuCaptions(w.menEdit), (std::vector<std::string>{"&Renommer un fichier", "Supprimer un fichier"}));
    EXPECT_EQ(w.menAide->menu(), nullptr);
    EXPECT_FALSE(w.Retour->isEnabled());
    for (QAction* item : w.menFich->actions()) {
        if (item != w.Retour) {
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
        }
    }
    for (QMenu* menu : {w.menFich, w.menSens, w.menAction, w.menProf, w.menEdit}) {
        EXPECT_TRUE(menu->menuAction()->isEnabled());
        for (const QAction* item : menu->actions()) {
            EXPECT_FALSE(item->isChecked()) << item->text().toStdString();
            EXPECT_TRUE(item->shortcut().isEmpty());
        }
    }
}

TEST_F(DesignState, TheFocusGoesThroughTheControlsInTheOrderOfTheirTabNumbers)
{
    ui::Main& w = start();
    std::vector<QWidget*> expected = {w.Fichier,  w.Lecteur,  w.Dossier,  w.Lance,    w.fichAjout,
                                      w.fichModif, w.fichSuppr, w.Selection, w.Ajout[1], w.Modif[0],
                                      w.Modif[1], w.Suppr[0], w.Suppr[1], w.Ajout[0], w.Quitter2};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->focusProxy()) next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[i]) << expected[i - 1]->objectName().toStdString();
    }
}

TEST_F(DesignState, TheAutoWindowIsBlackWithItsWhiteCentredLabel)
{
    ui::Auto window;
    EXPECT_EQ(window.windowTitle().toStdString(), "Form1");
    EXPECT_EQ(window.size(), QSize(312, 213));  // 4680 × 3195 twips
    EXPECT_EQ(ui::background(&window), QColor(0, 0, 0));
    EXPECT_EQ(window.Affiche->text().toStdString(), "En-Cours");
    EXPECT_EQ(twips(window.Affiche), (Twips{1335, 555, 2040, 555}));
    EXPECT_EQ(window.Affiche->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(window.Affiche->font().pixelSize(), 32);  // 24 points
    EXPECT_TRUE(window.Affiche->alignment() & Qt::AlignHCenter);
}

}  // namespace
}  // namespace velmorane::testing
