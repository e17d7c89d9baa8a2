#pragma once

#include "platform/browsed_folders.h"
#include "platform/drives.h"
#include "platform/mount_watch.h"
#include "platform/system_error.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>

#include <memory>
#include <string>
#include <vector>

namespace velmorane::ui {

// A label that answers a click, as the top band's labels do.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// A push button that Enter presses as well as Space, as a focused button does on the system the
// interface comes from.
class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The drive list: the mounted volumes and the shares of other machines, showing the one chosen.
// A name too long for the box is cut at its end with "…", never in its middle; the open list is as
// wide as its longest name.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent);

    // The drives of this machine, then the servers connected to, then the entry that asks for a
    // server.
    void setDrives(const std::vector<platform::Drive>& drives);
    // A server the user connected to, offered as a drive from now on.
    void addServer(const platform::Drive& server);
    // The drives follow the volumes as they are mounted and unmounted, and the desktop's shares as
    // they come and go: a key plugged in once the window is open is offered, a pulled one leaves.
    void followMounts();
    const std::vector<platform::Drive>& drives() const { return drives_; }
    // The folder of the drive chosen.
    std::string drive() const;
    // The drive that holds a folder.
    std::string driveOf(const std::string& folder) const { return platform::driveOf(folder, drives_); }
    // Shows a drive without raising the change event.
    void showDrive(const std::string& folder);
    // The text the closed list shows for the drive chosen.
    QString shownText() const;

signals:
    // The user chose another drive.
    void driveChanged();
    // The drives changed; the drive shown stays when it is still there.
    void volumesChanged();
    // The user chose "Serveur SSH…".
    void sshServerAsked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void readDrivesAgain();
    void lookForDesktopShares();
    int shownTextWidth() const;

    std::vector<platform::Drive> machineDrives_;
    std::vector<platform::Drive> servers_;
    std::vector<platform::Drive> drives_;
    std::unique_ptr<platform::MountTableWatch> mountWatch_;
    std::string gvfsFolder_;
    std::vector<std::string> gvfsNames_;
};

// The folder list: the folders from the drive's root down to the open folder, then the open
// folder's sub-folders, on this machine or on an SSH server connected to. A double-click (or Enter) opens an entry; a single click only highlights it.
// Each entry keeps the bytes of its path, so a name that is not UTF-8 opens all the same.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent);

    const std::string& path() const { return path_; }
    // Opens a folder: raises pathChanged when the path changes. False, and nothing changes, when the
    // folder cannot be read.
    bool setPath(const std::string& folder);
    void setRoot(const std::string& root) { root_ = root; }
    // Reads the open folder again, or its nearest parent still there when it has gone, without
    // raising pathChanged: the list shows the disk as it is and nothing is chosen.
    void refresh();
    // The full path of an entry.
    std::string entryPath(int row) const;
    int rowOf(const std::string& folder) const;
    platform::BrowsedFolders& browsedFolders() { return folders_; }

signals:
    void pathChanged();
    void entryClicked();
    // The open folder itself was opened again: the lists read the disk again.
    void rereadAsked();
    // An entry could not be opened (its folder has gone since the list was read); afterClick when a
    // double-click opened it, whose first click has already raised entryClicked.
    void openFailed(const std::string& folder, const platform::SystemError& error, bool afterClick);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void openEntry(QListWidgetItem* item);
    platform::MaybeError openFolder(const std::string& folder);
    platform::MaybeError fill(const std::string& folder);

    platform::BrowsedFolders folders_;
    std::string root_ = "/";
    std::string path_;
    bool doubleClicking_ = false;
};

// The file list: the names of the files of one folder, hidden ones left out as a file list does.
// Each line keeps the bytes of its name, so the edit commands act on the real file.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent);

    const std::string& path() const { return path_; }
    void setPath(const std::string& folder);
    QStringList names() const { return model_.stringList(); }
    // The name of the file chosen in the list, empty when none is.
    std::string chosenName() const;

private:
    QStringListModel model_;
    std::vector<std::string> names_;
    std::string path_;
};

}  // namespace velmorane::ui
