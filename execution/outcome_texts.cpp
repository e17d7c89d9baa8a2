#include "execution/outcome_texts.h"

#include "platform/sftp_address.h"

#include <algorithm>

namespace velmorane::execution {
namespace {

constexpr const char* kCautionTitle = "Attention";
constexpr const char* kReportTitle = "Rapport d'activité";

std::string refusalLines(const Refusal& refusal)
{
    switch (refusal.kind) {
    case RefusalKind::Settings: return settingsFaultText(refusal.settingsFault);
    case RefusalKind::Filters: return "Fichier de Filtres Incorrect\n" + refusal.detail;
    case RefusalKind::VolumeChanged:
        return "Le dossier " + refusal.folder + " n'est plus sur le volume " + refusal.detail +
               " : le support est-il branché ?";
    case RefusalKind::VolumeRoot:
        return "Le dossier de destination " + refusal.folder +
               " est la racine du volume : tout ce que la source n'a pas y sera supprimé.";
    case RefusalKind::SourceMissing: return refusal.folder + " est vide ou n'existe pas";
    case RefusalKind::SourceWithoutFiles: return refusal.folder + " ne contient aucun fichier";
    case RefusalKind::FolderUnreadable:
        return "Impossible de lire le dossier " + refusal.folder + "\n" + refusal.error.reason;
    case RefusalKind::FolderInUse: return "Le dossier " + refusal.folder + " est utilisé par une autre exécution";
    case RefusalKind::MassChange:
        return "Exécution refusée : " + std::to_string(refusal.filesChanged) +
               " fichier(s) à supprimer ou remplacer sur " + std::to_string(refusal.filesInDestination) + " dans " +
               refusal.folder;
    }
    return {};
}

std::string refusalTitle(RefusalKind kind)
{
    switch (kind) {
    case RefusalKind::Settings: return "Profil Incorrect";
    case RefusalKind::Filters:
    case RefusalKind::FolderInUse:
    case RefusalKind::MassChange: return kCautionTitle;
    default: return kApplicationTitle;
    }
}

}  // namespace

std::string settingsFaultText(engine::SettingsFault fault)
{
    switch (fault) {
    case engine::SettingsFault::SameFolders: return "Travail et Archive doivent être différents.";
    case engine::SettingsFault::NoAction: return "Il faut définir un Type d'Action.";
    case engine::SettingsFault::NoDirection: return "Il faut définir un Sens de Transfert.";
    case engine::SettingsFault::NoArchiveFolder: return "Il faut définir un Fichier d'Archive.";
    case engine::SettingsFault::NoWorkFolder: return "Il faut définir un Fichier de Travail.";
    }
    return {};
}

OutcomeText refusalText(const Refusal& refusal)
{
    return {refusalTitle(refusal.kind), refusalLines(refusal)};
}

std::string journalReason(const Refusal& refusal)
{
    const std::string lines = refusalLines(refusal);
    // Why a server could not be reached is ssh's to say; the journal keeps its words.
    if (refusal.kind == RefusalKind::FolderUnreadable && platform::isSftpAddress(refusal.folder)) {
        return lines.substr(0, lines.find('\n')) + " : " + refusal.error.reason;
    }
    return lines.substr(0, lines.find('\n'));
}

OutcomeText goOnAnywayText(const Refusal& refusal)
{
    return {refusalTitle(refusal.kind), refusalLines(refusal) + "\nContinuer quand même ?"};
}

OutcomeText volumeRootQuestionText(const Refusal& refusal)
{
    return {refusalTitle(refusal.kind), refusalLines(refusal) + " Continuer ?"};
}

std::string failureReasonText(const EntryFailure& failure)
{
    return "Erreur : " + std::to_string(failure.error.number) + " - " + failure.error.reason;
}

std::string failureFilesText(const EntryFailure& failure)
{
    return "Sur le fichier : " + failure.currentFile + " ou " + failure.target;
}

OutcomeText failureQuestionText(const EntryFailure& failure)
{
    return {"Erreur grave", failureReasonText(failure) + "\n" + failureFilesText(failure) + "\nFaut-il continuer ?"};
}

std::vector<std::string> executionNotes(const ExecutionReport& report)
{
    std::vector<std::string> notes;
    for (const std::string& volume : report.volumesWithoutTrash) {
        notes.push_back("Pas de corbeille sur le volume " + volume + " : suppressions et remplacements définitifs");
    }
    if (report.trashBytesFreed > 0) {
        constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;
        const std::uint64_t megabytes = std::max<std::uint64_t>((report.trashBytesFreed + kMegabyte / 2) / kMegabyte, 1);
        notes.push_back("Corbeille du volume : " + std::to_string(megabytes) + " Mo libérés");
    }
    if (report.destinationWithoutAttributes) {
        notes.push_back("Pas d'ACL ni d'attribut étendu sur " + *report.destinationWithoutAttributes +
                        " : ceux des fichiers de la source n'y sont pas copiés");
    }
    return notes;
}

std::string journalFailureText(const platform::SystemError& error)
{
    return "Journal impossible à écrire : " + error.reason;
}

std::string volumesNotRecordedText(const platform::SystemError& error)
{
    return "Volumes impossibles à mémoriser : " + error.reason;
}

std::optional<OutcomeText> executionReportText(const ExecutionReport& report, const engine::RunFlags& flags)
{
    std::string notes;
    for (const std::string& note : executionNotes(report)) notes += "\n" + note;
    if (report.interrupted) {
        return OutcomeText{kReportTitle, "Exécution interrompue : " + std::to_string(report.entriesDone) +
                                             " fichier(s) traité(s)." + notes};
    }
    if (flags.compareOnly || !report.anythingDone || report.stopped) return std::nullopt;
    if (report.failures == 0) return OutcomeText{kReportTitle, "Exécution terminée correctement !" + notes};
    return OutcomeText{kReportTitle, "Exécution terminée avec " + std::to_string(report.failures) + " erreur(s)." + notes};
}

}  // namespace velmorane::execution
