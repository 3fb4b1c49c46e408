// Bitmap files through CDIBitmapFile: loaded, then drawn with Draw, Stretch and StretchHalftone
// on a memory DC. The loaded block lies against a no-access page; a bitmap that loads is drawn
// twice more with different bytes behind its block, and must come out the same (GDI reads the
// bits on Wine's Unix side, where the no-access page does not fault). Rules: a refused file shows
// one box and an accepted one none; the block is freed with the object. Accepted: it loaded.
#include "fuzz.h"
#include "pageheap.h"
#include "../bitmap/bitmaptest.h"


namespace {

using fuzz::Fail;

const int cxCanvas = 64, cyCanvas = 64;
Canvas* s_pCanvas;

std::string Bytes(const void* pv, size_t cb)
{
    return std::string((const char*)pv, cb);
}

// A whole file: the file header, then the header, table and bits given.
std::string File(const std::string& dib, size_t cbHeaderAndTable)
{
    BITMAPFILEHEADER bfh = { 0x4D42, (DWORD)(sizeof(bfh) + dib.size()), 0, 0, (DWORD)(sizeof(bfh) + cbHeaderAndTable) };
    return Bytes(&bfh, sizeof(bfh)) + dib;
}

std::string Pattern(size_t cb, int nSalt)
{
    std::string s(cb, '\0');
    for (size_t i = 0; i < cb; ++i)
        s[i] = (char)(i * 37 + nSalt * 11 + i / 7);
    return s;
}

// An info-header bitmap: header of cbHeader bytes (its fields as far as they fit), the table,
// any bit-field masks, and bits.
std::string Info(DWORD cbHeader, LONG cx, LONG cy, WORD wBits, DWORD dwCompression, DWORD nClrUsed, DWORD nTable,
                 const std::string& masks, const std::string& bits)
{
    BITMAPV5HEADER v5 = {};
    v5.bV5Size = cbHeader;
    v5.bV5Width = cx;
    v5.bV5Height = cy;
    v5.bV5Planes = 1;
    v5.bV5BitCount = wBits;
    v5.bV5Compression = dwCompression;
    v5.bV5SizeImage = (DWORD)bits.size();
    v5.bV5ClrUsed = nClrUsed;
    std::string header = Bytes(&v5, sizeof(v5)).substr(0, cbHeader);
    if (cbHeader >= 52 && !masks.empty())
        header.replace(40, 12, masks);
    std::string table = Pattern(nTable * 4, cx);
    std::string tail = cbHeader < 52 ? masks : std::string();
    return File(header + tail + table + bits, header.size() + tail.size() + table.size());
}

std::vector<std::string> Seeds()
{
    std::string masks565 = Bytes("\x00\xF8\x00\x00\xE0\x07\x00\x00\x1F\x00\x00\x00", 12);
    std::string masks888 = Bytes("\x00\x00\xFF\x00\x00\xFF\x00\x00\xFF\x00\x00\x00", 12);
    BITMAPCOREHEADER bch = { sizeof(bch), 5, 3, 1, 8 };
    std::string core = Bytes(&bch, sizeof(bch)) + Pattern(256 * 3, 1);
    // Runs, a literal run, a delta, line ends and the end of the bitmap.
    std::string rle8 = Bytes("\x03\x05\x00\x03\x01\x02\x03\x00\x00\x00\x00\x02\x01\x01\x02\x07\x00\x00\x06\x09\x00\x01", 22);
    std::string rle4 = Bytes("\x04\x12\x00\x04\x34\x56\x00\x00\x08\x9A\x00\x01", 12);
    return {
        File(core + Pattern(8 * 3, 2), core.size()),
        Info(40, 9, 4, 1, BI_RGB, 2, 2, "", Pattern(4 * 4, 3)),
        Info(40, 7, 3, 4, BI_RGB, 0, 16, "", Pattern(4 * 3, 4)),
        Info(40, 6, 5, 8, BI_RGB, 20, 20, "", Pattern(8 * 5, 5)),
        Info(40, 4, 3, 24, BI_RGB, 0, 0, "", Pattern(12 * 3, 6)),
        Info(40, 5, 2, 16, BI_BITFIELDS, 0, 0, masks565, Pattern(12 * 2, 7)),
        Info(124, 3, -3, 32, BI_BITFIELDS, 0, 0, masks888, Pattern(12 * 3, 8)),
        Info(40, 6, 4, 8, BI_RLE8, 0, 256, "", rle8),
        Info(40, 8, 2, 4, BI_RLE4, 0, 16, "", rle4),
        Info(16, 4, 2, 8, BI_RGB, 0, 256, "", Pattern(4 * 2, 9)),
        Info(64, 3, 3, 24, BI_RGB, 0, 0, "", Pattern(12 * 3, 10)),
    };
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    using fuzz::Field;
    shape.fields = { { 2, 4, Field::Le }, { 10, 4, Field::Le }, { 14, 4, Field::Le } };
    shape.chunks.push_back({ 0, std::min<size_t>(14, input.size()) });
    DWORD cbHeader = At<DWORD>(input, 14);
    if (cbHeader == sizeof(BITMAPCOREHEADER)) {
        for (size_t at = 18; at < 26; at += 2)
            shape.fields.push_back({ at, 2, Field::Le });
    } else {
        shape.fields.insert(shape.fields.end(), { { 18, 4, Field::Le }, { 22, 4, Field::Le }, { 26, 2, Field::Le }, { 28, 2, Field::Le },
                                                  { 30, 4, Field::Le }, { 34, 4, Field::Le }, { 46, 4, Field::Le }, { 50, 4, Field::Le },
                                                  { 54, 4, Field::Le }, { 58, 4, Field::Le }, { 62, 4, Field::Le } });
    }
    if (cbHeader < input.size()) {
        shape.chunks.push_back({ 14, cbHeader });
        // The rest in pieces of a row's size, near enough: table entries, rows, runs.
        LONG cx = cbHeader == sizeof(BITMAPCOREHEADER) ? At<WORD>(input, 18) : At<LONG>(input, 18);
        WORD wBits = cbHeader == sizeof(BITMAPCOREHEADER) ? At<WORD>(input, 24) : At<WORD>(input, 28);
        size_t cbRow = cx > 0 && cx < 0x10000 ? (size_t)((ULONGLONG)cx * (wBits ? wBits : 8) + 31) / 32 * 4 : 16;
        for (size_t at = 14 + cbHeader; at < input.size() && shape.chunks.size() < 64; at += cbRow)
            shape.chunks.push_back({ at, std::min(cbRow, input.size() - at) });
    }
    shape.tokens = { "BM", Bytes("\xFF\xFF\xFF\xFF", 4), Bytes("\x00\x00", 2), Bytes("\x00\x01", 2), Bytes("\x00\x02\xFF\xFF", 4),
                     Bytes("\xFF\x00", 2) };
    return shape;
}

// Loads the file and draws it every way, with nTail behind its block; the canvas afterwards, or
// "" when it was refused.
std::string LoadAndDraw(const std::string& path, uint64_t nDraw, int nTail)
{
    harness::pageheap::SetTail(nTail);
    s_pCanvas->Clear();
    fuzz::Rng rng(nDraw);
    int nBoxes = fuzz::Boxes(), bOk = -1;
    {
        CDIBitmapFile dib(path.c_str(), &bOk);
        if (bOk == 1) {
            dib.GetWidth();
            dib.GetHeight();
            dib.Draw(s_pCanvas->DC(), rng.Between(-8, 8), rng.Between(-8, 8));
            dib.Stretch(s_pCanvas->DC(), rng.Between(-8, 40), rng.Between(-8, 40), rng.Between(-40, 40), rng.Between(-40, 40));
            dib.StretchHalftone(s_pCanvas->DC(), rng.Between(-8, 40), rng.Between(-8, 40), rng.Between(-40, 40), rng.Between(-40, 40));
        }
    }
    harness::pageheap::SetTail(-1);
    if (bOk != 0 && bOk != 1)
        Fail("the success flag came back as %d", bOk);
    if (fuzz::Boxes() - nBoxes != (bOk ? 0 : 1))
        Fail("a bitmap that %s showed %d boxes", bOk ? "loaded" : "was refused", fuzz::Boxes() - nBoxes);
    if (harness::pageheap::LiveGlobalBlocks() != 0)
        Fail("the loaded block outlived its object");
    return bOk ? s_pCanvas->Rgb(0, 0, cxCanvas, cyCanvas) : std::string();
}

bool Run(const std::string& input)
{
    std::string path = fuzz::Scratch() + "in.bmp";
    harness::WriteFileBytes(path, input);
    uint64_t nDraw = fuzz::Hash(input);
    if (LoadAndDraw(path, nDraw, -1).empty())
        return false;
    if (LoadAndDraw(path, nDraw, 0x00) != LoadAndDraw(path, nDraw, 0xFF))
        Fail("what was drawn depends on the bytes behind the loaded block");
    return true;
}

void SetUp()
{
    s_pCanvas = new Canvas(cxCanvas, cyCanvas, RGB(1, 2, 3));
}

void TearDown()
{
    delete s_pCanvas;
}

fuzz::Registrar s_bitmap({ "bitmap", "bmp", Seeds, ShapeOf, NULL, NULL, SetUp, TearDown, Run });

}  // namespace
