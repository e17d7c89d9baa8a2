#include "engine/run.h"

#include "engine/status_text.h"
#include "platform/folder_listing.h"

#include <optional>

namespace velmorane::engine {
namespace {

std::optional<FolderStructure> readStructure(const std::string& folder, platform::Dialogs& dialogs,
                                             platform::ProgressSink& progress, platform::EventPump& pump)
{
    StructureResult result = lireDossiers(folder, progress, pump);
    if (!result.failure) return std::move(result.structure);
    dialogs.show(platform::stopMessage("Impossible de lire le dossier " + result.failure->folder + kLineBreak +
                                           result.failure->error.reason,
                                       platform::kApplicationTitle));
    return std::nullopt;
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
    progress.setPanneau("Lecture de la Structure du Dossier Source");
    if (!platform::folderExists(plan.dosSource)) {
        dialogs.show(platform::Message{plan.dosSource + " est vide ou n'existe pas"});
        return {RunOutcome::SourceMissing, {}};
    }
    const auto source = readStructure(plan.dosSource, dialogs, progress, pump);
    if (!source) return {RunOutcome::FolderUnreadable, {}};
    progress.setPanneau("Lecture de la Structure du Dossier Destination");
    const auto dest = readStructure(plan.dosDest, dialogs, progress, pump);
    if (!dest) return {RunOutcome::FolderUnreadable, {}};
    return {RunOutcome::Completed, compareStructures(*source, *dest, progress, pump)};
}

}  // namespace velmorane::engine
