// What the bitmap tests share: a canvas whose pixels are read back exactly, byte access to files,
// and the folders of the ImageMagick fixtures and of the files left for ImageMagick to check.
#pragma once

#include "BexLib32.h"
#include "harness.h"
#include <string>

// A 32-bit top-down DIB section selected into a memory DC, filled with one colour.
class Canvas
{
public:
    Canvas(int cx, int cy, COLORREF crFill) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFOHEADER bih = { sizeof(bih), cx, -cy, 1, 32, BI_RGB };
        void* pBits = NULL;
        m_dc.CreateCompatibleDC(NULL);
        m_bitmap.Attach(CreateDIBSection(m_dc, (BITMAPINFO*)&bih, DIB_RGB_COLORS, &pBits, NULL, 0));
        m_pBits = (DWORD*)pBits;
        m_pOld = m_dc.SelectObject(&m_bitmap);
        m_dwFill = GetRValue(crFill) << 16 | GetGValue(crFill) << 8 | GetBValue(crFill);
        Clear();
    }
    ~Canvas() { m_dc.SelectObject(m_pOld); }
    CDC* DC() { return &m_dc; }
    void Clear() { GdiFlush(); std::fill(m_pBits, m_pBits + m_cx * m_cy, m_dwFill); }
    // The pixels of a cx x cy grid from (x, y), nStep apart, as R, G, B bytes row by row.
    std::string Rgb(int x, int y, int cx, int cy, int nStep = 1) const
    {
        GdiFlush();
        std::string s;
        for (int j = 0; j < cy; ++j)
            for (int i = 0; i < cx; ++i) {
                DWORD px = m_pBits[(y + j * nStep) * m_cx + x + i * nStep];
                s += { (char)(px >> 16), (char)(px >> 8), (char)px };
            }
        return s;
    }
    // Pixels outside the rectangle that are no longer the fill colour.
    int ChangedOutside(const RECT& rc) const
    {
        GdiFlush();
        int n = 0;
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x)
                n += !PtInRect(&rc, POINT{ x, y }) && (m_pBits[y * m_cx + x] & 0xFFFFFF) != m_dwFill;
        return n;
    }

private:
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_pOld;
    DWORD* m_pBits;
    int m_cx, m_cy;
    DWORD m_dwFill;
};

template <class T> T At(const std::string& bytes, size_t offset)
{
    T value = T();
    if (offset + sizeof(T) <= bytes.size())
        memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

template <class T> std::string Put(std::string bytes, size_t offset, T value)
{
    if (offset + sizeof(T) <= bytes.size())
        bytes.replace(offset, sizeof(T), (const char*)&value, sizeof(T));
    return bytes;
}

inline std::string FixtureDir() { return harness::ModuleDir() + "bitmap-fixtures\\"; }   // make-fixtures.py
inline std::string MadeDir()   // read by check-saved.sh after the test
{
    std::string dir = harness::ModuleDir() + "bitmap-made\\";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}
