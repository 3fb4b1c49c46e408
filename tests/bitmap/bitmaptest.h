// What the bitmap tests share: a canvas whose pixels are read back exactly, and the folders of
// the ImageMagick fixtures and of the files the tests leave for ImageMagick to check.
#pragma once

#include "BexLib32.h"
#include <string>

// A 32-bit top-down DIB section selected into a memory DC, filled with one colour.
class Canvas
{
public:
    Canvas(int cx, int cy, COLORREF crFill);
    ~Canvas();
    CDC* DC() { return &m_dc; }
    // Every pixel the fill colour again.
    void Clear();
    // The pixels of a cx x cy grid from (x, y), nStep apart, as R, G, B bytes row by row.
    std::string Rgb(int x, int y, int cx, int cy, int nStep = 1) const;
    // Pixels outside the rectangle that are no longer the fill colour.
    int ChangedOutside(const RECT& rc) const;

private:
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap;
    const DWORD* m_pBits;
    int m_cx, m_cy;
    DWORD m_dwFill;
};

std::string FixtureDir();   // made by make-fixtures.py at build time
std::string MadeDir();      // read by check-saved.sh after the test
