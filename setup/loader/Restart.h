#pragma once

#include <windows.h>

/* Asks Windows for a normal (not forced) restart; on the NT family the process first enables
   its shut-down privilege. FALSE when the privilege cannot be enabled or Windows refuses. */
BOOL RestartWindows(void);
