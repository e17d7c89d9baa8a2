#pragma once

#include "engine/exclusions.h"
#include "engine/settings.h"
#include "engine/task_list.h"
#include "execution/move_proof.h"
#include "platform/progress.h"
#include "platform/system_error.h"
#include "platform/volume.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmorane::execution {

using engine::ListKind;
using engine::TaskList;
using engine::TaskLists;

// How far an execution is: the entries taken and their bytes, out of those it will take.
struct ExecutionProgress {
    std::size_t entriesDone = 0;
    std::size_t entriesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

// The counters beside the lists, which show the entry being executed, and the progress bar.
class CounterSink {
public:
    virtual ~CounterSink() = default;
    virtual void setCounter(ListKind list, const std::string& text) = 0;
    virtual void setProgress(const ExecutionProgress&) {}
};

struct ExecutionSettings {
    std::string sourceFolder;
    std::string destinationFolder;
    engine::RunFlags flags;
    // What the run left out: a folder copied or deleted whole leaves it alone inside too.
    engine::Exclusions exclusions;
    // The destination folders where the walk found temporary files a killed copy left, below the
    // destination: an execution rids them of those.
    std::vector<std::string> foldersWithTemporaries;
    // Box 0 "Eléments Sélectionnés" of each pair: the selected entries are executed when it is checked,
    // the entries not selected otherwise.
    bool addsSelectedChosen = false;
    bool replacementsSelectedChosen = false;
    bool deletionsSelectedChosen = false;
    // The adds proven to be deletes of the same execution moved, carried out as renames, and what
    // the comparison took for the same time.
    const MovePlan* moves = nullptr;
    engine::ComparisonRules rules;
    bool detectMoves = true;  // off only to measure what moves save
    platform::Questions questions = platform::Questions::Refused;  // may reaching a server ask the person
};

// An entry that could not be executed: the system's reason and the two files it concerns.
struct EntryFailure {
    platform::SystemError error;
    std::string currentFile;
    std::string target;
};

// Asked on each failure; true when the execution goes on.
using FailureQuestion = std::function<bool(const EntryFailure&)>;

// What became of one entry of a list.
enum class EntryOutcome {
    NotChosen,    // its selection state left it out
    Done,         // carried out, or came or went with a folder of the same list
    Failed,       // a failure was answered Yes and the execution went on
    Stopped,      // a failure was answered No: the execution ended there
    Interrupted,  // a folder copy the user stopped part-way
    NotReached    // the execution ended before it
};

struct EntryResult {
    EntryOutcome outcome = EntryOutcome::NotReached;
    std::optional<platform::SystemError> failure;  // the first one met
    bool moved = false;    // an add carried out as the rename of what a delete took away
    bool trashed = false;  // what it deleted or replaced went to the trash of its volume
};

struct ExecutionReport {
    bool stopped = false;      // a failure was answered No
    // The user asked to stop (closing the window): the execution ended between two files.
    bool interrupted = false;
    std::size_t entriesDone = 0;
    bool anythingDone = false;  // at least one entry was taken
    int failures = 0;          // failures answered Yes
    bool activeListHadEntries = false;  // a list that takes part had entries when execution began
    std::uint64_t trashBytesFreed = 0;  // old versions removed from the trashes to make room
    // The mount points of the volumes without a usable trash where entries went for good.
    std::set<std::string> volumesWithoutTrash;
    // The destination, when it cannot keep the ACLs and extended attributes its source's files have.
    std::optional<std::string> destinationWithoutAttributes;
    // One result per entry of each list, indexed by list kind, in the order of the lists.
    std::array<std::vector<EntryResult>, 3> results;
};

// Executes the chosen entries of the add list, then of the replace list, then of the delete list,
// asking on each failure, and says what became of each entry; the lists are left as they are. Never
// writes outside the destination root.
[[nodiscard]] ExecutionReport executeTasks(const TaskLists& lists, const ExecutionSettings& settings, const FailureQuestion& ask,
                             CounterSink& counters, platform::RunControl& control);

}  // namespace velmorane::execution
