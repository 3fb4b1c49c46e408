// Name/id tables: a caller's array of names and ids, ended by an entry whose name is NULL and
// whose id is the table's default. Lookups run from the first entry; the first match wins, and
// the default answers every miss.
#pragma once

#include "../bexdefs.h"

typedef struct tagIDSTRINGENTRY {
    LPCSTR lpszName;    // NULL in the last entry
    int nID;            // in the last entry, the default id
} IDSTRINGENTRY;

// The id of the first entry named lpszName (case-sensitive); the default id when none is.
BEXFN int BEXAPI StringToID(const IDSTRINGENTRY* pTable, LPCSTR lpszName);
// The name of the first entry with nID, else of the first with the default id; NULL if neither.
BEXFN LPCSTR BEXAPI IDToString(const IDSTRINGENTRY* pTable, int nID);
// The id of the last entry.
BEXFN int BEXAPI DefaultID(const IDSTRINGENTRY* pTable);
// The name of the default id.
BEXFN LPCSTR BEXAPI DefaultString(const IDSTRINGENTRY* pTable);
