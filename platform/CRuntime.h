#pragma once

#include <cstdarg>
#include <cstddef>

namespace velk {

// The C runtime's formatting and number parsing. On Windows they are bound to the system's own
// C library, so setup.exe does not carry a second printf and strtod (about 38 KB). Only the
// conversions both libraries share may be used: no %lld, %zu or %a.

// Length of the formatted text, without the terminating NUL; negative on a format error.
int FormattedLength(const char* format, va_list args);
// Formats into buffer, which holds at least FormattedLength + 1 bytes.
void FormatInto(char* buffer, size_t size, const char* format, va_list args);
// strtod in the "C" locale.
double ParseDouble(const char* text, char** end);

} // namespace velk
