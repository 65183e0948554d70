#include "platform/CRuntime.h"

#include <cstdio>
#include <cstdlib>

namespace velk {

int FormattedLength(const char* format, va_list args) {
    return std::vsnprintf(nullptr, 0, format, args);
}

void FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    std::vsnprintf(buffer, size, format, args);
}

double ParseDouble(const char* text, char** end) {
    return std::strtod(text, end);
}

} // namespace velk
