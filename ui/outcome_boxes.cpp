#include "ui/outcome_boxes.h"

namespace velmorane::ui {
namespace {

using execution::RefusalKind;

ui::Icon refusalIcon(RefusalKind kind)
{
    switch (kind) {
    case RefusalKind::VolumeChanged:
    case RefusalKind::VolumeRoot: return ui::Icon::Warning;
    case RefusalKind::SourceMissing:
    case RefusalKind::SourceWithoutFiles: return ui::Icon::None;
    default: return ui::Icon::Critical;
    }
}

ui::Message box(execution::OutcomeText text, ui::Icon icon)
{
    return ui::Message{std::move(text.text), std::move(text.title), icon};
}

ui::Message questionNoByDefault(execution::OutcomeText text)
{
    ui::Message question = ui::question(std::move(text.text), std::move(text.title), ui::Icon::Warning);
    question.defaultButton = ui::Answer::No;
    return question;
}

}  // namespace

ui::Message settingsFaultBox(engine::SettingsFault fault)
{
    execution::Refusal refusal(RefusalKind::Settings);
    refusal.settingsFault = fault;
    return refusalBox(refusal);
}

ui::Message refusalBox(const execution::Refusal& refusal)
{
    return box(execution::refusalText(refusal), refusalIcon(refusal.kind));
}

ui::Message goOnAnywayQuestion(const execution::Refusal& refusal)
{
    return questionNoByDefault(execution::goOnAnywayText(refusal));
}

ui::Message volumeRootQuestion(const execution::Refusal& refusal)
{
    return questionNoByDefault(execution::volumeRootQuestionText(refusal));
}

ui::Message failureQuestion(const execution::EntryFailure& failure)
{
    const execution::OutcomeText text = execution::failureQuestionText(failure);
    return ui::question(text.text, text.title, ui::Icon::Critical);
}

std::optional<ui::Message> executionReportBox(const execution::ExecutionReport& report,
                                                    const engine::RunFlags& flags)
{
    auto text = execution::executionReportText(report, flags);
    if (!text) return std::nullopt;
    const bool clean = !report.interrupted && report.failures == 0;
    return box(std::move(*text), clean ? ui::Icon::Information : ui::Icon::Warning);
}

}  // namespace velmorane::ui
