#include "idtable.h"

static const IDSTRINGENTRY* FindID(const IDSTRINGENTRY* pTable, int nID)
{
    for (; pTable->lpszName != NULL; ++pTable) {
        if (pTable->nID == nID)
            return pTable;
    }
    return NULL;
}

int BEXAPI StringToID(const IDSTRINGENTRY* pTable, LPCSTR lpszName)
{
    for (; pTable->lpszName != NULL; ++pTable) {
        if (lstrcmpA(pTable->lpszName, lpszName) == 0)
            return pTable->nID;
    }
    return pTable->nID;
}

LPCSTR BEXAPI IDToString(const IDSTRINGENTRY* pTable, int nID)
{
    const IDSTRINGENTRY* pEntry = FindID(pTable, nID);
    if (pEntry == NULL)
        pEntry = FindID(pTable, DefaultID(pTable));
    return pEntry ? pEntry->lpszName : NULL;
}

int BEXAPI DefaultID(const IDSTRINGENTRY* pTable)
{
    while (pTable->lpszName != NULL)
        ++pTable;
    return pTable->nID;
}

LPCSTR BEXAPI DefaultString(const IDSTRINGENTRY* pTable)
{
    return IDToString(pTable, DefaultID(pTable));
}
