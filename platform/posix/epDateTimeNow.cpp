#include "platform/epDateTime.h"

#include <ctime>

namespace velk {

TLocalTime Now() {
    struct timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    struct tm local = {};
    ::localtime_r(&now.tv_sec, &local);
    return TLocalTime{
        local.tm_year + 1900, local.tm_mon + 1,          local.tm_mday, local.tm_hour, local.tm_min,
        local.tm_sec,         int(now.tv_nsec / 1000000)};
}

} // namespace velk
