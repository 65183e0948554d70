#include "wizard/Host.h"

#include <stdlib.h>
#include <string.h>

static TVkStartupInfo Host;

void HostStart(const TVkStartupInfo* startup) {
    memcpy(&Host, startup, sizeof Host);
}

int32_t HostCommand(int32_t message, const void* data, const void* out) {
    if (!Host.SendCommand)
        return 0;
    return Host.SendCommand(Host.PluginId, message, (void*)data, (void*)out, 0);
}

/* Asks for the size first, then for the data into a zeroed block of that size; NULL when the
   size is below least or the second call fails. */
static void* Fetch(int32_t message, const void* data, int32_t least) {
    int32_t size = HostCommand(message, data, NULL);
    void* block = size >= least ? calloc(1, (size_t)size) : NULL;
    if (block && HostCommand(message, data, block) != 0) {
        free(block);
        return NULL;
    }
    return block;
}

/* An empty text (size 1, its NUL) counts as none. */
char* HostText(int32_t message, const void* data) {
    return Fetch(message, data, 2);
}

void* HostBlock(int32_t message, const char* id) {
    return Fetch(message, id, 1);
}

char* GetVariable(const char* name) {
    return HostText(CM_GETVARIABLE, name);
}

void SetVariable(const char* name, const char* value) {
    HostCommand(CM_SETVARIABLE, name, value);
}

char* ParseText(const char* text) {
    return text && *text ? HostText(CM_PARSETEXT, text) : NULL;
}

char* ConfigValue(const char* section, const char* key) {
    const char* query[3] = {section, key, ""};
    return HostText(CM_GETCONFIGVALUE, query);
}

int32_t BlockNumber(const void* block, int index) {
    int32_t value;
    memcpy(&value, (const char*)block + index * 4, 4);
    return value;
}

const char* BlockText(const void* block, int index) {
    return (const char*)(intptr_t)BlockNumber(block, index);
}
