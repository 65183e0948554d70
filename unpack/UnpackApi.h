#pragma once

/* The binary contract between the engine and unpack.dll: three stdcall exports, one notification
   callback with four record layouts and one block filter. Records are packed 32-bit fields; the
   header is plain C so that the library itself can use it. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Notification types. */
#define UNPACK_BEFORE_FILE 1
#define UNPACK_AFTER_FILE 2
#define UNPACK_PROGRESS 3
#define UNPACK_NEXT_CABINET 4

/* Answers. */
#define UNPACK_EXTRACT 1
#define UNPACK_SKIP 0
#define UNPACK_STOP (-1)

/* Capacity of the Destination and Folder buffers, terminator included. */
#define UNPACK_PATH_CAPACITY 260

/* DOS attributes an extracted file keeps: read-only, hidden, system, archive. */
#define UNPACK_ATTRIBUTE_MASK 0x27

#pragma pack(push, 1)

/* Types 1 and 2. */
typedef struct {
    const char* Name;    /* path inside the cabinet, backslash-separated */
    uint32_t Size;       /* unpacked size */
    uint32_t DateTime;   /* DOS date in the high word, DOS time in the low word */
    uint32_t Attributes; /* as stored in the cabinet */
    char Destination[UNPACK_PATH_CAPACITY];
} TUnpackFileRecord;

/* Type 3. */
typedef struct {
    const char* Name;
    const char* Destination;
    uint32_t Size;
    uint32_t BlockBytes;   /* about to be written in this step */
    uint32_t WrittenBytes; /* of this file so far, this step included */
    const void* Data;
} TUnpackProgressRecord;

/* Type 4. */
typedef struct {
    const char* CabinetName;
    char Folder[UNPACK_PATH_CAPACITY];
} TUnpackCabinetRecord;

#pragma pack(pop)

#ifdef __cplusplus
#define UNPACK_STATIC_ASSERT static_assert
#else
#define UNPACK_STATIC_ASSERT _Static_assert
#endif
UNPACK_STATIC_ASSERT(sizeof(void*) == 4, "the records carry 32-bit addresses");
UNPACK_STATIC_ASSERT(sizeof(TUnpackFileRecord) == 16 + UNPACK_PATH_CAPACITY, "file record");
UNPACK_STATIC_ASSERT(sizeof(TUnpackProgressRecord) == 24, "progress record");
UNPACK_STATIC_ASSERT(sizeof(TUnpackCabinetRecord) == 4 + UNPACK_PATH_CAPACITY, "cabinet record");

typedef int32_t(__stdcall* TUnpackNotify)(int32_t Type, void* Record);
typedef void(__stdcall* TUnpackFilter)(void* Buffer, int32_t Count);

/* The exports. */
typedef int32_t(__stdcall* TUnpackOpen)(const char* CabinetPath);
typedef int32_t(__stdcall* TUnpackEnumerate)(TUnpackNotify Notify, TUnpackFilter Filter);
typedef void(__stdcall* TUnpackClose)(void);

#ifdef __cplusplus
}
#endif
