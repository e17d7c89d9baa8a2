#include "engine/run.h"

#include "engine/status_text.h"
#include "platform/folder_listing.h"

#include <optional>

namespace velmorane::engine {
namespace {

void reportUnreadable(const ReadFailure& failure, platform::Dialogs& dialogs)
{
    dialogs.show(platform::stopMessage("Impossible de lire le dossier " + failure.folder + kLineBreak +
                                           failure.error.reason,
                                       platform::kApplicationTitle));
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
                         platform::EventPump& pump)
{
    progress.setPanneau(kSourceReadingCaption);
    if (!platform::folderExists(plan.dosSource)) {
        dialogs.show(platform::Message{plan.dosSource + " est vide ou n'existe pas"});
        return {RunOutcome::SourceMissing, {}};
    }
    const StructurePair trees = lireDossiers(plan.dosSource, plan.dosDest, plan.exclusions, progress, pump);
    for (const StructureResult* tree : {&trees.source, &trees.dest}) {
        if (!tree->failure) continue;
        reportUnreadable(*tree->failure, dialogs);
        return {RunOutcome::FolderUnreadable, {}};
    }
    return {RunOutcome::Completed, compareStructures(trees.source.structure, trees.dest.structure, progress, pump)};
}

}  // namespace velmorane::engine
