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

MainWindow::MainWindow(profiles::SharedState& state, ui::Dialogs& dialogs, QWidget* parent)
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

MainWindow::~MainWindow() = default;

void MainWindow::fitToScreen()
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
void MainWindow::placeTopBand()
{
    const int width = form_->width() * kTwipsPerPixel - leftOf(workLabel) - leftOf(workHeading);
    for (QLabel* value : {workLabel, archiveLabel, directionLabel, actionLabel}) setWidth(value, width);
}

void MainWindow::buildTopBand(QWidget* form)
{
    workHeading = bandLabel(form, "affSource", QStringLiteral("Dossier de Travail"), {15, 0, 1500, 250}, kLightGrey,
                          kFolderCaptionBlue);
    workLabel = bandLabel(form, "Source", {}, {1515, 0, 9000, 250}, kWhite, kValueBlue);
    archiveHeading = bandLabel(form, "affBut", QStringLiteral("Dossier d'Archive"), {15, 260, 1500, 250}, kLightGrey,
                       kFolderCaptionBlue);
    archiveLabel = bandLabel(form, "But", {}, {1515, 260, 9000, 250}, kLightGrey, kValueBlue);
    directionHeading = bandLabel(form, "affSens", QStringLiteral("Sens"), {15, 515, 1500, 250}, kLightGrey, kFolderCaptionBlue);
    directionLabel = bandLabel(form, "Sens1", {}, {1515, 515, 9000, 250}, kLightGrey, kValueBlue);
    actionHeading = bandLabel(form, "affAction", QStringLiteral("Action"), {15, 770, 1500, 250}, kLightGrey,
                          kFolderCaptionBlue);
    actionLabel = bandLabel(form, "Action1", {}, {1515, 770, 9000, 250}, kLightGrey, kValueBlue);
    for (QLabel* value : {workLabel, archiveLabel, directionLabel, actionLabel}) showWholeTextWhenCut(value);
}

void MainWindow::buildBrowsing(QWidget* form)
{
    browsingFrame = frame(form, "Systeme", QStringLiteral("Double Clic pour Sélectionner le Dossier de Travail"),
                    {15, 1060, 6180, 6075});
    fileList = new FileList(browsingFrame);
    fileList->setObjectName(QStringLiteral("Fichier"));
    fileList->setFont(arial(8.25));
    place(fileList, {60, 240, 3000, 5760});
    driveList = new DriveList(browsingFrame);
    driveList->setObjectName(QStringLiteral("Lecteur"));
    driveList->setFont(arial(8.25));
    place(driveList, {3120, 240, 3000, 330});
    folderList = new FolderList(browsingFrame);
    folderList->setObjectName(QStringLiteral("Dossier"));
    folderList->setFont(arial(8.25));
    place(folderList, {3120, 630, 3000, 5370});
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(fileList), static_cast<QAbstractItemView*>(folderList)}) {
        list->viewport()->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
    }
    for (QWidget* list : {static_cast<QWidget*>(fileList), static_cast<QWidget*>(folderList)}) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        list->setPalette(palette);
    }
}

void MainWindow::buildInformation(QWidget* form)
{
    informationFrame = frame(form, "Infos", QStringLiteral("Informations"), {6240, 1060, 4260, 5000});
    statusLabel = plainLabel(informationFrame, "Comment1", {}, {45, 285, 4140, 4215}, kCaptionRed, true);
    statusLabel->setWordWrap(true);
    statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusLabel->setMouseTracking(true);
    statusLabel->installEventFilter(this);
    showWholeTextWhenCut(statusLabel);
    startButton = button(informationFrame, "Lance", QStringLiteral("Exécuter"), {820, 4515, 2620, 400}, arial(14.25));

    hintPicture = new QLabel(form);
    hintPicture->setObjectName(QStringLiteral("ChatRex"));
    hintPicture->setPixmap(chatRexPicture());
    place(hintPicture, {6225, 6120, 1005, 765});
    hintPicture->hide();
}

