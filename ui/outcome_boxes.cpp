#include "ui/outcome_boxes.h"

namespace velmorane::ui {
namespace {

using execution::RefusalKind;

platform::Icon refusalIcon(RefusalKind kind)
{
    switch (kind) {
    case RefusalKind::VolumeChanged:
    case RefusalKind::VolumeRoot: return platform::Icon::Warning;
    case RefusalKind::SourceMissing:
    case RefusalKind::SourceWithoutFiles: return platform::Icon::None;
    default: return platform::Icon::Critical;
    }
}

platform::Message box(execution::OutcomeText text, platform::Icon icon)
{
    return platform::Message{std::move(text.text), std::move(text.title), icon};
}

platform::Message questionNoByDefault(execution::OutcomeText text)
{
    platform::Message question = platform::question(std::move(text.text), std::move(text.title), platform::Icon::Warning);
    question.defaultButton = platform::Answer::No;
    return question;
}

}  // namespace

platform::Message settingsFaultBox(engine::SettingsFault fault)
{
    execution::Refusal refusal(RefusalKind::Settings);
    refusal.settingsFault = fault;
    return refusalBox(refusal);
}

platform::Message refusalBox(const execution::Refusal& refusal)
{
    return box(execution::refusalText(refusal), refusalIcon(refusal.kind));
}

platform::Message goOnAnywayQuestion(const execution::Refusal& refusal)
{
    return questionNoByDefault(execution::goOnAnywayText(refusal));
}

platform::Message volumeRootQuestion(const execution::Refusal& refusal)
{
    return questionNoByDefault(execution::volumeRootQuestionText(refusal));
}

platform::Message failureQuestion(const execution::EntryFailure& failure)
{
    const execution::OutcomeText text = execution::failureQuestionText(failure);
    return platform::question(text.text, text.title, platform::Icon::Critical);
}

std::optional<platform::Message> executionReportBox(const execution::ExecutionReport& report,
                                                    const engine::RunFlags& flags)
{
    auto text = execution::executionReportText(report, flags);
    if (!text) return std::nullopt;
    const bool clean = !report.interrupted && report.failures == 0;
    return box(std::move(*text), clean ? platform::Icon::Information : platform::Icon::Warning);
}

}  // namespace velmorane::ui
