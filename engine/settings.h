#pragma once

#include <string>

namespace velmorane::engine {

// Which way a run copies: from the work folder to the archive folder, or back.
enum class Direction { Unset, WorkToArchive, ArchiveToWork };

// What a run does with the differences it finds: only show them, carry out the lists the person
// reviews, or carry out one list alone.
enum class Action { Unset, Compare, Update, AddOnly, DeleteOnly, ReplaceOnly };

// What a run needs, as the main window shows it: the two folders (empty = not chosen), the
// direction and the action, and the texts of their labels, which profiles keep verbatim.
struct RunSettings {
    std::string source;   // the work folder, label `Source`
    std::string archive;  // the archive folder, label `But`
    Direction direction = Direction::Unset;
    Action action = Action::Unset;
    std::string directionText;  // text of the label `Sens1`
    std::string actionText;     // text of the label `Action1`

    bool operator==(const RunSettings&) const = default;
};

// Which lists take part in execution, from the action type.
struct RunFlags {
    bool compareOnly = true;
    bool executeAdds = false;
    bool executeReplacements = false;
    bool executeDeletions = false;
};

RunFlags flagsFor(Action action);

}  // namespace velmorane::engine