void MainWindow::buildProgress(QWidget* form)
{
    progressFrame = frame(form, "Panneau", QStringLiteral("Déroulement"), {195, 7005, 5780, 600});
    stepLabel = plainLabel(progressFrame, "Etape", {}, {60, 240, 5000, 300}, kCaptionRed, true);
    counterLabel = plainLabel(progressFrame, "Compteur", {}, {5120, 240, 600, 300}, kCaptionRed, true);
    showWholeTextWhenCut(stepLabel);
    progressFrame->hide();
}

void MainWindow::buildReview(QWidget* form)
{
    addsHeading = plainLabel(form, "affAjout", QStringLiteral("Dossier(s) et Fichier(s) à Ajouter"),
                          {6285, 6975, 3705, 300}, kCaptionRed, false);
    replacementsHeading = plainLabel(form, "affModif", QStringLiteral("Fichier(s) à Modifier"), {6510, 7185, 3705, 300},
                          kCaptionRed, false);
    deletionsHeading = plainLabel(form, "affSuppr", QStringLiteral("Dossier(s) et Fichier(s) à Supprimer"),
                          {6765, 7380, 3705, 300}, kCaptionRed, false);
    for (QLabel* heading : {addsHeading, replacementsHeading, deletionsHeading}) heading->hide();

    const QString selected = QStringLiteral("Eléments Sélectionnés");
    const QString notSelected = QStringLiteral("Eléments Non-Sélectionnés");
    addsBoxes = {checkBox(form, "Ajout(0)", selected, {1095, 1815, 3105, 345}, false),
             checkBox(form, "Ajout(1)", notSelected, {1545, 2055, 3105, 345}, true)};
    replacementsBoxes = {checkBox(form, "Modif(0)", selected, {945, 2520, 3105, 345}, false),
             checkBox(form, "Modif(1)", notSelected, {1410, 2775, 3795, 345}, true)};
    deletionsBoxes = {checkBox(form, "Suppr(0)", selected, {1065, 3255, 3105, 345}, false),
             checkBox(form, "Suppr(1)", notSelected, {1815, 3510, 3600, 345}, true)};

    addsCounter = plainLabel(form, "cptAjout", {}, {6120, 7425, 500, 250}, kCounterBlue, true);
    replacementsCounter = plainLabel(form, "cptModif", {}, {6315, 7545, 495, 255}, kCounterBlue, true);
    deletionsCounter = plainLabel(form, "cptSuppr", {}, {6525, 7635, 495, 255}, kCounterBlue, true);
    for (QLabel* counter : {addsCounter, replacementsCounter, deletionsCounter}) {
        setBackground(counter, kLightGrey);
        counter->hide();
    }

    addsModel_ = new TaskListModel(run_.lists().addList(), this);
    replacementsModel_ = new TaskListModel(run_.lists().replaceList(), this);
    deletionsModel_ = new TaskListModel(run_.lists().deleteList(), this);
    addList = reviewList(form, "fichAjout", addsModel_, {6240, 6090, 3705, 450});
    replaceList = reviewList(form, "fichModif", replacementsModel_, {6390, 6300, 3705, 450});
    deleteList = reviewList(form, "fichSuppr", deletionsModel_, {6600, 6525, 3705, 450});

    executeButton = button(form, "Selection", QStringLiteral("Exécuter les Actions"), {150, 7650, 2490, 255},
                       msSansSerif(8.25));
    leaveReviewButton = button(form, "Quitter2", QStringLiteral("Retour à la Page d'Accueil"), {1560, 7650, 2490, 255},
                      msSansSerif(8.25));
    executeButton->hide();
    leaveReviewButton->hide();

    progressBar = new QProgressBar(form);
    progressBar->setObjectName(QStringLiteral("Progression"));
    progressBar->setFont(msSansSerif(8.25));
    progressBar->setAlignment(Qt::AlignCenter);
    progressBar->hide();
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setFont(msSansSerif(8.25));
    fileMenu = menu(bar, "menFich", "&Fichiers");
    workFolderEntry = menuItem(fileMenu, "Source1", "Dossier &Travail");
    archiveFolderEntry = menuItem(fileMenu, "But1", "Dossier&Archive");
    // Shows what was made or removed on the disk outside the program.
    rereadEntry = menuItem(fileMenu, "Relire", "Relire les Dossiers");
    fileMenuSeparator = fileMenu->addSeparator();
    fileMenuSeparator->setObjectName(QStringLiteral("Saut1"));
    backEntry = menuItem(fileMenu, "Retour", "&Revenir au Menu");
    backEntry->setEnabled(false);
    resetEntry = menuItem(fileMenu, "Init", "&Re-Initialiser");
    quitEntry = menuItem(fileMenu, "Fin", "&Quitter");

    directionMenu = menu(bar, "menSens", "&Sens");
    for (std::size_t i = 0; i < directionEntries.size(); ++i) {
        directionEntries[i] = menuItem(directionMenu, "Sens(" + std::to_string(i) + ")", kDirectionCaptions[i]);
    }
    actionMenu = menu(bar, "menAction", "&Action");
    for (std::size_t i = 0; i < actionEntries.size(); ++i) {
        actionEntries[i] = menuItem(actionMenu, "Action(" + std::to_string(i) + ")", kActionCaptions[i]);
    }

    profileMenu = menu(bar, "menProf", "&Profils");
    addProfileEntry = menuItem(profileMenu, "ProfNouv", "&Ajouter");
    deleteProfileEntry = menuItem(profileMenu, "Efface", "&Supprimer");
    sortProfilesEntry = menuItem(profileMenu, "TriProf", "&Ordonner");
    planEntry = menuItem(profileMenu, "Planifier", "&Planifier…");
    reportEntry = menuItem(profileMenu, "Rapport", "Dernier &rapport…");
    profileEntries.push_back(profileMenu->addSeparator());
    profileEntries[0]->setObjectName(QStringLiteral("newProf(0)"));

    editMenu = menu(bar, "menEdit", "&Edition");
    editEntries[0] = menuItem(editMenu, "Edite(0)", "&Renommer un fichier");
    editEntries[1] = menuItem(editMenu, "Edite(1)", "Supprimer un fichier");

    // A menu bar entry without items, which acts as soon as it is chosen.
    helpEntry = bar->addAction(QStringLiteral("&Aide"));
    helpEntry->setObjectName(QStringLiteral("menAide"));

    blockedWhileRunning_ = new QActionGroup(this);
    blockedWhileRunning_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QAction* item : {backEntry, resetEntry, rereadEntry, editEntries[0], editEntries[1]}) blockedWhileRunning_->addAction(item);
}

