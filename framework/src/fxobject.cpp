#include "fxobject.h"
#include <stdio.h>

CRuntimeClass CObject::classCObject = { "CObject", (int)sizeof(CObject), NULL, NULL };

CRuntimeClass* CObject::GetRuntimeClass() const { return &CObject::classCObject; }

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : NULL;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p != NULL; p = p->m_pBaseClass)
        if (p == pBaseClass)
            return TRUE;
    return FALSE;
}

void AFXAPI AfxAssertFailed(LPCSTR lpszExpr, LPCSTR lpszFile, int nLine)
{
    char sz[512];
    _snprintf(sz, sizeof(sz) - 1, "framework assertion failed: %s (%s, line %d)\n", lpszExpr, lpszFile, nLine);
    sz[sizeof(sz) - 1] = '\0';
    OutputDebugStringA(sz);
}
