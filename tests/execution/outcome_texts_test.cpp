#include "execution/outcome_texts.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace velmorane::execution {
namespace {

std::string told(const OutcomeText& text)
{
    return text.title + "|" + text.text;
}

Refusal refusal(RefusalKind kind, const std::string& folder, const std::string& detail = {})
{
    return Refusal(kind, folder, detail);
}

TEST(OutcomeTexts, EachRefusalIsToldWithItsTitleAndTheJournalKeepsItsFirstLine)
{
    Refusal settings(RefusalKind::Settings);
    Refusal unreadable(RefusalKind::FolderUnreadable, "/r/Été/");
    unreadable.error = {EACCES, "Permission non accordée"};
    Refusal massChange(RefusalKind::MassChange, "/media/ana/CLÉ/Archive");
    massChange.filesChanged = 600;
    massChange.filesInDestination = 1000;
    const std::pair<Refusal, std::string> cases[] = {
        {settings, "Profil Incorrect|Il faut définir un Fichier de Travail."},
        {refusal(RefusalKind::Filters, {}, "Le fichier est modifiable par d'autres utilisateurs"),
         "Attention|Fichier de Filtres Incorrect\nLe fichier est modifiable par d'autres utilisateurs"},
        {refusal(RefusalKind::VolumeChanged, "/media/cle/docs", "/media/cle (UUID=1111-AAAA)"),
         "Velmorane|Le dossier /media/cle/docs n'est plus sur le volume /media/cle (UUID=1111-AAAA) : le support est-il "
         "branché ?"},
        {refusal(RefusalKind::VolumeRoot, "/media/cle/"),
         "Velmorane|Le dossier de destination /media/cle/ est la racine du volume : tout ce que la source n'a pas y "
         "sera supprimé."},
        {refusal(RefusalKind::SourceMissing, "/w"), "Velmorane|/w est vide ou n'existe pas"},
        {refusal(RefusalKind::SourceWithoutFiles, "/disque"), "Velmorane|/disque ne contient aucun fichier"},
        {unreadable, "Velmorane|Impossible de lire le dossier /r/Été/\nPermission non accordée"},
        {refusal(RefusalKind::FolderInUse, "/a"), "Attention|Le dossier /a est utilisé par une autre exécution"},
        {massChange, "Attention|Exécution refusée : 600 fichier(s) à supprimer ou remplacer sur 1000 dans "
                     "/media/ana/CLÉ/Archive"},
    };
    for (const auto& [given, text] : cases) EXPECT_EQ(told(refusalText(given)), text);
    EXPECT_EQ(journalReason(unreadable), "Impossible de lire le dossier /r/Été/");
    EXPECT_EQ(journalReason(cases[1].first), "Fichier de Filtres Incorrect");
    EXPECT_EQ(told(goOnAnywayText(refusal(RefusalKind::SourceWithoutFiles, "/disque"))),
              "Velmorane|/disque ne contient aucun fichier\nContinuer quand même ?");
    EXPECT_EQ(told(volumeRootQuestionText(refusal(RefusalKind::VolumeRoot, "/c/"))),
              "Velmorane|Le dossier de destination /c/ est la racine du volume : tout ce que la source n'a pas y sera "
              "supprimé. Continuer ?");
}

TEST(OutcomeTexts, EverySettingsFaultHasItsSentence)
{
    const std::pair<engine::SettingsFault, std::string> cases[] = {
        {engine::SettingsFault::SameFolders, "Travail et Archive doivent être différents."},
        {engine::SettingsFault::NoAction, "Il faut définir un Type d'Action."},
        {engine::SettingsFault::NoDirection, "Il faut définir un Sens de Transfert."},
        {engine::SettingsFault::NoArchiveFolder, "Il faut définir un Fichier d'Archive."},
        {engine::SettingsFault::NoWorkFolder, "Il faut définir un Fichier de Travail."},
    };
    for (const auto& [fault, text] : cases) EXPECT_EQ(settingsFaultText(fault), text);
}

TEST(OutcomeTexts, TheFailureQuestionAndTheReportWithTheTrashNotes)
{
    const EntryFailure failure{{EAGAIN, "le fichier a changé pendant la copie"}, "/w/a.txt", "/a/a.txt"};
    EXPECT_EQ(told(failureQuestionText(failure)),
              "Erreur grave|Erreur : 11 - le fichier a changé pendant la copie\nSur le fichier : /w/a.txt ou /a/a.txt\n"
              "Faut-il continuer ?");

    ExecutionReport report;
    report.anythingDone = true;
    const engine::RunFlags flags = engine::flagsFor(engine::Action::Update);
    EXPECT_EQ(told(*executionReportText(report, flags)), "Rapport d'activité|Exécution terminée correctement !");
    report.failures = 2;
    report.volumesWithoutTrash = {"/media/cle"};
    report.trashBytesFreed = 3 << 20;
    EXPECT_EQ(told(*executionReportText(report, flags)),
              "Rapport d'activité|Exécution terminée avec 2 erreur(s).\n"
              "Pas de corbeille sur le volume /media/cle : suppressions et remplacements définitifs\n"
              "Corbeille du volume : 3 Mo libérés");
    report.interrupted = true;
    report.entriesDone = 7;
    report.volumesWithoutTrash.clear();
    report.trashBytesFreed = 0;
    EXPECT_EQ(told(*executionReportText(report, flags)),
              "Rapport d'activité|Exécution interrompue : 7 fichier(s) traité(s).");
    report.interrupted = false;
    report.stopped = true;
    EXPECT_EQ(executionReportText(report, flags), std::nullopt);
    EXPECT_EQ(executionReportText(ExecutionReport{}, flags), std::nullopt);
}

}  // namespace
}  // namespace velmorane::execution
