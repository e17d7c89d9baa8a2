#include "execution/outcome_texts.h"
#include "platform/sftp_address.h"
#include "platform/sftp_folders.h"
#include "platform/ssh_hosts.h"
#include "platform/state_file.h"
#include "ui/busy_scope.h"
#include "ui/main_window.h"
#include "ui/run_thread.h"
#include "ui/ssh_server_dialog.h"

#include <thread>

namespace velmorane::ui {

void MainWindow::askSshServer()
{
    // The entry that asks is no drive: the list shows the open folder's drive again.
    driveList->showDrive(driveList->driveOf(folderList->path()));
    SshServerDialog dialog(platform::sshHosts(platform::homeFolder()), this);
    if (dialog.exec() == QDialog::Accepted) connectToServer(dialog.chosenServer());
}

// The server's folders are then browsed as a drive's, from its user's home; a failure says why
// in the words of ssh and changes nothing.
void MainWindow::connectToServer(const std::string& server)
{
    const auto address = platform::parseSftpAddress("sftp://" + server + "/");
    if (!address.ok()) {
        dialogs_.show(stopMessage("Serveur SSH incorrect : " + server + "\n" + address.error->reason,
                                  execution::kApplicationTitle));
        return;
    }
    const auto home = connectAwayFromWindow(address.value);
    // A close asked while connecting takes effect now.
    if (afterExecution_ != AfterExecution::Stay) {
        leaveAfterExecution();
        return;
    }
    if (!home.ok()) {
        dialogs_.show(stopMessage("Connexion impossible au serveur " + server + "\n" + home.error->message,
                                  execution::kApplicationTitle));
        return;
    }
    const std::string root = platform::sftpServerRoot(address.value);
    driveList->addServer({root, server + " (SSH)"});
    driveList->showDrive(root);
    folderList->setRoot(root);
    if (!folderList->setPath(home.value)) folderList->setPath(root);
}

// ssh may wait on a question asked in its own window, or on a slow server: meanwhile the window
// repaints, and nothing that browses or runs starts.
platform::SftpResult<std::string> MainWindow::connectAwayFromWindow(const platform::SftpAddress& server)
{
    BusyScope busy(*this, busy_);
    browsingFrame->setEnabled(false);
    std::thread::id worker;
    auto home = awayFromWindow(worker, [&] { return folderList->browsedFolders().connectAsked(server); });
    browsingFrame->setEnabled(true);
    return home;
}

}  // namespace velmorane::ui
