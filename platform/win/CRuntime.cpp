#include "platform/CRuntime.h"

#include <cstdio>

// The system library's own entry points: the compiler's headers would route the standard names
// to the statically linked replacements.
extern "C" {
int __cdecl msvcrt_vscprintf(const char* format, va_list args) __asm__("__vscprintf");
int __cdecl msvcrt_vsnprintf(char* buffer, size_t size, const char* format,
                             va_list args) __asm__("__vsnprintf");
double __cdecl msvcrt_strtod(const char* text, char** end) __asm__("_strtod");
}

namespace velk {

int FormattedLength(const char* format, va_list args) {
    return msvcrt_vscprintf(format, args);
}

void FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    msvcrt_vsnprintf(buffer, size, format, args);
    buffer[size - 1] = '\0';
}

double ParseDouble(const char* text, char** end) {
    return msvcrt_strtod(text, end);
}

} // namespace velk
