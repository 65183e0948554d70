/* The engine's side of the plug-in contract as the wizard uses it: commands in the text and
   block protocols. */
#ifndef VELK_WIZARD_HOST_H
#define VELK_WIZARD_HOST_H

#include "plugins/PluginRecords.h"

/* Keeps what the engine hands over with EV_SETSTARTUPINFO. */
void HostStart(const TVkStartupInfo* startup);

int32_t HostCommand(int32_t message, const void* data, const void* out);

/* Texts and blocks are allocated with malloc; NULL stands for an empty text or nothing found. */
char* HostText(int32_t message, const void* data);
void* HostBlock(int32_t message, const char* id);

char* GetVariable(const char* name);
void SetVariable(const char* name, const char* value);
char* ParseText(const char* text);
char* ConfigValue(const char* section, const char* key);

/* A 32-bit field of a block; text fields point into the block itself. */
int32_t BlockNumber(const void* block, int index);
const char* BlockText(const void* block, int index);

#endif
