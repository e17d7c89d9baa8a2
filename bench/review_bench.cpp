// Time from the end of the comparison until the review screen is shown, after a run over 100 000
// differences (a third to add, a third to replace, a third to delete, in 100 common folders):
//   review_bench [FOLDER]   (default /tmp/velmorane-review-bench; the trees are kept for next time)
// Prints the comparison's own time beside it, and the whole "Exécuter" for reference; best and
// median of 5 rounds, offscreen.
#include "execution/run_driver.h"
#include "tests/support/qt_scripted_dialogs.h"
#include "profiles/shared_state.h"
#include "ui/main_window.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <vector>

namespace {

using namespace velmorane;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kPerKind = 333;  // files of each kind per folder; one more to add in each
constexpr int kRounds = 5;
constexpr const char* kTreeVersion = "review-bench tree 1\n";

void writeFile(const fs::path& path, std::size_t size)
{
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// Source: 667 files per folder; destination: the 333 of them to replace with another size, and
// 333 files of its own.
void makeTrees(const fs::path& root)
{
    std::ifstream version(root / "version");
    if (std::string((std::istreambuf_iterator<char>(version)), {}) == kTreeVersion) return;
    fs::remove_all(root);
    for (int folder = 0; folder < kFolders; ++folder) {
        const fs::path source = root / "source" / ("dossier" + std::to_string(folder));
        const fs::path dest = root / "dest" / ("dossier" + std::to_string(folder));
        fs::create_directories(source);
        fs::create_directories(dest);
        for (int i = 0; i <= kPerKind; ++i) writeFile(source / ("ajout" + std::to_string(i) + ".txt"), 10);
        for (int i = 0; i < kPerKind; ++i) {
            writeFile(source / ("modif" + std::to_string(i) + ".txt"), 10);
            writeFile(dest / ("modif" + std::to_string(i) + ".txt"), 20);
            writeFile(dest / ("suppr" + std::to_string(i) + ".txt"), 10);
        }
    }
    std::ofstream(root / "version") << kTreeVersion;
}

struct Figures {
    double best;
    double median;
};

Figures summary(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    return {seconds.front(), seconds[seconds.size() / 2]};
}

double timed(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/velmorane-review-bench");
    std::cout << "preparing the trees in " << root << "...\n" << std::flush;
    makeTrees(root);

    ui::ScriptedDialogs dialogs;
    profiles::SharedState state;
    state.settings = {(root / "source").string(), (root / "dest").string(), engine::Direction::WorkToArchive, engine::Action::Update, "&Travail => Archive",
                      "&Personnaliser la Mise à Jour"};

    std::vector<double> compare, review, whole;
    std::size_t differences = 0;
    for (int round = 0; round < kRounds; ++round) {
        ui::MainWindow main(state, dialogs);
        main.show();
        QCoreApplication::processEvents();
        execution::MirrorRun run(state.settings, {});
        execution::RunObserver nobody;
        compare.push_back(timed([&] { (void)execution::RunDriver(run, nobody).compare(); }));
        differences = run.lists().addList().count() + run.lists().replaceList().count() + run.lists().deleteList().count();
        // The window takes the lists as the run leaves them, lays out the review and paints it.
        main.setScreenState(ui::ScreenState::NoChoice);
        main.setScreenState(ui::ScreenState::Progress);
        review.push_back(timed([&] {
            main.endRun(std::move(run));
            main.grab();
        }));
        main.backToSettings();
        whole.push_back(timed([&] {
            main.startRun();
            main.grab();
        }));
        if (main.taskLists().addList().count() + main.taskLists().replaceList().count() +
                main.taskLists().deleteList().count() != differences) {
            std::cerr << "the run did not reach the review\n";
            return 1;
        }
    }
    const Figures c = summary(compare), r = summary(review), w = summary(whole);
    std::printf("differences: %zu\n", differences);
    std::printf("comparison (execution::RunDriver::compare):       best %.3f s, median %.3f s\n", c.best, c.median);
    std::printf("end of comparison -> review shown:        best %.3f s, median %.3f s\n", r.best, r.median);
    std::printf("whole run from Exécuter to review shown:  best %.3f s, median %.3f s\n", w.best, w.median);
    return differences == 100'000 ? 0 : 1;
}
