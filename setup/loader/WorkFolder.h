#pragma once

/* The run's private folders below the system temporary folder. */

#include <windows.h>

/* Creates a new, uniquely named folder inside `parent` (which must end in a backslash and is
   created with its missing parents) and stores its path with a trailing backslash in `folder`
   (MAX_PATH characters). A folder that already exists is never taken. */
BOOL CreateUniqueFolder(const char* parent, char* folder);

/* The system temporary folder with a trailing backslash, as the engine computes it too. */
void GetTempFolder(char* folder);

/* Deletes a folder with everything below it, read-only and hidden files included. */
void DeleteTree(const char* folder);
