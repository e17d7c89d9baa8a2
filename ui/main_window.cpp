#include "ui/main_window.h"

#include "ui/main_sinks.h"

#include "ui/settings_menus.h"
#include "profiles/profile_menu.h"
#include "ui/cut_text.h"
#include "ui/form_builders.h"
#include "ui/pictures.h"
#include "ui/twips.h"

#include <QEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace velmorane::ui {
namespace {

const QColor kFolderCaptionBlue(0, 0, 192);
const QColor kValueBlue(0, 0, 128);
const QColor kCounterBlue(0, 0, 255);

ClickLabel* bandLabel(QWidget* form, const char* name, const QString& caption, const Twips& place_,
                      const QColor& background_, const QColor& text)
{
    auto* label = new ClickLabel(caption, form);
    label->setObjectName(QLatin1String(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setTextFormat(Qt::PlainText);
    label->setFont(msSansSerif(8.25));
    setBackground(label, background_);
    setTextColour(label, text);
    place(label, place_);
    return label;
}

QGroupBox* frame(QWidget* form, const char* name, const QString& caption, const Twips& place_)
{
    auto* box = new QGroupBox(caption, form);
    box->setObjectName(QLatin1String(name));
    box->setFont(msSansSerif(9.75));
    setTextColour(box, kCaptionRed);
    place(box, place_);
    return box;
}

QCheckBox* checkBox(QWidget* form, const std::string& name, const QString& caption, const Twips& place_, bool checked)
{
    auto* box = new QCheckBox(caption, form);
    box->setObjectName(QString::fromStdString(name));
    box->setFont(msSansSerif(8.25));
    box->setChecked(checked);
    place(box, place_);
    box->hide();
    return box;
}

QListView* reviewList(QWidget* form, const char* name, TaskListModel* model, const Twips& place_)
{
    auto* list = new QListView(form);
    list->setObjectName(QLatin1String(name));
    list->setFont(msSansSerif(8.25));
    list->setModel(model);
    list->setItemDelegate(new WholeTextDelegate(list));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    place(list, place_);
    list->hide();
    return list;
}

QAction* menuItem(QMenu* menu, const std::string& name, const char* caption)
{
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromStdString(name));
    return item;
}

QMenu* menu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* entry = bar->addMenu(QString::fromUtf8(caption));
    entry->setObjectName(QLatin1String(name));
    return entry;
}

}  // namespace

Main::Main(profiles::SharedState& state, platform::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QString::fromUtf8(profiles::kNoActiveProfileCaption));
    setWindowIcon(ui::windowIcon());
    setFont(msSansSerif(8.25));

    form_ = new QWidget;
    form_->setObjectName(QStringLiteral("Form"));
    form_->setMinimumSize(toPixels(kClientWidth), toPixels(kClientHeight));
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    // The controls keep the places of the design: a window smaller than the design scrolls, a
    // larger one gives its room to the top band and the review lists.
    auto* formArea = new QScrollArea(this);
    formArea->setObjectName(QStringLiteral("FormArea"));
    formArea->setFrameShape(QFrame::NoFrame);
    formArea->setWidgetResizable(true);
    formArea->setWidget(form_);
    setCentralWidget(formArea);

    buildTopBand(form_);
    buildBrowsing(form_);
    buildInformation(form_);
    buildProgress(form_);
    buildReview(form_);
    buildMenus();
    setTabOrder();
    connectHandlers();
    setStandardKeys();
    createSinks();
    fitToScreen();
}

Main::~Main() = default;

void Main::fitToScreen()
{
    const QSize design(toPixels(kClientWidth), toPixels(kClientHeight) + menuBar()->sizeHint().height());
    const QRect room = screen()->availableGeometry();
    // A window manager puts its title bar above the window.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    QSize size(std::min(design.width(), room.width()), std::min(design.height(), room.height() - titleBar));
    // A window cut in height scrolls, and its scroll bar takes room from the width.
    if (size.height() < design.height()) {
        size.setWidth(std::min(design.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this),
                               room.width()));
    }
    resize(size);
}

// The value labels reach the right edge of the window, as they do in the design.
void Main::placeTopBand()
{
    const int width = form_->width() * kTwipsPerPixel - leftOf(Source) - leftOf(affSource);
    for (QLabel* value : {Source, But, Sens1, Action1}) setWidth(value, width);
}

