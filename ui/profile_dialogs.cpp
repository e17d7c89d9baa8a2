#include "ui/profile_dialogs.h"

#include "profiles/profile_texts.h"

namespace velmorane::ui {
namespace {

ui::Message stopBox(const execution::OutcomeText& text)
{
    return ui::stopMessage(text.text, text.title);
}

void showProblem(const std::optional<profiles::ProfileFileProblem>& problem, ui::Dialogs& dialogs)
{
    if (problem) dialogs.show(stopBox(profiles::profileFileText(*problem)));
}

// The file of a failed load is replaced only on a "Oui", never by Enter alone.
bool settleWrite(const std::string& path, profiles::ProfileTable& table,
                 std::optional<profiles::ProfileWriteProblem> problem, ui::Dialogs& dialogs)
{
    if (problem && problem->fault == profiles::WriteFault::NeedsReplaceConsent) {
        const execution::OutcomeText text = profiles::replaceQuestionText(path);
        ui::Message question = ui::question(text.text, text.title, ui::Icon::Warning);
        question.defaultButton = ui::Answer::No;
        if (dialogs.show(question) != ui::Answer::Yes) return false;
        problem = profiles::writeProfiles(path, table, profiles::IncorrectFile::Replace);
    }
    if (!problem) return true;
    dialogs.show(stopBox(profiles::writeFailureText(problem->reason)));
    return false;
}

}  // namespace

profiles::ProfileTable readProfilesShowing(const std::string& path, ui::Dialogs& dialogs)
{
    profiles::ProfilesRead read = profiles::readProfiles(path);
    showProblem(read.problem, dialogs);
    return std::move(read.table);
}

bool rereadShowing(const std::string& path, profiles::ProfileTable& table, ui::Dialogs& dialogs)
{
    const profiles::Reread reread = profiles::rereadWhenChanged(path, table);
    showProblem(reread.problem, dialogs);
    return reread.reread;
}

bool rereadProfilesShowing(profiles::SharedState& state, ui::Dialogs& dialogs)
{
    const profiles::Reread reread = profiles::rereadProfilesWhenChanged(state);
    showProblem(reread.problem, dialogs);
    return reread.reread;
}

bool writeProfilesAsking(const std::string& path, profiles::ProfileTable& table, ui::Dialogs& dialogs)
{
    return settleWrite(path, table, profiles::writeProfiles(path, table), dialogs);
}

profiles::AddResult addProfileAsking(profiles::SharedState& state, const std::string& typedName,
                                     ui::Dialogs& dialogs)
{
    profiles::AddResult result = profiles::addProfile(state, typedName);
    switch (result.outcome) {
    case profiles::AddOutcome::NameMissing: dialogs.show(stopBox(profiles::nameMissingText())); return result;
    case profiles::AddOutcome::PathNotText:
        dialogs.show(stopBox(profiles::folderNotTextText(result.folderNotText)));
        return result;
    case profiles::AddOutcome::NeedsRedefineConsent: {
        showProblem(result.file.reread, dialogs);
        const execution::OutcomeText text = profiles::redefineQuestionText(result.name);
        if (dialogs.show(ui::question(text.text, text.title, ui::Icon::Question)) != ui::Answer::Yes) {
            return result;
        }
        result = profiles::addProfile(state, typedName, profiles::Redefine::Confirmed);
        break;
    }
    case profiles::AddOutcome::Saved: break;
    }
    showProblem(result.file.reread, dialogs);
    settleWrite(state.profileFilePath, state.profileTable, result.file.write, dialogs);
    return result;
}

bool deleteProfileShowing(profiles::SharedState& state, int number, ui::Dialogs& dialogs)
{
    const profiles::DeleteResult result = profiles::deleteProfile(state, number);
    showProblem(result.file.reread, dialogs);
    if (result.planRemoval) {
        dialogs.show(stopBox(profiles::planRemovalFailureText(result.name, result.planRemoval->reason)));
    }
    settleWrite(state.profileFilePath, state.profileTable, result.file.write, dialogs);
    return result.chosen;
}

bool orderProfilesShowing(profiles::SharedState& state, ui::Dialogs& dialogs)
{
    profiles::OrderResult result = profiles::orderProfiles(state);
    showProblem(result.file.reread, dialogs);
    settleWrite(state.profileFilePath, state.profileTable, result.file.write, dialogs);
    return result.changed;
}

}  // namespace velmorane::ui
