// Points, sizes and rectangles as value types, and thin wrappers of device contexts and GDI
// objects: what message handlers receive (CPoint, CDC*) and what control code draws with.
//
// FromHandle gives a temporary wrapper of a handle the caller does not own; like CWnd's, it
// belongs to the calling thread and lives until the message handler that asked for it returns
// (see CWnd::FromHandle). A wrapper that owns its handle (a CFont that was created, a CClientDC)
// releases it in its destructor.
#pragma once

#include "fxobject.h"
#include "fxstring.h"

class CWnd;
class CDC;

class CSize : public tagSIZE
{
public:
    CSize() { cx = cy = 0; }
    CSize(int initCX, int initCY) { cx = initCX; cy = initCY; }
    CSize(SIZE initSize) { cx = initSize.cx; cy = initSize.cy; }
    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
};

class CPoint : public tagPOINT
{
public:
    CPoint() { x = y = 0; }
    CPoint(int initX, int initY) { x = initX; y = initY; }
    CPoint(POINT initPt) { x = initPt.x; y = initPt.y; }
    void Offset(int xOffset, int yOffset) { x += xOffset; y += yOffset; }
    bool operator==(POINT point) const { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const { return !(*this == point); }
    CPoint operator+(SIZE size) const { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const { return CPoint(x - size.cx, y - size.cy); }
    CSize operator-(POINT point) const { return CSize(x - point.x, y - point.y); }
};

class CRect : public tagRECT
{
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& rc) { ::CopyRect(this, &rc); }
    CRect(POINT point, SIZE size) { left = point.x; top = point.y; right = left + size.cx; bottom = top + size.cy; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }

    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
    void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
    void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
    BOOL IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) { return ::IntersectRect(this, lpRect1, lpRect2); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    bool operator==(const RECT& rc) const { return ::EqualRect(this, &rc) != FALSE; }
    bool operator!=(const RECT& rc) const { return !(*this == rc); }
};

// A GDI object: pen, brush, font, bitmap, palette or region.
class FX_API CGdiObject : public CObject
{
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() : m_hObject(NULL) {}
    ~CGdiObject() override;   // deletes the object it owns

    HGDIOBJ m_hObject;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    static CGdiObject* PASCAL FromHandle(HGDIOBJ hObject);

    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();   // DeleteObject of the owned handle
    // GetObjectA into the caller's buffer.
    int GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectA(m_hObject, nCount, lpObject); }
};

class FX_API CFont : public CGdiObject
{
    DECLARE_DYNAMIC(CFont)
public:
    operator HFONT() const { return (HFONT)m_hObject; }
    static CFont* PASCAL FromHandle(HFONT hFont);
    // CreateFontIndirectA; fails when the object already holds a font.
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    // The font's LOGFONTA (GetObjectA).
    int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }
};

class FX_API CBrush : public CGdiObject
{
    DECLARE_DYNAMIC(CBrush)
public:
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
    // CreateSolidBrush; fails when the object already holds a brush.
    BOOL CreateSolidBrush(COLORREF crColor);
};

class FX_API CBitmap : public CGdiObject
{
    DECLARE_DYNAMIC(CBitmap)
public:
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
    static CBitmap* PASCAL FromHandle(HBITMAP hBitmap);
    // CreateCompatibleBitmap for pDC's device; fails when the object already holds a bitmap.
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    // The bitmap's BITMAP (GetObjectA).
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
};

// A device context. The base class wraps a DC it may or may not own: one made by
// CreateCompatibleDC is deleted by the destructor, one attached by the caller is not.
//
// A CDC has two handles, usually the same DC: drawing goes to the output handle m_hDC, and
// measuring (text metrics and extents, device capabilities) asks the attribute handle
// m_hAttribDC. A print preview draws on the screen while it measures on the printer; a test
// records into a metafile while it measures on a memory DC. Selections and the mapping mode go
// to both, so that both measure the same text alike.
class FX_API CDC : public CObject
{
    DECLARE_DYNAMIC(CDC)
public:
    CDC() : m_hDC(NULL), m_hAttribDC(NULL), m_bOwnsDC(FALSE) {}
    ~CDC() override;