void Main::buildTopBand(QWidget* form)
{
    affSource = bandLabel(form, "affSource", QStringLiteral("Dossier de Travail"), {15, 0, 1500, 250}, kLightGrey,
                          kFolderCaptionBlue);
    Source = bandLabel(form, "Source", {}, {1515, 0, 9000, 250}, kWhite, kValueBlue);
    affBut = bandLabel(form, "affBut", QStringLiteral("Dossier d'Archive"), {15, 260, 1500, 250}, kLightGrey,
                       kFolderCaptionBlue);
    But = bandLabel(form, "But", {}, {1515, 260, 9000, 250}, kLightGrey, kValueBlue);
    affSens = bandLabel(form, "affSens", QStringLiteral("Sens"), {15, 515, 1500, 250}, kLightGrey, kFolderCaptionBlue);
    Sens1 = bandLabel(form, "Sens1", {}, {1515, 515, 9000, 250}, kLightGrey, kValueBlue);
    affAction = bandLabel(form, "affAction", QStringLiteral("Action"), {15, 770, 1500, 250}, kLightGrey,
                          kFolderCaptionBlue);
    Action1 = bandLabel(form, "Action1", {}, {1515, 770, 9000, 250}, kLightGrey, kValueBlue);
    for (QLabel* value : {Source, But, Sens1, Action1}) showWholeTextWhenCut(value);
}

void Main::buildBrowsing(QWidget* form)
{
    Systeme = frame(form, "Systeme", QStringLiteral("Double Clic pour Sélectionner le Dossier de Travail"),
                    {15, 1060, 6180, 6075});
    Fichier = new FileList(Systeme);
    Fichier->setObjectName(QStringLiteral("Fichier"));
    Fichier->setFont(arial(8.25));
    place(Fichier, {60, 240, 3000, 5760});
    Lecteur = new DriveList(Systeme);
    Lecteur->setObjectName(QStringLiteral("Lecteur"));
    Lecteur->setFont(arial(8.25));
    place(Lecteur, {3120, 240, 3000, 330});
    Dossier = new FolderList(Systeme);
    Dossier->setObjectName(QStringLiteral("Dossier"));
    Dossier->setFont(arial(8.25));
    place(Dossier, {3120, 630, 3000, 5370});
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(Fichier), static_cast<QAbstractItemView*>(Dossier)}) {
        list->viewport()->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
    }
    for (QWidget* list : {static_cast<QWidget*>(Fichier), static_cast<QWidget*>(Dossier)}) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        list->setPalette(palette);
    }
}

void Main::buildInformation(QWidget* form)
{
    Infos = frame(form, "Infos", QStringLiteral("Informations"), {6240, 1060, 4260, 5000});
    Comment1 = plainLabel(Infos, "Comment1", {}, {45, 285, 4140, 4215}, kCaptionRed, true);
    Comment1->setWordWrap(true);
    Comment1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comment1->setMouseTracking(true);
    Comment1->installEventFilter(this);
    showWholeTextWhenCut(Comment1);
    Lance = button(Infos, "Lance", QStringLiteral("Exécuter"), {820, 4515, 2620, 400}, arial(14.25));

    ChatRex = new QLabel(form);
    ChatRex->setObjectName(QStringLiteral("ChatRex"));
    ChatRex->setPixmap(chatRexPicture());
    place(ChatRex, {6225, 6120, 1005, 765});
    ChatRex->hide();
}

void Main::buildProgress(QWidget* form)
{
    Panneau = frame(form, "Panneau", QStringLiteral("Déroulement"), {195, 7005, 5780, 600});
    Etape = plainLabel(Panneau, "Etape", {}, {60, 240, 5000, 300}, kCaptionRed, true);
    Compteur = plainLabel(Panneau, "Compteur", {}, {5120, 240, 600, 300}, kCaptionRed, true);
    showWholeTextWhenCut(Etape);
    Panneau->hide();
}

