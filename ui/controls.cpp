#include "ui/controls.h"

#include "platform/browsed_folders.h"
#include "platform/folder_listing.h"
#include "platform/letter_case.h"
#include "platform/paths.h"
#include "platform/sftp_address.h"
#include "ui/cut_text.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>

namespace velmorane::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10;
constexpr int kDesktopShareLookMilliseconds = 2000;

// Draws each folder entry indented by its depth, as a folder tree reads.
class IndentDelegate : public WholeTextDelegate {
public:
    using WholeTextDelegate::WholeTextDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize size = WholeTextDelegate::sizeHint(option, index);
        return {size.width() + index.data(kLevelRole).toInt() * kIndentPixels, size.height()};
    }

protected:
    QStyleOptionViewItem drawnOption(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndentPixels);
        return indented;
    }
};

QByteArray bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string pathOf(const QListWidgetItem* entry)
{
    return entry->data(kPathRole).toByteArray().toStdString();
}

// The folders from the root down to the folder itself.
std::vector<std::string> pathFromRoot(const std::string& root, const std::string& folder)
{
    std::vector<std::string> chain;
    for (std::string current = folder; !current.empty(); current = platform::parentOf(current)) {
        chain.insert(chain.begin(), current);
        if (current == root) break;
    }
    return chain;
}

// Names as a French reader looks for them: "Été" before "Vide"; names equal but for case keep the
// folder's own order.
std::vector<std::string> inReadingOrder(std::vector<std::string> names)
{
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return platform::collateIgnoringCase(a, b) < 0;
    });
    return names;
}

// The names of a folder's files, hidden ones left out as a file list does. A server's files are not
// listed: the edit commands act on this machine's files alone.
std::vector<std::string> listedFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (platform::isSftpAddress(folder)) return names;
    const auto content = platform::readFolder(folder);
    if (!content.ok()) return names;
    for (const auto& file : content.value.files) {
        if (!file.name.empty() && file.name.view().front() != '.') names.push_back(file.name.str());
    }
    return inReadingOrder(std::move(names));
}

}  // namespace

void PushButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index == count() - 1) emit sshServerAsked();
        else emit driveChanged();
    });
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { setToolTip(currentText()); });
}

void DriveList::setDrives(const std::vector<platform::Drive>& drives)
{
    machineDrives_ = drives;
    drives_ = drives;
    drives_.insert(drives_.end(), servers_.begin(), servers_.end());
    const QSignalBlocker blocker(this);
    clear();
    for (const auto& drive : drives_) {
        const bool server = platform::isSftpAddress(drive.folder);
        addItem(style()->standardIcon(server ? QStyle::SP_DriveNetIcon : QStyle::SP_DriveHDIcon), qt(drive.name),
                qt(drive.folder));
        setItemData(count() - 1, qt(drive.folder), Qt::ToolTipRole);
    }
    addItem(style()->standardIcon(QStyle::SP_DriveNetIcon), QStringLiteral("Serveur SSH…"));
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + view()->verticalScrollBar()->sizeHint().width());
    setToolTip(currentText());
}

void DriveList::addServer(const platform::Drive& server)
{
    const auto known = std::find_if(servers_.begin(), servers_.end(),
                                    [&](const platform::Drive& drive) { return drive.folder == server.folder; });
    if (known == servers_.end()) servers_.push_back(server);
    setDrives(machineDrives_);
}

void DriveList::followMounts()
{
    mountWatch_ = std::make_unique<platform::MountTableWatch>();
    if (mountWatch_->descriptor() >= 0) {
        auto* notifier = new QSocketNotifier(mountWatch_->descriptor(), QSocketNotifier::Exception, this);
        connect(notifier, &QSocketNotifier::activated, this, &DriveList::readDrivesAgain);
    }
    // The desktop mounts every share under one mount of its own, whose folders come and go with no
    // change to the mounts table, and a file system in user space tells no watch of them: they are
    // looked at every two seconds, by their names alone.
    gvfsFolder_ = platform::userGvfsFolder();
    gvfsNames_ = platform::gvfsFolderNames(gvfsFolder_);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &DriveList::lookForDesktopShares);
    timer->start(kDesktopShareLookMilliseconds);
}

