#include "quillard/local_time.h"

std::tm LocalCalendarTime(std::time_t at)
{
    std::tm tm{};
    localtime_r(&at, &tm);
    return tm;
}