void Main::buildReview(QWidget* form)
{
    affAjout = plainLabel(form, "affAjout", QStringLiteral("Dossier(s) et Fichier(s) à Ajouter"),
                          {6285, 6975, 3705, 300}, kCaptionRed, false);
    affModif = plainLabel(form, "affModif", QStringLiteral("Fichier(s) à Modifier"), {6510, 7185, 3705, 300},
                          kCaptionRed, false);
    affSuppr = plainLabel(form, "affSuppr", QStringLiteral("Dossier(s) et Fichier(s) à Supprimer"),
                          {6765, 7380, 3705, 300}, kCaptionRed, false);
    for (QLabel* heading : {affAjout, affModif, affSuppr}) heading->hide();

    const QString selected = QStringLiteral("Eléments Sélectionnés");
    const QString notSelected = QStringLiteral("Eléments Non-Sélectionnés");
    Ajout = {checkBox(form, "Ajout(0)", selected, {1095, 1815, 3105, 345}, false),
             checkBox(form, "Ajout(1)", notSelected, {1545, 2055, 3105, 345}, true)};
    Modif = {checkBox(form, "Modif(0)", selected, {945, 2520, 3105, 345}, false),
             checkBox(form, "Modif(1)", notSelected, {1410, 2775, 3795, 345}, true)};
    Suppr = {checkBox(form, "Suppr(0)", selected, {1065, 3255, 3105, 345}, false),
             checkBox(form, "Suppr(1)", notSelected, {1815, 3510, 3600, 345}, true)};

    cptAjout = plainLabel(form, "cptAjout", {}, {6120, 7425, 500, 250}, kCounterBlue, true);
    cptModif = plainLabel(form, "cptModif", {}, {6315, 7545, 495, 255}, kCounterBlue, true);
    cptSuppr = plainLabel(form, "cptSuppr", {}, {6525, 7635, 495, 255}, kCounterBlue, true);
    for (QLabel* counter : {cptAjout, cptModif, cptSuppr}) {
        setBackground(counter, kLightGrey);
        counter->hide();
    }

    modelAjout_ = new TaskListModel(run_.lists().fichAjout(), this);
    modelModif_ = new TaskListModel(run_.lists().fichModif(), this);
    modelSuppr_ = new TaskListModel(run_.lists().fichSuppr(), this);
    fichAjout = reviewList(form, "fichAjout", modelAjout_, {6240, 6090, 3705, 450});
    fichModif = reviewList(form, "fichModif", modelModif_, {6390, 6300, 3705, 450});
    fichSuppr = reviewList(form, "fichSuppr", modelSuppr_, {6600, 6525, 3705, 450});

    Selection = button(form, "Selection", QStringLiteral("Exécuter les Actions"), {150, 7650, 2490, 255},
                       msSansSerif(8.25));
    Quitter2 = button(form, "Quitter2", QStringLiteral("Retour à la Page d'Accueil"), {1560, 7650, 2490, 255},
                      msSansSerif(8.25));
    Selection->hide();
    Quitter2->hide();

    Progression = new QProgressBar(form);
    Progression->setObjectName(QStringLiteral("Progression"));
    Progression->setFont(msSansSerif(8.25));
    Progression->setAlignment(Qt::AlignCenter);
    Progression->hide();
}

void Main::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setFont(msSansSerif(8.25));
    menFich = menu(bar, "menFich", "&Fichiers");
    Source1 = menuItem(menFich, "Source1", "Dossier &Travail");
    But1 = menuItem(menFich, "But1", "Dossier&Archive");
    // Shows what was made or removed on the disk outside the program.
    Relire = menuItem(menFich, "Relire", "Relire les Dossiers");
    Saut1 = menFich->addSeparator();
    Saut1->setObjectName(QStringLiteral("Saut1"));
    Retour = menuItem(menFich, "Retour", "&Revenir au Menu");
    Retour->setEnabled(false);
    Init = menuItem(menFich, "Init", "&Re-Initialiser");
    Fin = menuItem(menFich, "Fin", "&Quitter");

    menSens = menu(bar, "menSens", "&Sens");
    for (std::size_t i = 0; i < Sens.size(); ++i) {
        Sens[i] = menuItem(menSens, "Sens(" + std::to_string(i) + ")", kDirectionCaptions[i]);
    }
    menAction = menu(bar, "menAction", "&Action");
    for (std::size_t i = 0; i < Action.size(); ++i) {
        Action[i] = menuItem(menAction, "Action(" + std::to_string(i) + ")", kActionCaptions[i]);
    }

    menProf = menu(bar, "menProf", "&Profils");
    ProfNouv = menuItem(menProf, "ProfNouv", "&Ajouter");
    Efface = menuItem(menProf, "Efface", "&Supprimer");
    TriProf = menuItem(menProf, "TriProf", "&Ordonner");
    Planifier = menuItem(menProf, "Planifier", "&Planifier…");
    Rapport = menuItem(menProf, "Rapport", "Dernier &rapport…");
    newProf.push_back(menProf->addSeparator());
    newProf[0]->setObjectName(QStringLiteral("newProf(0)"));

    menEdit = menu(bar, "menEdit", "&Edition");
    Edite[0] = menuItem(menEdit, "Edite(0)", "&Renommer un fichier");
    Edite[1] = menuItem(menEdit, "Edite(1)", "Supprimer un fichier");

    // A menu bar entry without items, which acts as soon as it is chosen.
    menAide = bar->addAction(QStringLiteral("&Aide"));
    menAide->setObjectName(QStringLiteral("menAide"));

    blockedWhileRunning_ = new QActionGroup(this);
    blockedWhileRunning_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QAction* item : {Retour, Init, Relire, Edite[0], Edite[1]}) blockedWhileRunning_->addAction(item);
}

