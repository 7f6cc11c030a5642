#include "quillard/local_time.h"

#include <cstdio>

namespace {

// The seconds are taken by truncation (to_time_t may round), like the milliseconds.
std::string Formatted(std::chrono::system_clock::time_point at, const char* format)
{
    at = std::chrono::floor<std::chrono::seconds>(at);
    const std::tm tm = LocalCalendarTime(std::chrono::system_clock::to_time_t(at));
    char text[64];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

}  // namespace

std::string MillisecondSuffix(std::chrono::system_clock::time_point at)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        at - std::chrono::floor<std::chrono::seconds>(at))
                        .count();
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(ms));
    return millis;
}

std::string LocalTimeText(std::chrono::system_clock::time_point at)
{
    return LocalTimeTextSeconds(at) + MillisecondSuffix(at);
}

std::string LocalTimeTextSeconds(std::chrono::system_clock::time_point at)
{
    return Formatted(at, "%Y-%m-%d %H:%M:%S");
}

std::string LocalTimeFileText(std::chrono::system_clock::time_point at)
{
    return Formatted(at, "%Y%m%d_%H%M%S");
}
