#include "engine/run.h"

#include "engine/status_text.h"
#include "platform/folder_listing.h"
#include "platform/volumes.h"

#include <optional>

namespace velmorane::engine {
namespace {

void reportUnreadable(const ReadFailure& failure, platform::Dialogs& dialogs)
{
    dialogs.show(platform::stopMessage("Impossible de lire le dossier " + failure.folder + kLineBreak +
                                           failure.error.reason,
                                       platform::kApplicationTitle));
}

void reportSourceMissing(const std::string& source, platform::Dialogs& dialogs)
{
    dialogs.show(platform::Message{source + " est vide ou n'existe pas"});
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

RunResult compareFolders(const RunPlan& plan, platform::Dialogs& dialogs, platform::ProgressSink& progress,
                         platform::EventPump& pump, LockHolding holding)
{
    progress.setPanneau(kSourceReadingCaption);
    if (!platform::folderExists(plan.dosSource)) {
        reportSourceMissing(plan.dosSource, dialogs);
        return {RunOutcome::SourceMissing, {}, std::nullopt};
    }
    auto locks = lockRunFolders(plan.dosSource, plan.dosDest, dialogs);
    if (!locks) return {RunOutcome::FolderInUse, {}, std::nullopt};
    const StructurePair trees = lireDossiers(plan.dosSource, plan.dosDest, plan.exclusions, progress, pump);
    for (const StructureResult* tree : {&trees.source, &trees.dest}) {
        if (!tree->failure) continue;
        reportUnreadable(*tree->failure, dialogs);
        return {RunOutcome::FolderUnreadable, {}, std::nullopt};
    }
    // An unmounted key or share is an empty folder: mirroring it would empty the destination.
    if (holdsNothing(trees.source.structure) && !holdsNothing(trees.dest.structure)) {
        reportSourceMissing(plan.dosSource, dialogs);
        return {RunOutcome::SourceMissing, {}, std::nullopt};
    }
    // FAT keeps times to 2 seconds: on such a volume a difference of 1 second is none.
    const bool twoSecondTimes =
        platform::folderKeepsTwoSecondTimes(plan.dosSource) || platform::folderKeepsTwoSecondTimes(plan.dosDest);
    return {RunOutcome::Completed,
            compareStructures(trees.source.structure, trees.dest.structure, progress, pump, twoSecondTimes ? 1 : 0),
            holding == LockHolding::KeepInResult ? std::move(locks) : std::nullopt};
}

}  // namespace velmorane::engine