void DriveList::lookForDesktopShares()
{
    std::vector<std::string> names = platform::gvfsFolderNames(gvfsFolder_);
    if (names == gvfsNames_) return;
    gvfsNames_ = std::move(names);
    readDrivesAgain();
}

void DriveList::readDrivesAgain()
{
    const std::string shown = drive();
    setDrives(platform::machineDrives());
    showDrive(shown);
    emit volumesChanged();
}

std::string DriveList::drive() const
{
    return currentData().toString().toStdString();
}

void DriveList::showDrive(const std::string& folder)
{
    const QSignalBlocker blocker(this);
    setCurrentIndex(findData(qt(folder)));
    setToolTip(currentText());
}

// As the style draws the label: after the icon and its gap, a pixel in from each side.
int DriveList::shownTextWidth() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    int width = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width() - 2;
    if (!option.currentIcon.isNull()) width -= option.iconSize.width() + 4;
    return width;
}

QString DriveList::shownText() const
{
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, shownTextWidth());
}

void DriveList::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &FolderList::openEntry);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { emit entryClicked(); });
}

std::string FolderList::entryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? pathOf(entry) : std::string();
}

int FolderList::rowOf(const std::string& folder) const
{
    for (int row = 0; row < count(); ++row) {
        if (entryPath(row) == folder) return row;
    }
    return -1;
}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event)
{
    doubleClicking_ = true;
    QListWidget::mouseDoubleClickEvent(event);
    doubleClicking_ = false;
}

void FolderList::openEntry(QListWidgetItem* entry)
{
    if (!entry) return;
    const std::string folder = pathOf(entry);
    if (folder == path_) {
        emit rereadAsked();
        return;
    }
    if (const auto error = openFolder(folder)) emit openFailed(folder, *error, doubleClicking_);
}

bool FolderList::setPath(const std::string& requested)
{
    return !openFolder(requested);
}

platform::MaybeError FolderList::openFolder(const std::string& requested)
{
    const std::string folder = platform::plainFolder(requested);
    if (folder == path_) return std::nullopt;
    if (auto error = fill(folder)) return error;
    emit pathChanged();
    return std::nullopt;
}

void FolderList::refresh()
{
    std::string folder = path_;
    while (fill(folder)) {
        folder = platform::parentOf(folder);
        if (folder.empty()) return;
    }
}

platform::MaybeError FolderList::fill(const std::string& folder)
{
    const auto subFolders = folders_.subFolders(folder);
    if (!subFolders.ok()) return subFolders.error;

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int level = 0;
    for (const std::string& ancestor : pathFromRoot(root_, folder)) {
        const QString caption = ancestor == root_ ? qt(ancestor) : qt(platform::nameOf(ancestor));
        auto* entry = new QListWidgetItem(open, caption, this);
        entry->setData(kPathRole, bytes(ancestor));
        entry->setData(kLevelRole, level);
        ++level;
    }
    for (const std::string& name : inReadingOrder(subFolders.value)) {
        auto* entry = new QListWidgetItem(closed, qt(name), this);
        entry->setData(kPathRole, bytes(platform::folderIn(folder, name)));
        entry->setData(kLevelRole, level);
    }
    setCurrentRow(level - 1);
    path_ = folder;
    return std::nullopt;
}

FileList::FileList(QWidget* parent) : QListView(parent)
{
    setModel(&model_);
    setItemDelegate(new WholeTextDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const std::string& folder)
{
    path_ = folder;
    names_ = listedFileNames(folder);
    QStringList shown;
    for (const std::string& name : names_) shown.push_back(qt(name));
    model_.setStringList(shown);
}

std::string FileList::chosenName() const
{
    const QModelIndexList chosen = selectionModel()->selectedIndexes();
    if (chosen.isEmpty()) return {};
    const auto row = static_cast<std::size_t>(chosen.front().row());
    return row < names_.size() ? names_[row] : std::string();
}

}  // namespace velmorane::ui
