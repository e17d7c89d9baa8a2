#include "tests/ui/main_window_fixture.h"
#include "ui/cut_text.h"

#include <QHelpEvent>
#include <QToolTip>

namespace velmorane::testing {
namespace {

using Lines = std::vector<std::string>;

class WholeTexts : public MainWindowTest {
protected:
    // The captions cut in a window, each after the name of the state it is in.
    void collectCut(const std::string& state, const QWidget* window)
    {
        QCoreApplication::processEvents();
        for (const std::string& caption : ui::cutCaptions(window)) cut.push_back(state + " " + caption);
    }

    // The tooltip shown when the pointer rests at a place of a control; empty when none is.
    static std::string tooltipAt(QWidget* control, QPoint at)
    {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        QHelpEvent rest(QEvent::ToolTip, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &rest);
        return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
    }

    static std::string tooltipOf(QWidget* control) { return tooltipAt(control, {5, 5}); }

    static std::string tooltipOfEntry(QAbstractItemView* list, int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        return tooltipAt(list->viewport(), list->visualRect(index).center());
    }

    Lines cut;
};

TEST_F(WholeTexts, NoWindowCutsACaptionInAnyState)
{
    makeMirrorTree(tree);
    writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive"))});
    ui::MainWindow& w = start("Maison");
    collectCut("home", &w);
    click(w.archiveHeading);
    collectCut("archive-targeted", &w);
    w.setScreenState(ui::ScreenState::NoChoice);
    w.setScreenState(ui::ScreenState::Progress);
    collectCut("progress", &w);
    w.setScreenState(ui::ScreenState::LeavingReview);
    w.setScreenState(ui::ScreenState::ChoosingWork);
    w.startRun();
    collectCut("review", &w);
    w.actionChosen(0);
    w.backToSettings();
    w.startRun();
    collectCut("review-comparer", &w);
    w.backToSettings();

    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) { collectCut("profile-add", &editor); });
    whileEditorOpen([&] { w.askProfileToDelete(); }, [&](ui::ProfileEditor& editor) {
        collectCut("profile-delete", &editor);
        editor.profileList->setCurrentRow(0);
        collectCut("profile-delete-chosen", &editor);
    });
    ui::ProgressWindow window;
    window.show();
    collectCut("auto", &window);
    window.setMessage("Exécution\r\ndes\r\ntâches");
    collectCut("auto-execution", &window);
    EXPECT_EQ(cut, Lines{});
}

TEST_F(WholeTexts, ACutTextShowsWholeInATooltipAndAWholeOneShowsNone)
{
    const std::string deep = tree.path(std::string(120, 'x'));
    tree.makeFile(std::string(120, 'x') + "/travail/" + std::string(100, 'f') + ".txt", "f");
    tree.makeFolder(std::string(120, 'x') + "/archive");
    ui::MainWindow& w = start();
    w.directionEntries[0]->trigger();
    w.actionEntries[2]->trigger();
    openFolder(deep + "/travail");
    EXPECT_EQ(tooltipOfEntry(w.fileList, 0), std::string(100, 'f') + ".txt");
    click(w.archiveHeading);
    openFolder(deep + "/archive");

    EXPECT_EQ(tooltipOf(w.workLabel), deep + "/travail");
    EXPECT_EQ(tooltipOf(w.statusLabel), text(w.statusLabel));
    EXPECT_EQ(tooltipOf(w.directionLabel), "");
    EXPECT_EQ(tooltipOfEntry(w.folderList, w.folderList->rowOf(deep)), std::string(120, 'x'));
    EXPECT_EQ(tooltipOfEntry(w.folderList, 0), "");

    w.startRun();
    ASSERT_EQ(entries(w.addList).size(), 1u);
    EXPECT_EQ(tooltipOfEntry(w.addList, 0), entries(w.addList)[0]);
    w.backToSettings();
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) {
        EXPECT_EQ(tooltipOf(editor.workLabel), deep + "/travail");
        EXPECT_EQ(tooltipOf(editor.actionLabel), "");
    });
}

}  // namespace
}  // namespace velmorane::testing
