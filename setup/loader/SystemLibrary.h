#pragma once

#include <windows.h>

/* A function of a library in the system folder, loaded by its full path; NULL when the library
   or the function is missing. The program imports kernel32 alone: every other library it uses is
   bound this way, after the search for libraries is restricted, so that none can be taken from
   the folder the program was downloaded to. */
FARPROC SystemFunction(const char* library, const char* name);

/* Appends the decimal digits of a number. */
void AppendNumber(char* text, DWORD number);
