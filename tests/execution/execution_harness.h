#pragma once

#include "engine/run.h"
#include "execution/executor.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {

using Names = std::vector<std::string>;

class RecordingCounters : public execution::CounterSink {
public:
    void setCounter(execution::ListKind list, const std::string& text) override
    {
        shown[static_cast<int>(list)].push_back(text);
        if (onShow) onShow(text);
    }
    Names shown[3];
    // Lets a test change the trees between two entries of an execution.
    std::function<void(const std::string&)> onShow;
};

// A work folder and an archive folder in a fresh temporary folder, and what executing their task
// lists needs: lists built by the engine as a run builds them, scripted dialogs, recorded counters.
struct Mirror {
    TempFolder tree;
    std::string work = tree.makeFolder("work");
    std::string archive = tree.makeFolder("archive");
    execution::TaskLists lists;
    execution::ExecutionSettings settings;
    platform::ScriptedDialogs dialogs;
    RecordingCounters counters;
    platform::NullEventPump pump;
    engine::Exclusions exclusions;  // what the filter file would leave out

    void compare(std::int16_t typeAction, std::int16_t sensTransfert = 0)
    {
        engine::RunPlan plan = engine::planRun({work, archive, sensTransfert, typeAction, {}, {}});
        plan.exclusions = exclusions;
        platform::NullProgress progress;
        engine::RunResult result = engine::compareFolders(plan, dialogs, progress, pump);
        lists.fichAjout.assign(std::move(result.lists.fichAjout));
        lists.fichModif.assign(std::move(result.lists.fichModif));
        lists.fichSuppr.assign(std::move(result.lists.fichSuppr));
        settings.dosSource = plan.dosSource;
        settings.dosDest = plan.dosDest;
        settings.flags = plan.flags;
        settings.exclusions = plan.exclusions;
    }

    // Executes, then shows the report as an interactive run does.
    execution::ExecutionReport execute()
    {
        const auto report = execution::Selection_Click(lists, settings, dialogs, counters, pump);
        execution::reportExecution(report, settings.flags, dialogs);
        return report;
    }

    // The boxes shown so far, one line each: "title|text".
    std::string messages() const
    {
        std::string out;
        for (const auto& message : dialogs.shown()) out += message.title + "|" + message.text + "\n";
        return out;
    }
};

inline constexpr const char* kReportOk = "Rapport d'activité|Exécution terminée correctement !\n";

inline std::string reportFailures(int failures)
{
    return "Rapport d'activité|Exécution terminée avec " + std::to_string(failures) + " erreur(s).\n";
}

// The "Erreur grave" question as Mirror::messages() records it.
inline std::string question(const std::string& error, const std::string& current, const std::string& target)
{
    return "Erreur grave|Erreur : " + error + "\r\nSur le fichier : " + current + " ou " + target +
           "\r\nFaut-il continuer ?\n";
}

inline Names texts(const execution::TaskList& list)
{
    Names out;
    for (std::size_t i = 0; i < list.count(); ++i) out.push_back(list.entry(i).text);
    return out;
}

inline std::string counts(const execution::TaskLists& lists)
{
    return std::to_string(lists.fichAjout.count()) + " " + std::to_string(lists.fichModif.count()) + " " +
           std::to_string(lists.fichSuppr.count());
}

inline void setMode(const std::string& path, unsigned mode)
{
    if (::chmod(path.c_str(), mode) != 0) throw std::runtime_error("chmod " + path);
}

inline Names namesIn(const std::string& folder)
{
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs body as the ordinary user "nobody" when the tests run as root, so that permissions apply;
// the tree is handed to that user first. What body returns comes back from the child.
inline std::string asOrdinaryUser(TempFolder& tree, const std::function<std::string()>& body)
{
    if (::geteuid() != 0) return body();
    tree.chownAll(kNobody, kNobody);
    return inChild([&] { return becomeNobody() ? body() : std::string("could not become nobody"); });
}

}  // namespace velmorane::testing
