#include "fxhandle.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)

// Temporary wrappers forget their handle before they go: it belongs to someone else.
template <class T>
static CObject* NewTempGdi(HANDLE h)
{
    T* p = new T;
    p->m_hObject = (HGDIOBJ)h;
    return p;
}

static void ReleaseTempGdi(CObject* pObject)
{
    static_cast<CGdiObject*>(pObject)->m_hObject = NULL;
    delete pObject;
}

static CObject* NewTempDC(HANDLE h)
{
    CDC* p = new CDC;
    p->m_hDC = p->m_hAttribDC = (HDC)h;
    return p;
}

static void ReleaseTempDC(CObject* pObject)
{
    static_cast<CDC*>(pObject)->m_hDC = static_cast<CDC*>(pObject)->m_hAttribDC = NULL;
    delete pObject;
}

// --- CGdiObject

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (hObject == NULL)
        return NULL;
    return static_cast<CGdiObject*>(AfxTempFromHandle(fxTempGdi, hObject, NewTempGdi<CGdiObject>, ReleaseTempGdi));
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    FX_ASSERT(m_hObject == NULL);
    if (m_hObject != NULL || hObject == NULL)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ hObject = m_hObject;
    m_hObject = NULL;
    return hObject;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == NULL)
        return FALSE;
    return ::DeleteObject(Detach());
}

// --- CFont, CBrush

CFont* PASCAL CFont::FromHandle(HFONT hFont)
{
    if (hFont == NULL)
        return NULL;
    return static_cast<CFont*>(AfxTempFromHandle(fxTempFont, hFont, NewTempGdi<CFont>, ReleaseTempGdi));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont)
{
    FX_ASSERT(m_hObject == NULL);
    return m_hObject == NULL && Attach(::CreateFontIndirectA(lpLogFont));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    FX_ASSERT(m_hObject == NULL);
    return m_hObject == NULL && Attach(::CreateSolidBrush(crColor));
}

// --- CBitmap

CBitmap* PASCAL CBitmap::FromHandle(HBITMAP hBitmap)
{
    if (hBitmap == NULL)
        return NULL;
    return static_cast<CBitmap*>(AfxTempFromHandle(fxTempBitmap, hBitmap, NewTempGdi<CBitmap>, ReleaseTempGdi));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    FX_ASSERT(m_hObject == NULL && pDC != NULL);
    return m_hObject == NULL && pDC != NULL && Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

// --- CDC

CDC::~CDC()
{
    if (m_bOwnsDC)
        DeleteDC();
}

CDC* PASCAL CDC::FromHandle(HDC hDC)
{
    if (hDC == NULL)
        return NULL;
    return static_cast<CDC*>(AfxTempFromHandle(fxTempDC, hDC, NewTempDC, ReleaseTempDC));
}

BOOL CDC::Attach(HDC hDC)
{
    FX_ASSERT(m_hDC == NULL);
    if (m_hDC != NULL || hDC == NULL)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    m_hDC = m_hAttribDC = NULL;
    m_bOwnsDC = FALSE;
    return hDC;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    FX_ASSERT(m_hDC == NULL);
    if (m_hDC != NULL || !Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : NULL)))
        return FALSE;
    m_bOwnsDC = TRUE;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == NULL || !m_bOwnsDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

// Selects into the output handle and, when it is another DC, into the attribute handle; the
// attribute handle's previous object is the one that counts.
static HGDIOBJ SelectIntoBoth(HDC hDC, HDC hAttribDC, HGDIOBJ hObject)
{
    HGDIOBJ hOld = NULL;
    if (hDC != NULL && hDC != hAttribDC)
        hOld = ::SelectObject(hDC, hObject);
    if (hAttribDC != NULL)
        hOld = ::SelectObject(hAttribDC, hObject);
    return hOld;
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return CFont::FromHandle((HFONT)SelectIntoBoth(m_hDC, m_hAttribDC, pFont ? pFont->m_hObject : NULL));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    return CGdiObject::FromHandle(SelectIntoBoth(m_hDC, m_hAttribDC, pObject ? pObject->m_hObject : NULL));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return CBitmap::FromHandle((HBITMAP)::SelectObject(m_hDC, pBitmap ? pBitmap->m_hObject : NULL));
}

CGdiObject* CDC::SelectStockObject(int nIndex)
{
    return CGdiObject::FromHandle(SelectIntoBoth(m_hDC, m_hAttribDC, ::GetStockObject(nIndex)));
}

int CDC::SetMapMode(int nMapMode)
{
    int nOld = 0;
    if (m_hDC != NULL && m_hDC != m_hAttribDC)
        nOld = ::SetMapMode(m_hDC, nMapMode);
    if (m_hAttribDC != NULL)
        nOld = ::SetMapMode(m_hAttribDC, nMapMode);
    return nOld;
}

int CDC::SaveDC()
{
    int nSaved = 0;
    if (m_hDC != NULL && m_hDC != m_hAttribDC)
        nSaved = ::SaveDC(m_hDC);
    if (m_hAttribDC != NULL)
        nSaved = ::SaveDC(m_hAttribDC);
    return nSaved;
}

BOOL CDC::RestoreDC(int nSavedDC)
{
    BOOL bResult = TRUE;
    if (m_hDC != NULL && m_hDC != m_hAttribDC)
        bResult = ::RestoreDC(m_hDC, -1);
    if (m_hAttribDC != NULL)
        bResult = ::RestoreDC(m_hAttribDC, nSavedDC) && bResult;
    return bResult;
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle((HFONT)::GetCurrentObject(m_hDC, OBJ_FONT));
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const
{
    SIZE size = { 0, 0 };
    ::GetTextExtentPoint32A(m_hAttribDC, lpszString, nCount, &size);
    return size;
}

CSize CDC::GetTabbedTextExtent(LPCSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions) const
{
    DWORD dw = ::GetTabbedTextExtentA(m_hAttribDC, lpszString, nCount, nTabPositions, lpnTabStopPositions);
    return CSize(LOWORD(dw), HIWORD(dw));
}

CSize CDC::TabbedTextOut(int x, int y, LPCSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions, int nTabOrigin)
{
    LONG lSize = ::TabbedTextOutA(m_hDC, x, y, lpszString, nCount, nTabPositions, lpnTabStopPositions, nTabOrigin);
    return CSize(LOWORD(lSize), HIWORD(lSize));
}

// --- Window DCs

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(CWnd::GetSafeHwnd(pWnd))
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(CWnd::GetSafeHwnd(pWnd))
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(CWnd::GetSafeHwnd(pWnd))
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
