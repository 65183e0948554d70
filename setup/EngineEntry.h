#pragma once

/* The contract between setup.exe (the loader) and the engine library it unpacks into the work
   folder: one stdcall export taking one packed record. Plain C so that the loader can use it. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The engine's file inside the "ENGINE" resource's cabinet and in the work folder. */
#define VELK_ENGINE_FILE "engine.dll"
#define VELK_ENGINE_EXPORT "RunSetup"

#pragma pack(push, 1)

/* What the loader hands the engine. Size is the record's version: fields are only ever added at
   the end, and the engine refuses a record shorter than the one it was built for. */
typedef struct {
    uint32_t Size;
    const char* SetupPath;     /* full path of the running program */
    const char* CommandLine;   /* as the process received it, program name included */
    const char* WorkFolder;    /* created by the loader, with a trailing backslash */
    const char* ScratchFolder; /* inside the work folder, with a trailing backslash */
    void* LoaderModule;        /* setup.exe's module: "MAINICON" and other resources stay there */
} TEngineStart;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(TEngineStart) == 24 || sizeof(void*) != 4, "engine start record");
#else
_Static_assert(sizeof(TEngineStart) == 24 || sizeof(void*) != 4, "engine start record");
#endif

/* Runs the setup from its options to the clean-up of its plug-ins and databases; the work folder
   and the restart are the loader's. Returns non-zero when Windows is to be restarted. */
typedef int32_t(__stdcall* TEngineRun)(const TEngineStart* Start);

#ifdef __cplusplus
}
#endif
