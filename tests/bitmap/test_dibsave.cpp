// CDIBitmap: screen bitmaps written as bitmap files, read back by the platform's own loader here
// and by ImageMagick after the run (check-saved.sh reads what is left in the made folder).
#include "BexLib32.h"
#include "bitmaptest.h"
#include "dibbytes.h"
#include "harness.h"
#include <gtest/gtest.h>

namespace {

const int W = 13, H = 7;   // an odd width: every row carries padding

// The sixteen colours every 4- and 8-bit colour table the platform makes holds exactly.
const COLORREF s_vga[16] = {
    RGB(0, 0, 0), RGB(128, 0, 0), RGB(0, 128, 0), RGB(128, 128, 0), RGB(0, 0, 128), RGB(128, 0, 128),
    RGB(0, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0),
    RGB(255, 255, 0), RGB(0, 0, 255), RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255) };

enum Picture { blackWhite, vga, trueColour };

COLORREF PixelOf(Picture picture, int x, int y)
{
    switch (picture) {
    case blackWhite: return (x + y * 2) % 3 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    case vga: return s_vga[(x * 3 + y * 5 + x * y) % 16];
    default: return RGB(x * 19, 250 - y * 37, (x * y * 11) % 256);
    }
}

std::string RgbOf(Picture picture, int cx = W, int cy = H)
{
    std::string s;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            COLORREF cr = PixelOf(picture, x, y);
            s += (char)GetRValue(cr);
            s += (char)GetGValue(cr);
            s += (char)GetBValue(cr);
        }
    return s;
}

// A device-dependent bitmap of the screen's format holding the picture, as a capture would be.
void MakeBitmap(CBitmap& bitmap, Picture picture, int cx = W, int cy = H)
{
    CDC screen;
    screen.Attach(GetDC(NULL));
    bitmap.CreateCompatibleBitmap(&screen, cx, cy);
    std::vector<DWORD> pixels;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            COLORREF cr = PixelOf(picture, x, y);
            pixels.push_back(GetRValue(cr) << 16 | GetGValue(cr) << 8 | GetBValue(cr));
        }
    BITMAPINFOHEADER bih = { sizeof(bih), cx, -cy, 1, 32, BI_RGB };
    SetDIBits(screen, bitmap, 0, cy, pixels.data(), (BITMAPINFO*)&bih, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen.Detach());
}