// Only the controls that can take the focus are chained, in the order of their tab numbers.
void Main::setTabOrder()
{
    const std::vector<QWidget*> order = {Fichier,  Lecteur,  Dossier,  Lance,    fichAjout, fichModif,
                                         fichSuppr, Selection, Ajout[1], Modif[0], Modif[1], Suppr[0],
                                         Suppr[1], Ajout[0], Quitter2};
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

// The keys a desktop user expects; the captions stay those of the design.
void Main::setStandardKeys()
{
    Fin->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menAide->setShortcut(QKeySequence(Qt::Key_F1));
    Edite[0]->setShortcut(QKeySequence(Qt::Key_F2));
    Edite[1]->setShortcut(QKeySequence(Qt::Key_Delete));
    Relire->setShortcut(QKeySequence(Qt::Key_F5));
}

void Main::connectHandlers()
{
    connect(affSource, &ClickLabel::clicked, this, &Main::affSource_Click);
    connect(Source, &ClickLabel::clicked, this, &Main::Source_Click);
    connect(affBut, &ClickLabel::clicked, this, &Main::affBut_Click);
    connect(But, &ClickLabel::clicked, this, &Main::But_Click);
    connect(affSens, &ClickLabel::clicked, this, &Main::affSens_Click);
    connect(Sens1, &ClickLabel::clicked, this, &Main::Sens1_Click);
    connect(affAction, &ClickLabel::clicked, this, &Main::affAction_Click);
    connect(Action1, &ClickLabel::clicked, this, &Main::Action1_Click);

    connect(Lecteur, &DriveList::driveChanged, this, &Main::Lecteur_Change);
    connect(Dossier, &FolderList::pathChanged, this, &Main::Dossier_Change);
    connect(Dossier, &FolderList::entryClicked, this, [this] {
        choiceBeforeClick_ = {state_.settings.source, state_.settings.archive, state_.profActif};
        Dossier_Click();
    });
    connect(Dossier, &FolderList::openFailed, this, &Main::reportUnopenedFolder);

    connect(Lance, &QPushButton::clicked, this, &Main::Lance_Click);
    connect(Selection, &QPushButton::clicked, this, &Main::Selection_Click);
    connect(Quitter2, &QPushButton::clicked, this, &Main::Quitter2_Click);
    for (int i = 0; i < 2; ++i) {
        connect(Ajout[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { Ajout_Click(i); });
        connect(Modif[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { Modif_Click(i); });
        connect(Suppr[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { Suppr_Click(i); });
    }

    connect(Source1, &QAction::triggered, this, &Main::Source1_Click);
    connect(But1, &QAction::triggered, this, &Main::But1_Click);
    connect(Relire, &QAction::triggered, this, &Main::refreshBrowsing);
    connect(Dossier, &FolderList::rereadAsked, this, &Main::refreshBrowsing);
    connect(Retour, &QAction::triggered, this, &Main::Retour_Click);
    connect(Init, &QAction::triggered, this, &Main::Init_Click);
    connect(Fin, &QAction::triggered, this, &Main::Fin_Click);
    for (std::size_t i = 0; i < Sens.size(); ++i) {
        connect(Sens[i], &QAction::triggered, this, [this, i] { Sens_Click(static_cast<int>(i)); });
    }
    for (std::size_t i = 0; i < Action.size(); ++i) {
        connect(Action[i], &QAction::triggered, this, [this, i] { Action_Click(static_cast<int>(i)); });
    }
    connect(ProfNouv, &QAction::triggered, this, &Main::ProfNouv_Click);
    connect(Efface, &QAction::triggered, this, &Main::Efface_Click);
    connect(TriProf, &QAction::triggered, this, &Main::TriProf_Click);
    connect(Planifier, &QAction::triggered, this, &Main::Planifier_Click);
    connect(Rapport, &QAction::triggered, this, &Main::Rapport_Click);
    connect(Edite[0], &QAction::triggered, this, [this] { Edite_Click(0); });
    connect(Edite[1], &QAction::triggered, this, [this] { Edite_Click(1); });
    connect(Fichier, &QListView::clicked, this, &Main::Fichier_Click);
    connect(menAide, &QAction::triggered, this, &Main::menAide_Click);
}

// A window of another size lays the top band and the review out again. The picture hint: shown
// over the folder list, hidden over the window's own background (not over a control on it) and
// over the status text.
bool Main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form_ && event->type() == QEvent::Resize) {
        placeTopBand();
        if (!fichAjout->isHidden()) placeReview();
    }
    if (event->type() == QEvent::MouseMove) {
        if (watched == Dossier->viewport() || watched == Fichier->viewport()) {
            ChatRex->show();
        } else if (watched == Comment1) {
            ChatRex->hide();
        } else if (watched == form_) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!form_->childAt(move->position().toPoint())) ChatRex->hide();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace velmorane::ui
