#include "engine/run.h"

#include "engine/status_text.h"
#include "platform/file_attributes.h"
#include "platform/folder_listing.h"
#include "platform/volumes.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace velmorane::engine {
namespace {

RunResult refused(RunOutcome outcome, platform::Message message)
{
    RunResult result;
    result.outcome = outcome;
    result.refusal = std::move(message);
    return result;
}

RunResult unreadable(const ReadFailure& failure)
{
    return refused(RunOutcome::FolderUnreadable,
                   platform::stopMessage("Impossible de lire le dossier " + failure.folder + kLineBreak +
                                             failure.error.reason,
                                         platform::kApplicationTitle));
}

RunResult sourceMissing(const std::string& source)
{
    return refused(RunOutcome::SourceMissing, platform::Message{source + " est vide ou n'existe pas"});
}

RunResult sourceWithoutFiles(const std::string& source)
{
    return refused(RunOutcome::SourceWithoutFiles, platform::Message{source + " ne contient aucun fichier"});
}

DestinationChange changeOf(const FolderStructure& dest, const TaskLists& lists)
{
    DestinationChange change;
    change.filesToReplace = static_cast<std::int64_t>(lists.fichModif().count());
    std::unordered_set<std::string> deletedFolders;
    const TaskList& deleted = lists.fichSuppr();
    for (std::size_t i = 0; i < deleted.count(); ++i) {
        if (deleted.entry(i).isFolder()) {
            deletedFolders.insert(deleted.entry(i).destPath);
        } else {
            ++change.filesToDelete;
        }
    }
    // Every folder below one deleted whole is listed for deletion too.
    for (const FolderLine& line : dest.lines) {
        const auto files = static_cast<std::int64_t>(line.files.size());
        change.filesInDestination += files;
        if (deletedFolders.contains(line.path)) change.filesToDelete += files;
    }
    return change;
}

std::vector<std::string> foldersOf(const FolderStructure& structure)
{
    std::vector<std::string> folders;
    folders.reserve(structure.lines.size());
    for (const FolderLine& line : structure.lines) folders.push_back(line.relative);
    return folders;
}

bool holdsNothing(const FolderStructure& structure)
{
    return structure.lines.size() == 1 && structure.lines[0].files.empty();
}

bool holdsNoFile(const FolderStructure& structure)
{
    return std::all_of(structure.lines.begin(), structure.lines.end(),
                       [](const FolderLine& line) { return line.files.empty(); });
}

}  // namespace

RunPlan planRun(const RunSettings& settings)
{
    RunPlan plan;
    const bool toArchive = settings.direction == Direction::WorkToArchive;
    plan.dosSource = toArchive ? settings.source : settings.archive;
    plan.dosDest = toArchive ? settings.archive : settings.source;
    plan.flags = flagsFor(settings.action);
    return plan;
}

RunResult compareFolders(const RunPlan& plan, platform::ProgressSink& progress,
                         LockHolding holding)
{
    progress.setPanneau(kSourceReadingCaption);
    if (!platform::folderExists(plan.dosSource)) return sourceMissing(plan.dosSource);
    LockedFolders locks = lockRunFolders(plan.dosSource, plan.dosDest);
    if (!locks.locks) return refused(RunOutcome::FolderInUse, std::move(locks.refusal));
    const auto read = std::make_shared<const StructurePair>(
        readStartFolderTrees(plan.dosSource, plan.dosDest, plan.exclusions, progress));
    const StructurePair& trees = *read;
    for (const StructureResult* tree : {&trees.source, &trees.dest}) {
        if (tree->failure) return unreadable(*tree->failure);
    }
    // An unmounted key or share is an empty folder: mirroring it would empty the destination.
    if (holdsNothing(trees.source.structure) && !holdsNothing(trees.dest.structure)) {
        return sourceMissing(plan.dosSource);
    }
    // A freshly formatted or half-mounted disk holds folders at most: mirroring it would empty the
    // destination of every file.
    if (!plan.sourceWithoutFilesAccepted && holdsNoFile(trees.source.structure) && !holdsNoFile(trees.dest.structure)) {
        return sourceWithoutFiles(plan.dosSource);
    }
    // What both volumes keep decides what is a difference: FAT's 2-second local times, bits or none.
    const ComparisonRules rules = rulesFor(platform::volumeTraits(plan.dosSource), platform::volumeTraits(plan.dosDest),
                                           platform::CopyingUser::current().keepsOwners());
    RunResult result;
    result.rules = rules;
    result.lists =
        compareStructures(trees.source.structure, trees.dest.structure, progress, rules, plan.exclusions);
    result.fingerprints = fingerprintListedFolders(trees.source.structure, trees.dest.structure, result.lists);
    result.change = changeOf(trees.dest.structure, result.lists);
    result.destinationFolders = foldersOf(trees.dest.structure);
    result.trees = read;
    if (holding == LockHolding::KeepInResult) result.locks = std::move(locks.locks);
    return result;
}

}  // namespace velmorane::engine
