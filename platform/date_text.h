#pragma once

#include <cstdint>
#include <string>

namespace velmorane::platform {

// Local time, whole seconds: "05/12/2026 21:30:07". The same time always gives the same text.
std::string dateText(std::int64_t secondsSinceEpoch);

// The journal's two forms: "05/12/2026" and "21:30:07".
std::string shortDateText(std::int64_t secondsSinceEpoch);
std::string longTimeText(std::int64_t secondsSinceEpoch);

// Local time as RFC 3339 writes it, without a zone: "2026-12-05T21:30:07".
std::string isoDateText(std::int64_t secondsSinceEpoch);

std::int64_t currentTime();

}  // namespace velmorane::platform
