// The local date and time, as the log file and the statistics show them.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

// The calendar time of `at` in the local time zone (thread-safe).
std::tm LocalCalendarTime(std::time_t at);

// "2024-05-01 13:45:06.123": to the millisecond.
std::string LocalTimeText(std::chrono::system_clock::time_point at);
// ".123": the milliseconds of `at` within its second.
std::string MillisecondSuffix(std::chrono::system_clock::time_point at);
// "2024-05-01 13:45:06": to the second.
std::string LocalTimeTextSeconds(std::chrono::system_clock::time_point at);
// "20240501_134506": for a file name.
std::string LocalTimeFileText(std::chrono::system_clock::time_point at);
