#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Programs are run from download folders and temporary folders: a library planted beside one
   must never be loaded in place of a system one. Restricts the search for libraries loaded from
   now on to the system folder. Both calls it makes are missing on old systems, hence the lookup
   by name. */
void RestrictDllSearch(void);

/* A function of a library in the system folder, loaded by its full path; NULL when the library
   or the function is missing. The program imports kernel32 alone: every other library it uses is
   bound this way, after the search for libraries is restricted, so that none can be taken from
   the folder the program was downloaded to. */
FARPROC SystemFunction(const char* library, const char* name);

/* Appends the decimal digits of a number. */
void AppendNumber(char* text, DWORD number);

#ifdef __cplusplus
}
#endif
