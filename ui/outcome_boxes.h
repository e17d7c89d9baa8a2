#pragma once

#include "execution/outcome_texts.h"
#include "ui/dialogs.h"

#include <optional>

namespace velmorane::ui {

// The boxes of a run's outcomes: the texts are the renderer's, the icon and buttons the window's.
ui::Message settingsFaultBox(engine::SettingsFault fault);
ui::Message refusalBox(const execution::Refusal& refusal);
// Questions a person answers to go on; "Non" by default, since going on may empty a destination.
ui::Message goOnAnywayQuestion(const execution::Refusal& refusal);
ui::Message volumeRootQuestion(const execution::Refusal& refusal);
ui::Message failureQuestion(const execution::EntryFailure& failure);
std::optional<ui::Message> executionReportBox(const execution::ExecutionReport& report,
                                                    const engine::RunFlags& flags);

}  // namespace velmorane::ui
