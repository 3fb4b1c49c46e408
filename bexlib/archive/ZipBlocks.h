// The command blocks of the two outside archive libraries: DZIP32.dll with its entry point
// "dzip" and DUNZIP32.dll with "dunzip". The wrappers fill them and our own builds of the
// libraries read them, so both sides compile against this one header.
//
// Each entry point takes one block, is called with the standard convention and returns 0 for
// success. The field offsets in the comments are those of the 32-bit libraries. On 64-bit
// Windows the pointer fields widen to 8 bytes and every field after them moves along; cbSize
// holds sizeof the block, so a library refuses a block laid out for the other width.
#pragma once

#include <windows.h>
#include <stddef.h>

// Commands.
#define DZIP_CMD_ZIP        4   // pack the items into the archive
#define DUNZIP_CMD_OPEN     1   // open the archive, reset the listing and count its entries
#define DUNZIP_CMD_NEXT     2   // the next entry's information into lpEntry
#define DUNZIP_CMD_EXTRACT  8   // extract the matching entries into lpszDestDir

// Results of our libraries; callers only tell 0 from the rest.
#define ZIPERR_OK           0
#define ZIPERR_BLOCK        1   // a block of another size, an unknown command, a missing pointer
#define ZIPERR_NOMATCH      2   // an item matched no file
#define ZIPERR_FILE         3   // a file or the archive could not be opened, read or written
#define ZIPERR_FORMAT       4   // the archive is truncated, damaged or beyond what is read
#define ZIPERR_NAME         5   // an entry name that would leave the destination, or repeats
#define ZIPERR_DATA         6   // compressed data or CRC-32 do not match the directory
#define ZIPERR_END          7   // no listing open, or no entry left in it
#define ZIPERR_MEMORY       8

#pragma pack(push, 2)

// "dzip": pack an item list into a new archive.
struct DZIPCMD {
    DWORD  cbSize;              // 0    sizeof(DZIPCMD): 188 on 32-bit
    DWORD  dwCommand;           // 4    DZIP_CMD_ZIP
    LPCSTR lpszZipFile;         // 8    the archive to write, not quoted
    LPCSTR lpszItems;           // 12   paths, wildcard patterns or directories; quoted where they hold spaces
    DWORD  dwReserved16[5];     // 16
    BOOL   bRecurse;            // 36   wildcard patterns match in the subdirectories too
    DWORD  dwLevel;             // 40   deflate level, 0 (store) to 9
    BOOL   bQuiet;              // 44   no message box from the library
    DWORD  dwReserved48[7];     // 48
    BOOL   bJunkPaths;          // 76   entry names without their directories
    DWORD  dwReserved80[27];    // 80
};

// One entry's information, filled by DUNZIP_CMD_NEXT. No pointers: the same on both widths.
#define DUNZIP_NAME_MAX 271
struct DUNZIPENTRY {
    DWORD  dwCompressedSize;    // 0
    DWORD  dwSize;              // 4
    DWORD  dwCrc32;             // 8
    WORD   wMethod;             // 12   0 stored, 8 deflated
    WORD   wFlags;              // 14   the entry's general-purpose flags
    WORD   wDosTime;            // 16
    WORD   wDosDate;            // 18
    DWORD  dwAttributes;        // 20   external attributes; DOS attribute bits in the low byte
    DWORD  dwIndex;             // 24   position in the archive's central directory
    DWORD  dwReserved28[2];     // 28
    WORD   wReserved36;         // 36
    char   szName[DUNZIP_NAME_MAX + 1];  // 38  '/'-separated, cut at 271 characters, always ended
};

// "dunzip": extract, or list one entry at a time.
struct DUNZIPCMD {
    DWORD  cbSize;              // 0    sizeof(DUNZIPCMD): 142 on 32-bit
    DWORD  dwCommand;           // 4    DUNZIP_CMD_*
    LPCSTR lpszZipFile;         // 8    the archive, quotes allowed
    DUNZIPENTRY* lpEntry;       // 12   DUNZIP_CMD_NEXT: receives the entry
    LPCSTR lpszFileSpec;        // 16   the entries to take: "*.*" for all
    LPVOID lpReserved20;        // 20
    LPCSTR lpszDestDir;         // 24   DUNZIP_CMD_EXTRACT: the destination, quotes allowed
    LPVOID lpReserved28;        // 28
    DWORD  dwReserved32;        // 32
    BOOL   bOverwrite;          // 36   replace existing files (else they are kept)
    BOOL   bQuiet;              // 40   no message box from the library
    DWORD  dwReserved44[2];     // 44
    BOOL   bUsePaths;           // 52   recreate the entries' directories (else all land in the destination)
    DWORD  dwReserved56[5];     // 56
    DWORD  dwEntries;           // 76   out, DUNZIP_CMD_OPEN: the number of matching entries
    DWORD  dwReserved80[15];    // 80
    WORD   wReserved140;        // 140
};

#pragma pack(pop)

typedef int (WINAPI* DZIPPROC)(DZIPCMD* pCmd);
typedef int (WINAPI* DUNZIPPROC)(DUNZIPCMD* pCmd);

// Pinned for both widths: the outside libraries are 32-bit and read the 32-bit layout; our own
// builds of them read these blocks on either width.
#define ZIPBLOCK_AT(n32, n64) (sizeof(void*) == 4 ? (n32) : (n64))
static_assert(sizeof(DUNZIPENTRY) == 310 && offsetof(DUNZIPENTRY, dwIndex) == 24 && offsetof(DUNZIPENTRY, szName) == 38,
              "entry record");
static_assert(sizeof(DZIPCMD) == ZIPBLOCK_AT(188, 196), "pack block");
static_assert(offsetof(DZIPCMD, lpszZipFile) == 8 && offsetof(DZIPCMD, lpszItems) == ZIPBLOCK_AT(12, 16) &&
              offsetof(DZIPCMD, bRecurse) == ZIPBLOCK_AT(36, 44) && offsetof(DZIPCMD, dwLevel) == ZIPBLOCK_AT(40, 48) &&
              offsetof(DZIPCMD, bQuiet) == ZIPBLOCK_AT(44, 52) && offsetof(DZIPCMD, bJunkPaths) == ZIPBLOCK_AT(76, 84),
              "pack block");
static_assert(sizeof(DUNZIPCMD) == ZIPBLOCK_AT(142, 166), "unpack block");
static_assert(offsetof(DUNZIPCMD, lpszZipFile) == 8 && offsetof(DUNZIPCMD, lpEntry) == ZIPBLOCK_AT(12, 16) &&
              offsetof(DUNZIPCMD, lpszFileSpec) == ZIPBLOCK_AT(16, 24) && offsetof(DUNZIPCMD, lpszDestDir) == ZIPBLOCK_AT(24, 40) &&
              offsetof(DUNZIPCMD, bOverwrite) == ZIPBLOCK_AT(36, 60) && offsetof(DUNZIPCMD, bQuiet) == ZIPBLOCK_AT(40, 64) &&
              offsetof(DUNZIPCMD, bUsePaths) == ZIPBLOCK_AT(52, 76) && offsetof(DUNZIPCMD, dwEntries) == ZIPBLOCK_AT(76, 100) &&
              offsetof(DUNZIPCMD, wReserved140) == ZIPBLOCK_AT(140, 164), "unpack block");
#undef ZIPBLOCK_AT
