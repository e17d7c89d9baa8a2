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
    ui::Main& w = start("Maison");
    collectCut("home", &w);
    click(w.affBut);
    collectCut("archive-targeted", &w);
    w.setScreenState(3);
    w.setScreenState(0);
    collectCut("progress", &w);
    w.setScreenState(5);
    w.setScreenState(1);
    w.Lance_Click();
    collectCut("review", &w);
    w.Action_Click(0);
    w.Retour_Click();
    w.Lance_Click();
    collectCut("review-comparer", &w);
    w.Retour_Click();

    whileEditorOpen([&] { w.ProfNouv_Click(); }, [&](ui::Profil& editor) { collectCut("profile-add", &editor); });
    whileEditorOpen([&] { w.Efface_Click(); }, [&](ui::Profil& editor) {
        collectCut("profile-delete", &editor);
        editor.listProf->setCurrentRow(0);
        collectCut("profile-delete-chosen", &editor);
    });
    ui::Auto window;
    window.show();
    collectCut("auto", &window);
    window.setAffiche("Exécution\r\ndes\r\ntâches");
    collectCut("auto-execution", &window);
    EXPECT_EQ(cut, Lines{});
}

TEST_F(WholeTexts, ACutTextShowsWholeInATooltipAndAWholeOneShowsNone)
{
    const std::string deep = tree.path(std::string(120, 'x'));
    tree.makeFile(std::string(120, 'x') + "/travail/" + std::string(100, 'f') + ".txt", "f");
    tree.makeFolder(std::string(120, 'x') + "/archive");
    ui::Main& w = start();
    w.Sens[0]->trigger();
    w.Action[2]->trigger();
    openFolder(deep + "/travail");
    EXPECT_EQ(tooltipOfEntry(w.Fichier, 0), std::string(100, 'f') + ".txt");
    click(w.affBut);
    openFolder(deep + "/archive");

    EXPECT_EQ(tooltipOf(w.Source), deep + "/travail");
    EXPECT_EQ(tooltipOf(w.Comment1), text(w.Comment1));
    EXPECT_EQ(tooltipOf(w.Sens1), "");
    EXPECT_EQ(tooltipOfEntry(w.Dossier, w.Dossier->rowOf(deep)), std::string(120, 'x'));
    EXPECT_EQ(tooltipOfEntry(w.Dossier, 0), "");

    w.Lance_Click();
    ASSERT_EQ(entries(w.fichAjout).size(), 1u);
    EXPECT_EQ(tooltipOfEntry(w.fichAjout, 0), entries(w.fichAjout)[0]);
    w.Retour_Click();
    whileEditorOpen([&] { w.ProfNouv_Click(); }, [&](ui::Profil& editor) {
        EXPECT_EQ(tooltipOf(editor.infSource), deep + "/travail");
        EXPECT_EQ(tooltipOf(editor.infAct), "");
    });
}

}  // namespace
}  // namespace velmorane::testing
