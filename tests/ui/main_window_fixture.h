#pragma once

#include "tests/support/qt_scripted_dialogs.h"
#include "profiles/command_line.h"
#include "profiles/profile_file.h"
#include "profiles/shared_state.h"
#include "tests/support/qt_application.h"
#include "tests/support/test_tree.h"
#include "tests/support/mirror_tree.h"
#include "ui/unattended_window_run.h"
#include "ui/main_window.h"
#include "ui/profile_editor.h"
#include "ui/twips.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::testing {

inline const QColor kWhite(255, 255, 255), kGrey(224, 224, 224);
inline const std::string kNothingChosen =
    "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\nSens de Transfert Inconnu\n\nType d'Action Inconnu";

// Runs `command`, which opens a modal dialog of type Dialog, and `inside` while it is open; the
// dialog is closed afterwards. Returns whether it was opened.
template <typename Dialog>
bool whileOpen(const std::function<void()>& command, const std::function<void(Dialog&)>& inside)
{
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        inside(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    timer.start(0);
    command();
    return opened;
}

// A main window started in a temporary working directory, with scripted message boxes.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : previousDirectory_(std::filesystem::current_path())
    {
        ensureQtApplication();
        std::filesystem::current_path(tree.root());
    }

    ~MainWindowTest() override { std::filesystem::current_path(previousDirectory_); }

    // Writes the profile file: each profile as its seven lines.
    void writeProfiles(const std::vector<std::vector<std::string>>& profiles)
    {
        std::vector<std::string> records;
        for (const auto& lines : profiles) {
            records.emplace_back();
            for (const std::string& line : lines) records.back() += line + "\r\n";
        }
        testing::writeProfileFile(tree.path("ArchProfils.vlr"), records);
    }

    // The seven lines of a profile from work to archive with the action's code given.
    static std::vector<std::string> profile(const std::string& name, const std::string& work,
                                            const std::string& archive, const std::string& actionCode = "1")
    {
        return {name, work, archive, "0", "&Travail => Archive", actionCode, "&Personnaliser la Mise à Jour"};
    }

    ui::MainWindow& start(const std::string& commandLine = {})
    {
        main = std::make_unique<ui::MainWindow>(state, dialogs);
        main->loadAtStart(profiles::takeWords(commandLine));
        main->show();
        return *main;
    }

    // The program started with these words and a display: an unattended run shows its progress
    // window only, and the main window is built when the run leaves it to the person. Nothing when
    // the words ask no unattended run.
    std::optional<ui::UnattendedWindowEnd> startFromCommandLine(const std::string& commandLine)
    {
        main.reset();
        progressWindow.reset();
        std::optional<ui::UnattendedWindowEnd> end;
        if (profiles::asksUnattendedRun(profiles::takeWords(commandLine))) {
            progressWindow = std::make_unique<ui::ProgressWindow>();
            end = ui::runUnderProgressWindow(*progressWindow, profiles::takeWords(commandLine), dialogs);
            if (!end->leavesMainWindow) return end;
        }
        start(commandLine);
        return end;
    }

    // A double-click on an entry of the folder list: opens that folder. As from a real mouse, the
    // double-click event follows a first press and release.
    void doubleClickFolder(const std::string& folder)
    {
        const int row = main->folderList->rowOf(folder);
        ASSERT_GE(row, 0) << folder << " is not in the folder list";
        main->folderList->scrollToItem(main->folderList->item(row));
        const QPoint at = main->folderList->visualItemRect(main->folderList->item(row)).center();
        QTest::mouseClick(main->folderList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(main->folderList->viewport(), Qt::LeftButton, {}, at);
    }

    // A single click on an entry of the folder list.
    void clickFolder(int row)
    {
        const QPoint at = main->folderList->visualItemRect(main->folderList->item(row)).center();
        QTest::mouseClick(main->folderList->viewport(), Qt::LeftButton, {}, at);
    }

    // Opens a folder by double-clicks from where the folder list is, through its parent folders.
    void openFolder(const std::string& folder)
    {
        if (main->folderList->rowOf(folder) < 0) openFolder(std::filesystem::path(folder).parent_path().string());
        doubleClickFolder(folder);
    }

    static void click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }

    // Runs `command`, which opens the modal profile editor, and `inside` while the editor is open. The
    // editor is closed afterwards if `inside` left it open; returns whether it was opened at all.
    static bool whileEditorOpen(const std::function<void()>& command, const std::function<void(ui::ProfileEditor&)>& inside)
    {
        bool opened = false;
        // Owned here, so a timer that found no editor cannot fire in a later test.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* editor = qobject_cast<ui::ProfileEditor*>(QApplication::activeModalWidget());
            if (!editor) return;
            opened = true;
            inside(*editor);
            if (editor->isVisible()) editor->cancel();
        });
        timer.start(0);
        command();
        return opened;
    }

    // A click on an entry of a review list, with Shift or Ctrl held or not.
    static void clickEntry(QListView* list, int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(index).center());
    }

    // The four detail labels of the profile editor: work and archive folders, direction and action.
    static std::vector<std::string> details(const ui::ProfileEditor& editor)
    {
        return {text(editor.workLabel), text(editor.archiveLabel), text(editor.directionLabel), text(editor.actionLabel)};
    }

    static std::vector<std::string> entries(QListView* list)
    {
        std::vector<std::string> lines;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            lines.push_back(list->model()->index(row, 0).data().toString().toStdString());
        }
        return lines;
    }

    static std::string text(const QLabel* label) { return label->text().toStdString(); }
    static std::string caption(const QWidget* window) { return window->windowTitle().toStdString(); }

    // The check marks of menu entries or check boxes, in order.
    template <typename Items>
    static std::vector<bool> checks(const Items& items)
    {
        std::vector<bool> marks;
        for (const auto* item : items) marks.push_back(item->isChecked());
        return marks;
    }

    static std::vector<bool> visible(std::initializer_list<const QWidget*> controls)
    {
        std::vector<bool> states;
        for (const QWidget* control : controls) states.push_back(control->isVisible());
        return states;
    }

    static std::vector<bool> enabled(std::initializer_list<const QAction*> items)
    {
        std::vector<bool> states;
        for (const QAction* item : items) states.push_back(item->isEnabled());
        return states;
    }

    // The three review headings, add, replace and delete.
    static std::vector<std::string> headings(const ui::MainWindow& w)
    {
        return {text(w.addsHeading), text(w.replacementsHeading), text(w.deletionsHeading)};
    }

    // The message boxes shown so far, each as "title: text".
    std::vector<std::string> shown() const
    {
        std::vector<std::string> boxes;
        for (const ui::Message& box : dialogs.shown()) boxes.push_back(box.title + ": " + box.text);
        return boxes;
    }

    static ui::Twips twips(const QWidget* control) { return ui::twipsOf(control); }

    TempFolder tree;
    ui::ScriptedDialogs dialogs;
    profiles::SharedState state;
    std::unique_ptr<ui::MainWindow> main;
    std::unique_ptr<ui::ProgressWindow> progressWindow;

private:
    std::filesystem::path previousDirectory_;
};

}  // namespace velmorane::testing

namespace velmorane::ui {
inline void PrintTo(const Twips& t, std::ostream* out)
{
    *out << "{" << t.left << ", " << t.top << ", " << t.width << ", " << t.height << "}";
}
}  // namespace velmorane::ui
