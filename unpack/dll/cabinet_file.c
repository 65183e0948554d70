#include "unpack/dll/cabinet_file.h"

/* The cabinet is the first "MSCF" followed by four zero bytes that begins before this offset. */
#define SIGNATURE_LIMIT 262128
#define SIGNATURE_SIZE 8

#define HEADER_SIZE 36
#define FLAG_PREVIOUS 0x0001
#define FLAG_NEXT 0x0002
#define FLAG_RESERVE 0x0004
#define FOLDER_SIZE 8
#define DATA_HEADER_SIZE 8
/* Largest header a cabinet can have: reserve sizes and area, four names, 65535 folders. */
#define HEADER_LIMIT (HEADER_SIZE + 4 + 65535 + 4 * 256 + 65535 * (FOLDER_SIZE + 255))

void* MemAlloc(DWORD size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void MemFree(void* block) {
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

static WORD Get16(const BYTE* p) {
    return (WORD)(p[0] | p[1] << 8);
}

static DWORD Get32(const BYTE* p) {
    return Get16(p) | (DWORD)Get16(p + 2) << 16;
}

static BOOL SeekFile(HANDLE file, ULONGLONG position) {
    LONG high = (LONG)(position >> 32);
    SetLastError(NO_ERROR);
    return SetFilePointer(file, (LONG)(DWORD)position, &high, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER ||
           GetLastError() == NO_ERROR;
}

static BOOL ReadAt(TCabinetFile* cab, DWORD offset, void* buffer, DWORD count) {
    DWORD got;
    return SeekFile(cab->File, (ULONGLONG)cab->Base + offset) &&
           ReadFile(cab->File, buffer, count, &got, NULL) && got == count;
}

/* Spelled out rather than kept as a table: this library travels inside setup.exe, in front of
   the package's cabinet, so it must not hold the eight bytes it looks for. */
static BOOL IsSignatureAt(const BYTE* p) {
    return p[0] == 'M' && p[1] == 'S' && p[2] == 'C' && p[3] == 'F' && p[4] == 0 && p[5] == 0 &&
           p[6] == 0 && p[7] == 0;
}

static BOOL FindSignature(TCabinetFile* cab) {
    DWORD size = SIGNATURE_LIMIT + SIGNATURE_SIZE - 1, got = 0, i;
    BYTE* buffer = MemAlloc(size);
    BOOL found = FALSE;
    if (!buffer)
        return FALSE;
    if (ReadFile(cab->File, buffer, size, &got, NULL)) {
        for (i = 0; !found && i + SIGNATURE_SIZE <= got; i++) {
            if (IsSignatureAt(buffer + i)) {
                cab->Base = i;
                found = TRUE;
            }
        }
    }
    MemFree(buffer);
    return found;
}

static BOOL AddBlock(TCabinetFile* cab, DWORD start, DWORD count) {
    if (cab->BlockCount == cab->BlockCapacity) {
        DWORD capacity = cab->BlockCapacity ? cab->BlockCapacity * 2 : 256;
        DWORD bytes = capacity * sizeof(TDataBlock);
        TDataBlock* blocks =
            cab->Blocks ? HeapReAlloc(GetProcessHeap(), 0, cab->Blocks, bytes) : MemAlloc(bytes);
        if (!blocks)
            return FALSE;
        cab->Blocks = blocks;
        cab->BlockCapacity = capacity;
    }
    cab->Blocks[cab->BlockCount].Start = start;
    cab->Blocks[cab->BlockCount].Count = count;
    cab->BlockCount++;
    return TRUE;
}

/* Walks the chain of data blocks of one folder. A chain cut short by the end of the file is left
   as it is: the files before the cut can still be extracted. */
static BOOL MapFolder(TCabinetFile* cab, DWORD offset, WORD blocks, BYTE dataReserve) {
    BYTE header[DATA_HEADER_SIZE];
    while (blocks-- && ReadAt(cab, offset, header, DATA_HEADER_SIZE)) {
        DWORD start = offset + DATA_HEADER_SIZE + dataReserve, count = Get16(header + 4);
        if (start < offset || start + count < start)
            break;
        if (count && !AddBlock(cab, start, count))
            return FALSE;
        offset = start + count;
    }
    return TRUE;
}

/* Skips a NUL-terminated name of the header; FALSE when it runs past the end. */
static BOOL SkipName(const BYTE* header, DWORD size, DWORD* offset) {
    while (*offset < size && header[*offset])
        (*offset)++;
    return ++*offset <= size;
}

static BOOL MapFolders(TCabinetFile* cab, const BYTE* header, DWORD size) {
    WORD folders = Get16(header + 26), flags = Get16(header + 30), i;
    BYTE folderReserve = 0, dataReserve = 0;
    DWORD offset = HEADER_SIZE;
    if (flags & FLAG_RESERVE) {
        if (offset + 4 > size)
            return FALSE;
        folderReserve = header[offset + 2];
        dataReserve = header[offset + 3];
        offset += 4 + Get16(header + offset);
    }
    if ((flags & FLAG_PREVIOUS) &&
        !(SkipName(header, size, &offset) && SkipName(header, size, &offset)))
        return FALSE;
    if ((flags & FLAG_NEXT) &&
        !(SkipName(header, size, &offset) && SkipName(header, size, &offset)))
        return FALSE;
    for (i = 0; i < folders; i++, offset += FOLDER_SIZE + folderReserve) {
        if (offset + FOLDER_SIZE > size ||
            !MapFolder(cab, Get32(header + offset), Get16(header + offset + 4), dataReserve))
            return FALSE;
    }
    return TRUE;
}

static void SiftDown(TDataBlock* blocks, DWORD root, DWORD count) {
    for (;;) {
        DWORD child = 2 * root + 1;
        TDataBlock swap;
        if (child >= count)
            return;
        if (child + 1 < count && blocks[child + 1].Start > blocks[child].Start)
            child++;
        if (blocks[root].Start >= blocks[child].Start)
            return;
        swap = blocks[root];
        blocks[root] = blocks[child];
        blocks[child] = swap;
        root = child;
    }
}

/* Folders may store their data in any order; the lookup wants the blocks by position. */
static void SortBlocks(TDataBlock* blocks, DWORD count) {
    DWORD i;
    for (i = 1; i < count && blocks[i - 1].Start <= blocks[i].Start; i++)
        ;
    if (i >= count)
        return;
    for (i = count / 2; i-- > 0;)
        SiftDown(blocks, i, count);
    for (i = count; i-- > 1;) {
        TDataBlock swap = blocks[0];
        blocks[0] = blocks[i];
        blocks[i] = swap;
        SiftDown(blocks, 0, i);
    }
}

static BOOL MapBlocks(TCabinetFile* cab) {
    BYTE fixed[HEADER_SIZE];
    BYTE* header;
    DWORD size;
    BOOL mapped;
    if (!ReadAt(cab, 0, fixed, HEADER_SIZE))
        return FALSE;
    size = Get32(fixed + 16); /* the file entries follow the folders */
    if (size < HEADER_SIZE || size > HEADER_LIMIT || !(header = MemAlloc(size)))
        return FALSE;
    mapped = ReadAt(cab, 0, header, size) && MapFolders(cab, header, size);
    MemFree(header);
    if (mapped)
        SortBlocks(cab->Blocks, cab->BlockCount);
    return mapped;
}

TCabinetFile* CabinetOpen(const char* path) {
    TCabinetFile* cab = MemAlloc(sizeof(TCabinetFile));
    if (!cab)
        return NULL;
    cab->Kind = HANDLE_CABINET;
    cab->Base = cab->Position = 0;
    cab->Blocks = NULL;
    cab->BlockCount = cab->BlockCapacity = 0;
    cab->File = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (cab->File == INVALID_HANDLE_VALUE) {
        MemFree(cab);
        return NULL;
    }
    if (!FindSignature(cab) || !MapBlocks(cab) || !SeekFile(cab->File, cab->Base)) {
        CabinetClose(cab);
        return NULL;
    }
    return cab;
}

void CabinetClose(TCabinetFile* cab) {
    CloseHandle(cab->File);
    MemFree(cab->Blocks);
    MemFree(cab);
}

static void FilterBlocks(TCabinetFile* cab, BYTE* buffer, DWORD count, TUnpackFilter filter) {
    DWORD low = 0, high = cab->BlockCount;
    while (low < high) {
        DWORD middle = low + (high - low) / 2;
        if (cab->Blocks[middle].Start < cab->Position)
            low = middle + 1;
        else
            high = middle;
    }
    for (; low < cab->BlockCount; low++) {
        DWORD skip = cab->Blocks[low].Start - cab->Position;
        if (skip > count || cab->Blocks[low].Count > count - skip)
            break;
        filter(buffer + skip, (int32_t)cab->Blocks[low].Count);
    }
}

UINT CabinetRead(TCabinetFile* cab, void* buffer, UINT count, TUnpackFilter filter) {
    DWORD got;
    if (!ReadFile(cab->File, buffer, count, &got, NULL))
        return (UINT)-1;
    if (filter)
        FilterBlocks(cab, buffer, got, filter);
    cab->Position += got;
    return got;
}

/* The cabinet library's origins have the values of FILE_BEGIN, FILE_CURRENT and FILE_END. */
long CabinetSeek(TCabinetFile* cab, long distance, int origin) {
    LONGLONG target = distance;
    if (origin == FILE_CURRENT)
        target += cab->Position;
    else if (origin == FILE_END)
        target += (LONGLONG)GetFileSize(cab->File, NULL) - cab->Base;
    if (target < 0 || target > 0x7FFFFFFF || !SeekFile(cab->File, (ULONGLONG)cab->Base + target))
        return -1;
    cab->Position = (DWORD)target;
    return (long)target;
}
