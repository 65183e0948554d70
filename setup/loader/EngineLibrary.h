#pragma once

/* The libraries the loader carries in its resources. */

#include <windows.h>

/* Writes the raw-data resource `name` of the program to `path`; FALSE when the program has no
   such resource or the file cannot be written whole. */
BOOL SaveResource(const char* name, const char* path);

/* Loads a library from a full path so that its own imports come from its folder and the system
   folder, never from the program's folder. */
HMODULE LoadPrivateLibrary(const char* path);

typedef enum { ENGINE_UNPACKED, ENGINE_MISSING, ENGINE_DAMAGED } TEngineUnpacking;

/* Unpacks the engine out of the "ENGINE" resource's cabinet into `folder` (with a trailing
   backslash) through the unpack library `unpack`. */
TEngineUnpacking UnpackEngine(HMODULE unpack, const char* folder);
