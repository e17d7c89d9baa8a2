#include "engine/run.h"

#include "engine/status_text.h"
#include "platform/file_attributes.h"
#include "platform/folder_listing.h"
#include "platform/volumes.h"

#include <optional>

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

bool holdsNothing(const FolderStructure& structure)
{
    return structure.lines.size() == 1 && structure.lines[0].files.empty();
}

}  // namespace

RunPlan planRun(const RunSettings& settings)
{
    RunPlan plan;
    plan.dosSource = settings.sensTransfert == 0 ? settings.source : settings.but;
    plan.dosDest = settings.sensTransfert == 0 ? settings.but : settings.source;
    plan.flags = flagsFor(settings.typeAction);
    return plan;
}

RunResult compareFolders(const RunPlan& plan, platform::ProgressSink& progress, platform::EventPump& pump,
                         LockHolding holding)
{
    progress.setPanneau(kSourceReadingCaption);
    if (!platform::folderExists(plan.dosSource)) return sourceMissing(plan.dosSource);
    LockedFolders locks = lockRunFolders(plan.dosSource, plan.dosDest);
    if (!locks.locks) return refused(RunOutcome::FolderInUse, std::move(locks.refusal));
    const StructurePair trees = lireDossiers(plan.dosSource, plan.dosDest, plan.exclusions, progress, pump);
    for (const StructureResult* tree : {&trees.source, &trees.dest}) {
        if (tree->failure) return unreadable(*tree->failure);
    }
    // An unmounted key or share is an empty folder: mirroring it would empty the destination.
    if (holdsNothing(trees.source.structure) && !holdsNothing(trees.dest.structure)) {
        return sourceMissing(plan.dosSource);
    }
    // What both volumes keep decides what is a difference: FAT's 2-second local times, bits or none.
    const ComparisonRules rules = rulesFor(platform::volumeTraits(plan.dosSource), platform::volumeTraits(plan.dosDest),
                                           platform::CopyingUser::current().keepsOwners());
    RunResult result;
    result.lists = compareStructures(trees.source.structure, trees.dest.structure, progress, pump, rules);
    if (holding == LockHolding::KeepInResult) result.locks = std::move(locks.locks);
    return result;
}

}  // namespace velmorane::engine