    HDC m_hDC;          // output
    HDC m_hAttribDC;    // attributes
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    static CDC* PASCAL FromHandle(HDC hDC);
    // Attach makes hDC both handles; Detach gives back the output handle and forgets both.
    BOOL Attach(HDC hDC);
    HDC Detach();
    // Set or forget one of the two handles alone; the DCs stay the caller's.
    void SetOutputDC(HDC hDC) { m_hDC = hDC; }
    void ReleaseOutputDC() { m_hDC = NULL; }
    void SetAttribDC(HDC hDC) { m_hAttribDC = hDC; }
    void ReleaseAttribDC() { m_hAttribDC = NULL; }

    // CreateCompatibleDC, to pDC's device or the screen when pDC is NULL; the DC is owned.
    BOOL CreateCompatibleDC(CDC* pDC);
    // DeleteDC of a DC made by CreateCompatibleDC.
    BOOL DeleteDC();

    // SelectObject into both handles; the attribute handle's previous font or object comes
    // back as a temporary wrapper.
    CFont* SelectObject(CFont* pFont);
    CGdiObject* SelectObject(CGdiObject* pObject);
    // SelectObject into the output handle only: a bitmap can be in one DC at a time.
    CBitmap* SelectObject(CBitmap* pBitmap);
    // SelectObject of GetStockObject(nIndex).
    CGdiObject* SelectStockObject(int nIndex);
    // The font selected now (GetCurrentObject).
    CFont* GetCurrentFont() const;

    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }   // SetTextColor
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }       // SetBkColor
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }                   // SetBkMode
    int SetStretchBltMode(int nStretchMode) { return ::SetStretchBltMode(m_hDC, nStretchMode); }   // SetStretchBltMode
    int GetStretchBltMode() const { return ::GetStretchBltMode(m_hDC); }                 // GetStretchBltMode

    // SetMapMode on both handles; the attribute handle's previous mode.
    int SetMapMode(int nMapMode);
    // GetMapMode of the attribute handle.
    int GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
    // SaveDC on both handles; the attribute handle's level.
    int SaveDC();
    // RestoreDC: the output handle to its last saved state, the attribute handle to nSavedDC.
    BOOL RestoreDC(int nSavedDC);
    // GetDeviceCaps of the attribute handle.
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hAttribDC, nIndex); }

    // Width and height of the text in the selected font (GetTextExtentPoint32A), measured on
    // the attribute handle, as are the three below.
    CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }
    // The same with tabs expanded at the given stops (GetTabbedTextExtentA).
    CSize GetTabbedTextExtent(LPCSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions) const;
    // GetTextMetricsA of the selected font.
    BOOL GetTextMetrics(LPTEXTMETRICA lpMetrics) const { return ::GetTextMetricsA(m_hAttribDC, lpMetrics); }

    // TextOutA.
    BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount) { return ::TextOutA(m_hDC, x, y, lpszString, nCount); }
    // TabbedTextOutA, tabs expanded from nTabOrigin; the size the output handle reports.
    CSize TabbedTextOut(int x, int y, LPCSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions, int nTabOrigin);
    // DrawTextA.
    int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) { return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat); }
    // FillRect with the brush.
    void FillRect(LPCRECT lpRect, CBrush* pBrush) { ::FillRect(m_hDC, lpRect, (HBRUSH)pBrush->GetSafeHandle()); }
    // DrawIcon.
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    // DrawFrameControl: size grips, scroll arrows, check marks.
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState) { return ::DrawFrameControl(m_hDC, lpRect, nType, nState); }
    // BitBlt from another DC.
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : NULL, xSrc, ySrc, dwRop);
    }

protected:
    BOOL m_bOwnsDC;   // set by CreateCompatibleDC
};

// The client area's DC of a window for the object's lifetime (GetDC/ReleaseDC).
class FX_API CClientDC : public CDC
{
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;
protected:
    HWND m_hWnd;
};

// The whole window's DC, frame included (GetWindowDC/ReleaseDC).
class FX_API CWindowDC : public CDC
{
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;
protected:
    HWND m_hWnd;
};

// The DC of a WM_PAINT handler (BeginPaint/EndPaint).
class FX_API CPaintDC : public CDC
{
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
protected:
    HWND m_hWnd;
};
