// The longest pause of the window's event loop while a run compares and executes a mirror of
// 100 000 small files: the run works on its own thread, so the window should never stall for
// long (goal: under 50 ms).

#include "profiles/shared_state.h"
#include "tests/support/qt_scripted_dialogs.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

namespace {

using namespace velmorane;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr const char* kTreeVersion = "window-pause-bench tree 1\n";

void makeSource(const fs::path& source)
{
    std::ifstream version(source / "version");
    if (std::string((std::istreambuf_iterator<char>(version)), {}) == kTreeVersion) return;
    fs::remove_all(source);
    for (int folder = 0; folder < kFolders; ++folder) {
        const fs::path path = source / ("dossier" + std::to_string(folder));
        fs::create_directories(path);
        for (int i = 0; i < kFilesPerFolder; ++i) std::ofstream(path / (std::to_string(i) + ".txt")) << "dix octets";
    }
    std::ofstream(source / "version") << kTreeVersion;
}

// Ticks every millisecond on the window's thread; the longest gap between two ticks is the
// longest time the window could not answer.
class PauseMeter {
public:
    PauseMeter()
    {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longest_ = std::max(longest_, std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
        });
    }
    double during(const std::function<void()>& work)
    {
        longest_ = 0;
        last_ = Clock::now();
        timer_.start();
        work();
        timer_.stop();
        return longest_;
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    double longest_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/velmorane-window-pause-bench");
    std::cout << "preparing the source in " << root << "...\n" << std::flush;
    makeSource(root / "source");
    // The destination has the folders, so each file is an entry of its own: 100 000 of them.
    fs::remove_all(root / "dest");
    for (int folder = 0; folder < kFolders; ++folder) {
        fs::create_directories(root / "dest" / ("dossier" + std::to_string(folder)));
    }

    ui::ScriptedDialogs dialogs;
    profiles::SharedState state;
    state.settings = {(root / "source").string(), (root / "dest").string(), engine::Direction::WorkToArchive, engine::Action::Update, "&Travail => Archive",
                      "&Personnaliser la Mise à Jour"};
    ui::MainWindow main(state, dialogs);
    main.show();
    QCoreApplication::processEvents();

    PauseMeter meter;
    const auto start = Clock::now();
    const double comparing = meter.during([&] { main.startRun(); });
    const std::size_t entries = main.taskLists().addList().count();
    const double executing = meter.during([&] { main.executeChosenEntries(); });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t copied = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root / "dest")) copied += entry.is_regular_file() ? 1 : 0;

    std::printf("entries to add: %zu, files copied: %zu, run and execution: %.1f s\n", entries, copied, seconds);
    std::printf("longest pause of the window while comparing: %.1f ms\n", comparing);
    std::printf("longest pause of the window while executing: %.1f ms (goal: under 50 ms)\n", executing);
    return copied >= std::size_t{kFolders} * kFilesPerFolder ? 0 : 1;
}
