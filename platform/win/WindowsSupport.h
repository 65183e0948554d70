#pragma once

// The only door to <windows.h>: every Win32 source includes this header instead, so the macros
// that trim and shape the system headers are the same everywhere.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
