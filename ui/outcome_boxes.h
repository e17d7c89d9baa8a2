#pragma once

#include "execution/outcome_texts.h"
#include "platform/dialogs.h"

#include <optional>

namespace velmorane::ui {

// The boxes of a run's outcomes: the texts are the renderer's, the icon and buttons the window's.
platform::Message settingsFaultBox(engine::SettingsFault fault);
platform::Message refusalBox(const execution::Refusal& refusal);
// Questions a person answers to go on; "Non" by default, since going on may empty a destination.
platform::Message goOnAnywayQuestion(const execution::Refusal& refusal);
platform::Message volumeRootQuestion(const execution::Refusal& refusal);
platform::Message failureQuestion(const execution::EntryFailure& failure);
std::optional<platform::Message> executionReportBox(const execution::ExecutionReport& report,
                                                    const engine::RunFlags& flags);

}  // namespace velmorane::ui
