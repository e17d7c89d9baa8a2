#pragma once

#include <QString>

#include <string>

namespace velmorane::ui {

// The layers below speak UTF-8 std::string; the controls speak QString.
inline QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace velmorane::ui