// The file as the platform's own loader reads it, as R, G, B bytes top-down.
std::string LoadedByPlatform(const std::string& path)
{
    HBITMAP hBitmap = (HBITMAP)LoadImageA(NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (hBitmap == NULL)
        return "not loaded";
    BITMAP bm;
    GetObjectA(hBitmap, sizeof(bm), &bm);
    std::vector<DWORD> pixels(bm.bmWidth * bm.bmHeight);
    BITMAPINFOHEADER bih = { sizeof(bih), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB };
    HDC hDC = GetDC(NULL);
    GetDIBits(hDC, hBitmap, 0, bm.bmHeight, pixels.data(), (BITMAPINFO*)&bih, DIB_RGB_COLORS);
    ReleaseDC(NULL, hDC);
    DeleteObject(hBitmap);
    std::string s;
    for (DWORD px : pixels) {
        s += (char)(px >> 16);
        s += (char)(px >> 8);
        s += (char)px;
    }
    return s;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

// Each bit count, and one given as 65544 (only the low 16 bits count), written with the layout of
// the format, read back by the platform pixel for pixel; ImageMagick reads the same files later.
TEST(DIBitmapSave, FilesReadBackPixelForPixel)
{
    struct { int nBitCount; Picture picture; const char* name; WORD wFileBits; DWORD cbTable; } cases[] = {
        { 1, blackWhite, "save1", 1, 8 },       { 4, vga, "save4", 4, 64 },      { 8, vga, "save8", 8, 1024 },
        { 24, trueColour, "save24", 24, 0 },    { 65544, vga, "save65544", 8, 1024 } };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CBitmap bitmap;
        MakeBitmap(bitmap, c.picture);
        std::string path = MadeDir() + c.name + ".bmp";
        std::string again = harness::TempDir() + "again.bmp";
        {
            CDIBitmap dib(bitmap);
            bitmap.Detach();
            ASSERT_EQ(dib.Save(path.c_str(), c.nBitCount, CDIBitmap::uncompressed, NULL), 0);
            // A second Save writes the same picture again.
            ASSERT_EQ(dib.Save(again.c_str(), c.nBitCount, CDIBitmap::uncompressed, NULL), 0);
        }
        std::string file = harness::ReadFileBytes(path);
        EXPECT_EQ(harness::ReadFileBytes(again), file);
        harness::RemoveTree(again.substr(0, again.rfind('\\') + 1));

        DWORD cbImage = (W * c.wFileBits + 31) / 32 * 4 * H;
        EXPECT_EQ(At<WORD>(file, 0), 0x4D42);
        EXPECT_EQ(At<DWORD>(file, 2), file.size());
        EXPECT_EQ(At<DWORD>(file, 10), 14 + 40 + c.cbTable);
        EXPECT_EQ(At<DWORD>(file, 14), 40u);
        EXPECT_EQ(At<LONG>(file, 18), W);
        EXPECT_EQ(At<LONG>(file, 22), H);
        EXPECT_EQ(At<WORD>(file, 28), c.wFileBits);
        EXPECT_EQ(At<DWORD>(file, 30), (DWORD)BI_RGB);
        EXPECT_EQ(At<DWORD>(file, 34), cbImage);
        EXPECT_EQ(file.size(), 14 + 40 + c.cbTable + cbImage);
        EXPECT_EQ(LoadedByPlatform(path), RgbOf(c.picture));
        harness::WriteFileBytes(MadeDir() + c.name + ".rgb", RgbOf(c.picture));
    }
}

// The sizes of the smallest cases worked out by hand: a 3 x 2 bitmap at 8 and 24 bits.
TEST(DIBitmapSave, SmallFileSizes)
{
    struct { int nBitCount; DWORD cbFile, dwOffBits, cbImage; } cases[] = { { 8, 1086, 1078, 8 }, { 24, 78, 54, 24 } };
    std::string dir = harness::TempDir();
    for (auto& c : cases) {
        CBitmap bitmap;
        MakeBitmap(bitmap, vga, 3, 2);
        CDIBitmap dib(bitmap);
        bitmap.Detach();
        ASSERT_EQ(dib.Save((dir + "small.bmp").c_str(), c.nBitCount, CDIBitmap::uncompressed, NULL), 0);
        std::string file = harness::ReadFileBytes(dir + "small.bmp");
        EXPECT_EQ(file.size(), c.cbFile) << c.nBitCount;
        EXPECT_EQ(At<DWORD>(file, 10), c.dwOffBits) << c.nBitCount;
        EXPECT_EQ(At<DWORD>(file, 34), c.cbImage) << c.nBitCount;
    }
    harness::RemoveTree(dir);
}

// Pairs outside the table, and an object without a bitmap, make no DIB: 20 and no file.
TEST(DIBitmapSave, NoDIBWritesNoFile)
{
    std::string dir = harness::TempDir();
    std::string path = dir + "none.bmp";
    struct { int nBitCount; CDIBitmap::compression eCompression; } refused[] = {
        { 24, CDIBitmap::rle8 }, { 24, CDIBitmap::rle4 }, { 0, CDIBitmap::uncompressed }, { 1, CDIBitmap::rle4 },
        { 4, CDIBitmap::rle8 }, { 8, CDIBitmap::rle4 }, { 2, CDIBitmap::uncompressed }, { 16, CDIBitmap::uncompressed },
        { 32, CDIBitmap::uncompressed }, { 0x10018, CDIBitmap::rle8 } };
    CBitmap bitmap;
    MakeBitmap(bitmap, vga);
    CDIBitmap dib(bitmap);
    bitmap.Detach();
    for (auto& r : refused) {
        EXPECT_EQ(dib.Save(path.c_str(), r.nBitCount, r.eCompression, NULL), 20) << r.nBitCount << " " << r.eCompression;
        EXPECT_FALSE(Exists(path));
    }
    CBitmap empty;
    CDIBitmap nothing(empty);
    for (int nBitCount : { 1, 4, 8, 24 }) {
        EXPECT_EQ(nothing.Save(path.c_str(), nBitCount, CDIBitmap::uncompressed, NULL), 20);
        EXPECT_FALSE(Exists(path));
    }
    // A file that cannot be created.
    EXPECT_EQ(dib.Save((dir + "no such folder\\x.bmp").c_str(), 8, CDIBitmap::uncompressed, NULL), 4);
    harness::RemoveTree(dir);
}

// Run-length files come from the platform's own encoder. Where it has none (Wine's GetDIBits
// delivers no run-length data), no DIB can be made: 20 and no file; where it has one (Windows),
// the file reads back as the picture.
TEST(DIBitmapSave, RunLengthAsThePlatformEncodes)
{
    struct { int nBitCount; CDIBitmap::compression eCompression; WORD wBits; } cases[] = {
        { 8, CDIBitmap::rle8, 8 }, { 0, CDIBitmap::rle8, 8 }, { 4, CDIBitmap::rle4, 4 }, { 0, CDIBitmap::rle4, 4 } };
    std::string dir = harness::TempDir();
    for (auto& c : cases) {
        CBitmap bitmap;
        MakeBitmap(bitmap, vga);
        struct { BITMAPINFOHEADER bih; RGBQUAD colors[256]; } probe = { { sizeof(BITMAPINFOHEADER), W, H, 1, c.wBits, (DWORD)c.eCompression } };
        HDC hDC = GetDC(NULL);
        // Wine tells a size (the uncompressed one) but then delivers no bits.
        bool bEncodes = GetDIBits(hDC, bitmap, 0, H, NULL, (BITMAPINFO*)&probe, DIB_RGB_COLORS) && probe.bih.biSizeImage != 0;
        std::string bits(bEncodes ? probe.bih.biSizeImage : 0, '\0');
        bEncodes = bEncodes && GetDIBits(hDC, bitmap, 0, H, &bits[0], (BITMAPINFO*)&probe, DIB_RGB_COLORS);
        ReleaseDC(NULL, hDC);
        CDIBitmap dib(bitmap);
        bitmap.Detach();
        std::string path = dir + "rle.bmp";
        DeleteFileA(path.c_str());
        int nResult = dib.Save(path.c_str(), c.nBitCount, c.eCompression, NULL);
        if (bEncodes) {
            EXPECT_EQ(nResult, 0);
            EXPECT_EQ(LoadedByPlatform(path), RgbOf(vga));
        } else {
            EXPECT_EQ(nResult, 20) << c.nBitCount << " " << c.eCompression;
            EXPECT_FALSE(Exists(path));
        }
    }
    harness::RemoveTree(dir);
}

// The bitmap is deleted once, by the object; a palette passed to Save is the object's until the
// next Save passes another, even when the same one is passed again.
TEST(DIBitmapSave, OwnsTheBitmapAndTheLastPalette)
{
    std::string dir = harness::TempDir();
    std::string path = dir + "owned.bmp";
    struct { LOGPALETTE lp; PALETTEENTRY more[1]; } pal = { { 0x300, 2, { { 0, 0, 0, 0 } } }, { { 255, 255, 255, 0 } } };
    HPALETTE hPal1 = CreatePalette(&pal.lp), hPal2 = CreatePalette(&pal.lp);
    CBitmap bitmap;
    MakeBitmap(bitmap, vga);
    HBITMAP hBitmap = bitmap;
    {
        CDIBitmap dib(bitmap);
        bitmap.Detach();
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal1), 0);
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal1), 0);
        EXPECT_EQ(GetObjectType(hPal1), (DWORD)OBJ_PAL);
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal2), 0);
        EXPECT_EQ(GetObjectType(hPal1), 0u);
        EXPECT_EQ(GetObjectType(hPal2), (DWORD)OBJ_PAL);
        EXPECT_EQ(GetObjectType(hBitmap), (DWORD)OBJ_BITMAP);
    }
    EXPECT_EQ(GetObjectType(hPal2), 0u);
    EXPECT_EQ(GetObjectType(hBitmap), 0u);
    harness::RemoveTree(dir);
}

