#pragma once

#include "ui/dialogs.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace velmorane::ui {

// The box a message is shown in: its text, title, icon, buttons and default button.
std::unique_ptr<QMessageBox> makeMessageBox(const ui::Message& message, QWidget* parent);

// Message boxes and the input box on Qt, modal over the active window.
class QtDialogs : public ui::Dialogs {
public:
    ui::Answer show(const ui::Message& message) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposed) override;
};

}  // namespace velmorane::ui
