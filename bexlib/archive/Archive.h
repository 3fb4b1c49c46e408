// ZIP archives through the two outside archive libraries, DZIP32.dll and DUNZIP32.dll. Each
// call loads its library by name and frees it before returning: nothing stays loaded, and an
// application that never archives never needs the libraries at all.
#pragma once

#include "../bexdefs.h"

// Packs lpszFiles into a new archive lpszZipFile; an old archive of that name is deleted first,
// even when packing then fails. lpszFiles is one path, wildcard pattern or directory (quoted
// here), or, when it begins with a double quote, a list of quoted ones passed as it stands.
// nArg3 and nArg4 go to the library: ours keeps the items' relative directories in the entry
// names when nArg3 is nonzero and lets wildcard patterns descend into subdirectories when nArg4
// is. Without bQuiet a missing library is reported in a message box. 1 on success, else 0.
BEXFN int BEXAPI Zip(LPCSTR lpszFiles, LPCSTR lpszZipFile, int nArg3, int nArg4, int bQuiet);

// Extracts every entry of lpszZipFile into lpszDestDir, replacing files of the same names.
BEXFN int BEXAPI Unzip(LPCSTR lpszZipFile, LPCSTR lpszDestDir, int bQuiet);

// Fills arrFiles with the entry names of lpszZipFile, in archive order, '\'-separated. When the
// library fails part-way, the names read so far stay and the rest are empty strings.
BEXFN int BEXAPI ZipGetFileList(LPCSTR lpszZipFile, CStringArray& arrFiles, int bQuiet);