// Only the controls that can take the focus are chained, in the order of their tab numbers.
void MainWindow::setTabOrder()
{
    const std::vector<QWidget*> order = {fileList,  driveList,  folderList,  startButton,    addList, replaceList,
                                         deleteList, executeButton, addsBoxes[1], replacementsBoxes[0], replacementsBoxes[1], deletionsBoxes[0],
                                         deletionsBoxes[1], addsBoxes[0], leaveReviewButton};
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

// The keys a desktop user expects; the captions stay those of the design.
void MainWindow::setStandardKeys()
{
    quitEntry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    helpEntry->setShortcut(QKeySequence(Qt::Key_F1));
    editEntries[0]->setShortcut(QKeySequence(Qt::Key_F2));
    editEntries[1]->setShortcut(QKeySequence(Qt::Key_Delete));
    rereadEntry->setShortcut(QKeySequence(Qt::Key_F5));
}

void MainWindow::connectHandlers()
{
    connect(workHeading, &ClickLabel::clicked, this, &MainWindow::workHeadingClicked);
    connect(workLabel, &ClickLabel::clicked, this, &MainWindow::chooseWorkFolder);
    connect(archiveHeading, &ClickLabel::clicked, this, &MainWindow::archiveHeadingClicked);
    connect(archiveLabel, &ClickLabel::clicked, this, &MainWindow::chooseArchiveFolder);
    connect(directionHeading, &ClickLabel::clicked, this, &MainWindow::directionHeadingClicked);
    connect(directionLabel, &ClickLabel::clicked, this, &MainWindow::nextDirection);
    connect(actionHeading, &ClickLabel::clicked, this, &MainWindow::actionHeadingClicked);
    connect(actionLabel, &ClickLabel::clicked, this, &MainWindow::nextAction);

    connect(driveList, &DriveList::driveChanged, this, &MainWindow::driveChosen);
    connect(driveList, &DriveList::volumesChanged, this, &MainWindow::showDriveOfFolder);
    connect(driveList, &DriveList::sshServerAsked, this, &MainWindow::askSshServer);
    connect(folderList, &FolderList::pathChanged, this, &MainWindow::folderOpened);
    connect(folderList, &FolderList::entryClicked, this, [this] {
        choiceBeforeClick_ = {state_.settings.source, state_.settings.archive, state_.activeProfile};
        folderClicked();
    });
    connect(folderList, &FolderList::openFailed, this, &MainWindow::reportUnopenedFolder);

    connect(startButton, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(executeButton, &QPushButton::clicked, this, &MainWindow::executeChosenEntries);
    connect(leaveReviewButton, &QPushButton::clicked, this, &MainWindow::leaveReview);
    for (int i = 0; i < 2; ++i) {
        connect(addsBoxes[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { addsBoxClicked(i); });
        connect(replacementsBoxes[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { replacementsBoxClicked(i); });
        connect(deletionsBoxes[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { deletionsBoxClicked(i); });
    }

    connect(workFolderEntry, &QAction::triggered, this, &MainWindow::workFolderCommand);
    connect(archiveFolderEntry, &QAction::triggered, this, &MainWindow::archiveFolderCommand);
    connect(rereadEntry, &QAction::triggered, this, &MainWindow::refreshBrowsing);
    connect(folderList, &FolderList::rereadAsked, this, &MainWindow::refreshBrowsing);
    connect(backEntry, &QAction::triggered, this, &MainWindow::backToSettings);
    connect(resetEntry, &QAction::triggered, this, &MainWindow::resetSettings);
    connect(quitEntry, &QAction::triggered, this, &MainWindow::quit);
    for (std::size_t i = 0; i < directionEntries.size(); ++i) {
        connect(directionEntries[i], &QAction::triggered, this, [this, i] { directionChosen(static_cast<int>(i)); });
    }
    for (std::size_t i = 0; i < actionEntries.size(); ++i) {
        connect(actionEntries[i], &QAction::triggered, this, [this, i] { actionChosen(static_cast<int>(i)); });
    }
    connect(addProfileEntry, &QAction::triggered, this, &MainWindow::askProfileToAdd);
    connect(deleteProfileEntry, &QAction::triggered, this, &MainWindow::askProfileToDelete);
    connect(sortProfilesEntry, &QAction::triggered, this, &MainWindow::sortProfiles);
    connect(planEntry, &QAction::triggered, this, &MainWindow::planProfile);
    connect(reportEntry, &QAction::triggered, this, &MainWindow::showLastReport);
    connect(editEntries[0], &QAction::triggered, this, [this] { editChosenFile(0); });
    connect(editEntries[1], &QAction::triggered, this, [this] { editChosenFile(1); });
    connect(fileList, &QListView::clicked, this, &MainWindow::fileClicked);
    connect(helpEntry, &QAction::triggered, this, &MainWindow::showHelp);
}

// A window of another size lays the top band and the review out again. The picture hint: shown
// over the folder list, hidden over the window's own background (not over a control on it) and
// over the status text.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form_ && event->type() == QEvent::Resize) {
        placeTopBand();
        if (!addList->isHidden()) placeReview();
    }
    if (event->type() == QEvent::MouseMove) {
        if (watched == folderList->viewport() || watched == fileList->viewport()) {
            hintPicture->show();
        } else if (watched == statusLabel) {
            hintPicture->hide();
        } else if (watched == form_) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!form_->childAt(move->position().toPoint())) hintPicture->hide();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace velmorane::ui
