#include "ui/ssh_server_dialog.h"

#include "ui/qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace velmorane::ui {

SshServerDialog::SshServerDialog(const std::vector<std::string>& knownServers, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ServeurSSH"));
    setWindowTitle(QStringLiteral("Serveur SSH"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Serveurs connus :"), this));
    servers = new QListWidget(this);
    for (const std::string& known : knownServers) servers->addItem(qt(known));
    layout->addWidget(servers);
    layout->addWidget(new QLabel(QStringLiteral("Serveur ([utilisateur@]serveur[:port]) :"), this));
    server = new QLineEdit(this);
    layout->addWidget(server);

    auto* buttons = new QHBoxLayout;
    connectButton = new QPushButton(QStringLiteral("Se connecter"), this);
    connectButton->setDefault(true);
    connectButton->setEnabled(false);
    cancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    buttons->addWidget(connectButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    connect(servers, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { server->setText(item->text()); });
    connect(servers, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        server->setText(item->text());
        accept();
    });
    connect(server, &QLineEdit::textChanged, this,
            [this](const QString& text) { connectButton->setEnabled(!text.trimmed().isEmpty()); });
    connect(connectButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::string SshServerDialog::chosenServer() const
{
    return server->text().trimmed().toStdString();
}

}  // namespace velmorane::ui
