#include "platform/date_text.h"

#include <cstdio>
#include <ctime>

namespace velmorane::platform {
namespace {

std::tm localTime(std::int64_t seconds)
{
    const auto t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

}  // namespace

std::string dateText(std::int64_t secondsSinceEpoch)
{
    return shortDateText(secondsSinceEpoch) + ' ' + longTimeText(secondsSinceEpoch);
}

std::string shortDateText(std::int64_t secondsSinceEpoch)
{
    const std::tm parts = localTime(secondsSinceEpoch);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", parts.tm_mday, parts.tm_mon + 1,
                  parts.tm_year + 1900);
    return text;
}

std::string longTimeText(std::int64_t secondsSinceEpoch)
{
    const std::tm parts = localTime(secondsSinceEpoch);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::string isoDateText(std::int64_t secondsSinceEpoch)
{
    const std::tm parts = localTime(secondsSinceEpoch);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::int64_t currentTime()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace velmorane::platform
