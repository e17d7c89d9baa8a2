#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <string>
#include <vector>

namespace velmorane::ui {

// "Serveur SSH…" of the drive list: the hosts the user's SSH configuration and known hosts name,
// and a field for [user@]host[:port]. A click on a host puts it in the field, a double-click
// connects to it.
class SshServerDialog : public QDialog {
    Q_OBJECT
public:
    SshServerDialog(const std::vector<std::string>& knownServers, QWidget* parent);

    // The server as typed, blanks around it left out.
    std::string chosenServer() const;

    QListWidget* servers = nullptr;
    QLineEdit* server = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace velmorane::ui