// Under a file-size limit the bits are cut short: a failed write, though something was written.
BEX_CHILD(save_over_limit)
{
    char szDir[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_CHILD_DIR", szDir, MAX_PATH);
    std::string dir = szDir;
    CBitmap bitmap;
    MakeBitmap(bitmap, vga);
    CDIBitmap dib(bitmap);
    bitmap.Detach();
    int nCut = dib.Save((dir + "cut.bmp").c_str(), 8, CDIBitmap::uncompressed, NULL);   // 1190 bytes
    int nFits = dib.Save((dir + "fits.bmp").c_str(), 1, CDIBitmap::uncompressed, NULL);  // 90 bytes
    harness::WriteFileBytes(dir + "out.txt", "8 bits: " + std::to_string(nCut) + ", 1 bit: " + std::to_string(nFits) + "\nend\n");
    // Under the limit, Wine's display driver does not get this process to its end by itself.
    TerminateProcess(GetCurrentProcess(), 0);
}

TEST(DIBitmapSave, AWriteCutShortIsAFailure)
{
    std::string dir = harness::TempDir();
    // 1024 bytes (two 512-byte blocks).
    std::string out = harness::RunChildUnderFileLimit("save_over_limit", BEX_WINE_LOADER, dir, 2);
    ASSERT_NE(out, "") << "runs under Wine";
    EXPECT_EQ(out, "8 bits: 4, 1 bit: 0\nend\n");
    EXPECT_EQ(harness::ReadFileBytes(dir + "cut.bmp").size(), 1024u);
    harness::RemoveTree(dir);
}
