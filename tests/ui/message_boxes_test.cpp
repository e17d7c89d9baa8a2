#include "tests/ui/main_window_fixture.h"
#include "ui/progress_window.h"
#include "ui/pictures.h"
#include "ui/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace velmorane::testing {
namespace {

class MessageBoxes : public MainWindowTest {
protected:
    // Shows each message in a real box, one right after the other, and notes for each the window it
    // was given and how far its centre lies from that window's centre.
    void showInTurn(const std::vector<ui::Message>& messages)
    {
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            const QWidget* owner = box->parentWidget();
            const QPoint offset = owner ? box->geometry().center() - owner->geometry().center() : QPoint();
            seen.push_back({owner ? owner->objectName().toStdString() : "none", offset.manhattanLength() <= 2});
            box->done(QMessageBox::Ok);
        });
        closer.start(0);
        for (const ui::Message& message : messages) boxes.show(message);
    }

    ui::QtDialogs boxes;
    // For each box: its window's name, and whether it is centred on it.
    std::vector<std::pair<std::string, bool>> seen;
};

TEST_F(MessageBoxes, EachBoxIsCentredOnItsWindowAlsoRightAfterAnother)
{
    writeProfiles({profile("Maison", "/w", "/a")});
    ui::MainWindow& w = start("Maison");
    w.move(40, 30);
    showInTurn({ui::question("Faut-il continuer ?", "Erreur grave", ui::Icon::Critical),
                {"Exécution terminée avec 1 erreur(s).", "Rapport d'activité", ui::Icon::Warning}});
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor&) {
        showInTurn({ui::stopMessage("Il faut un Nom de Profil", "Ecriture Impossible"),
                    {"Redéfinir Maison", "Attention", ui::Icon::Question}});
    });
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{{"Main", true}, {"Main", true}, {"Profil", true},
                                                               {"Profil", true}}));
}

TEST_F(MessageBoxes, AShortBoxLeavesItsTitleRoom)
{
    const auto box = ui::makeMessageBox(ui::stopMessage("Il faut un Nom de Profil", "Ecriture Impossible"), nullptr);
    box->show();
    QCoreApplication::processEvents();
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    // Room for the title as a window manager writes it, with its icon and three buttons beside it.
    EXPECT_GE(box->width(), QFontMetrics(titleFont).horizontalAdvance(QStringLiteral("Ecriture Impossible")) + 120);
}

// The icon a window shows in its title bar and task bar entry, as the program draws it.
QImage shownIcon(const QWidget& window)
{
    return window.windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(MessageBoxes, EveryWindowAndBoxBearsTheProgramsIcon)
{
    const QImage programs = ui::windowIconPixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
    makeMirrorTree(tree);
    writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive"))});
    std::vector<std::string> checked, without;
    const auto check = [&](const QWidget& window) {
        checked.push_back(window.objectName().toStdString());
        if (window.windowIcon().isNull() || shownIcon(window) != programs) without.push_back(checked.back());
    };

    ASSERT_TRUE(startFromCommandLine("Maison X"));
    check(*progressWindow);

    state = {};  // as in a new process
    ui::MainWindow& w = start("Maison");
    check(w);
    whileEditorOpen([&] { w.askProfileToAdd(); }, [&](ui::ProfileEditor& editor) { check(editor); });
    const auto box = ui::makeMessageBox(ui::stopMessage("Il faut un Nom de Profil", "Ecriture Impossible"), nullptr);
    box->setObjectName(QStringLiteral("box"));
    check(*box);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!input) return;
        input->setObjectName(QStringLiteral("input"));
        check(*input);
        input->reject();
    });
    answer.start(0);
    boxes.inputBox("Nouveau nom du fichier", "Renommer", "a.txt");
    EXPECT_EQ(checked, (std::vector<std::string>{"Auto", "Main", "Profil", "box", "input"}));
    EXPECT_EQ(without, std::vector<std::string>{});
}

}  // namespace
}  // namespace velmorane::testing
