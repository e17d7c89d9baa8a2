#pragma once

#include "execution/executed_entries.h"
#include "execution/outcome_texts.h"
#include "execution/run_driver.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {

using engine::Action;
using engine::Direction;

class RecordingCounters : public execution::CounterSink {
public:
    void setCounter(execution::ListKind list, const std::string& text) override
    {
        shown[static_cast<int>(list)].push_back(text);
        if (onShow) onShow(text);
    }
    void setProgress(const execution::ExecutionProgress& step) override { progress.push_back(step); }
    Names shown[3];
    std::vector<execution::ExecutionProgress> progress;
    // Lets a test change the trees between two entries of an execution.
    std::function<void(const std::string&)> onShow;
};

enum class Answer { Yes, No };

// The person a test's run tells its texts to, answering its questions from a queue, "Oui" when the
// queue is empty.
class ScriptedPerson {
public:
    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    void tell(const execution::OutcomeText& text) { told_.push_back(text); }
    bool ask(const execution::OutcomeText& question)
    {
        told_.push_back(question);
        if (answers_.empty()) return true;
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer == Answer::Yes;
    }
    const std::vector<execution::OutcomeText>& shown() const { return told_; }
    void clear() { told_.clear(); }

private:
    std::deque<Answer> answers_;
    std::vector<execution::OutcomeText> told_;
};

// Observes a run for the tests: the person is told its refusals and asked about its failures, the
// counters are recorded.
class ScriptedObserver : public execution::RunObserver {
public:
    ScriptedObserver(ScriptedPerson& person, RecordingCounters& counters) : person_(person), counters_(counters) {}
    execution::CounterSink& counters() override { return counters_; }
    void refused(const execution::Refusal& refusal) override { person_.tell(execution::refusalText(refusal)); }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return person_.ask(execution::failureQuestionText(failure));
    }

private:
    ScriptedPerson& person_;
    RecordingCounters& counters_;
};

// A work folder and an archive folder in a fresh temporary folder, and the run that compares and
// executes them as the window does.
struct Mirror {
    TempFolder tree;
    std::string work = tree.makeFolder("work");
    std::string archive = tree.makeFolder("archive");
    execution::MirrorRun run{{}, {}};
    execution::TaskLists& lists = run.lists();
    execution::ExecutionChoice choice;
    ScriptedPerson dialogs;
    RecordingCounters counters;
    ScriptedObserver observer{dialogs, counters};
    std::vector<std::string> filters;  // the patterns of the filter file
    std::string journal = tree.path("ArchJournal.vlr");

    void compare(Action action, Direction direction = Direction::WorkToArchive)
    {
        run = execution::MirrorRun({work, archive, direction, action, {}, {}}, {filters, std::nullopt});
        (void)execution::RunDriver(run, observer).compare();
    }

    // Runs the comparison and execution unattended, as `velmorane P X` does, journalling beside the
    // two folders.
    execution::UnattendedEnd runUnattended(Action action,
                                           execution::FailurePolicy onFailure = execution::FailurePolicy::Ask)
    {
        run = execution::MirrorRun({work, archive, Direction::WorkToArchive, action, {}, {}}, {filters, std::nullopt});
        return execution::RunDriver(run, observer).runUnattended("Profil Essai", journal, onFailure);
    }

    // The journal's second line of each entry, without the date line.
    std::string journalOutcomes() const
    {
        std::string out;
        std::istringstream lines(std::filesystem::exists(journal) ? readFileBytes(journal) : "");
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("\t")) out += line.substr(1, line.size() - 2) + "\n";
        }
        return out;
    }

    // Executes, then takes the executed entries off the lists and shows the report as the review does.
    execution::ExecutionReport execute()
    {
        if (!execution::RunDriver(run, observer).executeChosen(choice)) {
            execution::removeExecutedEntries(run.lists(), run.report());
        }
        if (const auto report = execution::executionReportText(run.report(), run.plan().flags)) dialogs.tell(*report);
        return run.report();
    }

    // The boxes shown so far, one line each: "title|text".
    std::string messages() const
    {
        std::string out;
        for (const auto& message : dialogs.shown()) out += message.title + "|" + message.text + "\n";
        return out;
    }
};

// Tells a file renamed from one kept after a copy.
inline ino_t inodeOf(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) throw std::runtime_error("no " + path);
    return info.st_ino;
}

inline constexpr const char* kReportOk = "Rapport d'activité|Exécution terminée correctement !\n";

inline std::string reportFailures(int failures)
{
    return "Rapport d'activité|Exécution terminée avec " + std::to_string(failures) + " erreur(s).\n";
}

// The "Erreur grave" question as Mirror::messages() records it.
inline std::string question(const std::string& error, const std::string& current, const std::string& target)
{
    return "Erreur grave|Erreur : " + error + "\nSur le fichier : " + current + " ou " + target +
           "\nFaut-il continuer ?\n";
}

inline Names texts(const execution::TaskList& list)
{
    Names out;
    for (std::size_t i = 0; i < list.count(); ++i) out.push_back(list.text(i));
    return out;
}

// What became of each entry of a list, a letter each: N not chosen, D done, F failed and passed,
// S stopped there, I interrupted, R not reached.
inline std::string outcomes(const std::vector<execution::EntryResult>& results)
{
    std::string letters;
    for (const execution::EntryResult& result : results) letters += "NDFSIR"[static_cast<int>(result.outcome)];
    return letters;
}

inline std::string counts(const execution::TaskLists& lists)
{
    return std::to_string(lists.addList().count()) + " " + std::to_string(lists.replaceList().count()) + " " +
           std::to_string(lists.deleteList().count());
}

}  // namespace velmorane::testing
