#include "bitmaptest.h"
#include "harness.h"

Canvas::Canvas(int cx, int cy, COLORREF crFill) : m_cx(cx), m_cy(cy)
{
    BITMAPINFOHEADER bih = { sizeof(bih), cx, -cy, 1, 32, BI_RGB };
    void* pBits = NULL;
    m_dc.CreateCompatibleDC(NULL);
    m_bitmap.Attach(CreateDIBSection(m_dc, (BITMAPINFO*)&bih, DIB_RGB_COLORS, &pBits, NULL, 0));
    m_pBits = (const DWORD*)pBits;
    m_pOldBitmap = m_dc.SelectObject(&m_bitmap);
    m_dwFill = GetRValue(crFill) << 16 | GetGValue(crFill) << 8 | GetBValue(crFill);
    Clear();
}

void Canvas::Clear()
{
    GdiFlush();
    for (int i = 0; i < m_cx * m_cy; ++i)
        ((DWORD*)m_pBits)[i] = m_dwFill;
}

Canvas::~Canvas()
{
    m_dc.SelectObject(m_pOldBitmap);
}

std::string Canvas::Rgb(int x, int y, int cx, int cy, int nStep) const
{
    GdiFlush();
    std::string s;
    for (int j = 0; j < cy; ++j)
        for (int i = 0; i < cx; ++i) {
            DWORD px = m_pBits[(y + j * nStep) * m_cx + x + i * nStep];
            s += (char)(px >> 16);
            s += (char)(px >> 8);
            s += (char)px;
        }
    return s;
}

int Canvas::ChangedOutside(const RECT& rc) const
{
    GdiFlush();
    int n = 0;
    for (int y = 0; y < m_cy; ++y)
        for (int x = 0; x < m_cx; ++x) {
            POINT pt = { x, y };
            if (!PtInRect(&rc, pt) && (m_pBits[y * m_cx + x] & 0xFFFFFF) != m_dwFill)
                ++n;
        }
    return n;
}

std::string FixtureDir()
{
    return harness::ModuleDir() + "bitmap-fixtures\\";
}

std::string MadeDir()
{
    std::string dir = harness::ModuleDir() + "bitmap-made\\";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}
