#pragma once

#include "engine/exclusions.h"
#include "engine/settings.h"
#include "execution/task_list.h"
#include "platform/dialogs.h"
#include "platform/progress.h"
#include "platform/system_error.h"

#include <string>

namespace velmorane::execution {

struct TaskLists {
    TaskList fichAjout;
    TaskList fichModif;
    TaskList fichSuppr;
};

enum class ListKind { Ajout, Modif, Suppr };

// The counters beside the lists, which show the entry being executed.
class CounterSink {
public:
    virtual ~CounterSink() = default;
    virtual void setCounter(ListKind list, const std::string& text) = 0;
};

struct ExecutionSettings {
    std::string dosSource;
    std::string dosDest;
    engine::RunFlags flags;
    // What the run left out: a folder copied or deleted whole leaves it alone inside too.
    engine::Exclusions exclusions;
    // Box 0 "Eléments Sélectionnés" of each pair: the selected entries are executed when it is checked,
    // the entries not selected otherwise.
    bool ajoutSelectedChosen = false;
    bool modifSelectedChosen = false;
    bool supprSelectedChosen = false;
};

struct ExecutionReport {
    bool stopped = false;      // a failure was answered No: the list in progress kept all its entries
    bool actionFaite = false;  // at least one entry was taken
    int failures = 0;          // failures answered Yes
    bool activeListHadEntries = false;  // a list that takes part had entries when execution began
};

// Executes the add list, then the replace list, then the delete list, asking "Erreur grave" on
// each failure, and removes the executed entries. Never writes outside the destination root.
ExecutionReport Selection_Click(TaskLists& lists, const ExecutionSettings& settings, platform::Dialogs& dialogs,
                                CounterSink& counters, platform::EventPump& pump);

// The "Erreur grave" question for a failure on the file(s) named; true when the user goes on.
bool askToContinue(const platform::SystemError& error, const std::string& currentFile, const std::string& target,
                   platform::Dialogs& dialogs);

// The report of an interactive execution: nothing for a comparison, when nothing was taken, or
// after a stop answered No.
void reportExecution(const ExecutionReport& report, const engine::RunFlags& flags, platform::Dialogs& dialogs);

}  // namespace velmorane::execution
