#pragma once

/* A cabinet inside a package file: the file may begin with a program image, so every position
   the cabinet library sees is taken from the cabinet's signature on. Reads go through the host's
   block filter. */

#include <windows.h>

#include "unpack/UnpackApi.h"

/* Tags the handles the cabinet library passes back to the callbacks. */
#define HANDLE_CABINET 1
#define HANDLE_OUTPUT 2

typedef struct {
    DWORD Start; /* offset of the block's data from the cabinet's start */
    DWORD Count;
} TDataBlock;

typedef struct {
    int Kind; /* HANDLE_CABINET */
    HANDLE File;
    DWORD Base;         /* file offset of the signature */
    DWORD Position;     /* from the signature on */
    TDataBlock* Blocks; /* sorted by Start */
    DWORD BlockCount;
    DWORD BlockCapacity;
} TCabinetFile;

void* MemAlloc(DWORD size);
void MemFree(void* block);

/* Opens the file, finds the cabinet in it and maps its data blocks; NULL when any step fails. */
TCabinetFile* CabinetOpen(const char* path);
void CabinetClose(TCabinetFile* cab);
/* Bytes read, or (UINT)-1. Every data block that lies wholly inside the bytes read is handed to
   the filter first. */
UINT CabinetRead(TCabinetFile* cab, void* buffer, UINT count, TUnpackFilter filter);
/* The new position from the signature on, or -1. */
long CabinetSeek(TCabinetFile* cab, long distance, int origin);
