#include "quillard/local_time.h"

std::tm LocalCalendarTime(std::time_t at)
{
    std::tm tm{};
    localtime_s(&tm, &at);
    return tm;
}
