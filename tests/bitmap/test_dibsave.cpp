// CDIBitmap: screen bitmaps written as bitmap files, read by ImageMagick after the run
// (check-saved.sh reads what is left in the made folder).
#include "bitmaptest.h"
#include <gtest/gtest.h>

namespace {

const int W = 13, H = 7;   // an odd width: every row carries padding

// Colours (0x00RRGGBB) every 4- and 8-bit colour table the platform makes holds exactly.
const DWORD s_vga[8] = { 0, 0x800000, 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x0000FF, 0xFFFFFF };
enum Picture { blackWhite, vga, trueColour };

// The picture's pixels as 0x00RRGGBB, rows top-down.
std::vector<DWORD> Pixels(Picture picture)
{
    std::vector<DWORD> pixels;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            pixels.push_back(picture == blackWhite ? ((x + y * 2) % 3 ? 0xFFFFFF : 0)
                             : picture == vga      ? s_vga[(x * 3 + y * 5 + x * y) % 8]
                                                   : (x * 19) << 16 | (250 - y * 37) << 8 | (x * y * 11) % 256);
    return pixels;
}

std::string RgbOf(Picture picture)
{
    std::string s;
    for (DWORD px : Pixels(picture))
        s += { (char)(px >> 16), (char)(px >> 8), (char)px };
    return s;
}

// A device-dependent bitmap of the screen's format holding the picture, as a capture would be.
HBITMAP MakeBitmap(Picture picture)
{
    HDC hScreen = GetDC(NULL);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, W, H);
    BITMAPINFOHEADER bih = { sizeof(bih), W, -H, 1, 32, BI_RGB };
    SetDIBits(hScreen, hBitmap, 0, H, Pixels(picture).data(), (BITMAPINFO*)&bih, DIB_RGB_COLORS);
    ReleaseDC(NULL, hScreen);
    return hBitmap;
}

// The object takes the handle over, as its users hand it over: detached from the CBitmap.
struct Dib : CDIBitmap {
    explicit Dib(HBITMAP hBitmap) : CDIBitmap(*CBitmap::FromHandle(hBitmap)) {}
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class DIBitmapSave : public testing::Test {
protected:
    ~DIBitmapSave() override { harness::RemoveTree(dir); }
    std::string dir = harness::TempDir();
};

}  // namespace

// Each bit count, and one given as 65544 (only the low 16 bits count), with the layout of the
// format; ImageMagick reads the files later, pixel for pixel.
TEST_F(DIBitmapSave, FilesReadBackPixelForPixel)
{
    const struct { int nBitCount; Picture picture; const char* name; WORD wFileBits; DWORD cbTable; } cases[] = {
        { 1, blackWhite, "save1", 1, 8 }, { 4, vga, "save4", 4, 64 }, { 8, vga, "save8", 8, 1024 },
        { 24, trueColour, "save24", 24, 0 }, { 65544, vga, "save65544", 8, 1024 } };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = MadeDir() + c.name + ".bmp";
        {
            Dib dib(MakeBitmap(c.picture));
            ASSERT_EQ(dib.Save(path.c_str(), c.nBitCount, CDIBitmap::uncompressed, NULL), 0);
            // A second Save makes its DIB again from the bitmap.
            ASSERT_EQ(dib.Save((dir + "again.bmp").c_str(), c.nBitCount, CDIBitmap::uncompressed, NULL), 0);
        }
        std::string file = harness::ReadFileBytes(path);
        EXPECT_EQ(harness::ReadFileBytes(dir + "again.bmp"), file);
        DWORD cbImage = (W * c.wFileBits + 31) / 32 * 4 * H;
        EXPECT_EQ(At<DWORD>(file, 2), file.size());
        EXPECT_EQ(At<DWORD>(file, 10), 14 + 40 + c.cbTable);
        EXPECT_EQ(At<WORD>(file, 28), c.wFileBits);
        EXPECT_EQ(At<DWORD>(file, 34), cbImage);
        EXPECT_EQ(file.size(), 14 + 40 + c.cbTable + cbImage);
        harness::WriteFileBytes(MadeDir() + c.name + ".rgb", RgbOf(c.picture));
    }
}

// Pairs outside the table, and an object without a bitmap, make no DIB: 20 and no file. A file
// that cannot be created: 4.
TEST_F(DIBitmapSave, RefusalsWriteNoFile)
{
    std::string path = dir + "none.bmp";
    Dib dib(MakeBitmap(vga));
    const struct { int nBitCount; CDIBitmap::compression eCompression; } refused[] = {
        { 24, CDIBitmap::rle8 }, { 0, CDIBitmap::uncompressed }, { 4, CDIBitmap::rle8 }, { 16, CDIBitmap::uncompressed },
        { 0x10018, CDIBitmap::rle8 } };
    for (auto& r : refused) {
        EXPECT_EQ(dib.Save(path.c_str(), r.nBitCount, r.eCompression, NULL), 20) << r.nBitCount << " " << r.eCompression;
        EXPECT_FALSE(Exists(path));
    }
    CBitmap empty;
    EXPECT_EQ(CDIBitmap(empty).Save(path.c_str(), 8, CDIBitmap::uncompressed, NULL), 20);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(dib.Save((dir + "no such folder\\x.bmp").c_str(), 8, CDIBitmap::uncompressed, NULL), 4);
}

// Run-length files come from the platform's own encoder. Where it has none (Wine's GetDIBits
// tells a size, the uncompressed one, but then delivers no bits), no DIB can be made: 20 and no
// file; where it has one (Windows), ImageMagick reads the file later.
TEST_F(DIBitmapSave, RunLengthAsThePlatformEncodes)
{
    for (auto c : { CDIBitmap::rle8, CDIBitmap::rle4 }) {
        HBITMAP hBitmap = MakeBitmap(vga);
        struct { BITMAPINFOHEADER bih; RGBQUAD colors[256]; } probe = { { sizeof(BITMAPINFOHEADER), W, H, 1, WORD(c == CDIBitmap::rle8 ? 8 : 4), (DWORD)c } };
        HDC hDC = GetDC(NULL);
        std::string bits(GetDIBits(hDC, hBitmap, 0, H, NULL, (BITMAPINFO*)&probe, DIB_RGB_COLORS) ? probe.bih.biSizeImage : 0, '\0');
        bool bEncodes = !bits.empty() && GetDIBits(hDC, hBitmap, 0, H, &bits[0], (BITMAPINFO*)&probe, DIB_RGB_COLORS);
        ReleaseDC(NULL, hDC);
        std::string path = MadeDir() + (c == CDIBitmap::rle8 ? "rle8.bmp" : "rle4.bmp");
        DeleteFileA(path.c_str());
        EXPECT_EQ(Dib(hBitmap).Save(path.c_str(), 0, c, NULL), bEncodes ? 0 : 20) << c;
        EXPECT_EQ(Exists(path), bEncodes) << c;
        if (bEncodes)
            harness::WriteFileBytes(path.substr(0, path.size() - 3) + "rgb", RgbOf(vga));
    }
}

// The bitmap is deleted once, by the object; a palette passed to Save is the object's until the
// next Save passes another, even when the same one is passed again.
TEST_F(DIBitmapSave, OwnsTheBitmapAndTheLastPalette)
{
    std::string path = dir + "owned.bmp";
    struct { LOGPALETTE lp; PALETTEENTRY more[1]; } pal = { { 0x300, 2, { { 0, 0, 0, 0 } } }, { { 255, 255, 255, 0 } } };
    HPALETTE hPal1 = CreatePalette(&pal.lp), hPal2 = CreatePalette(&pal.lp);
    HBITMAP hBitmap = MakeBitmap(vga);
    {
        Dib dib(hBitmap);
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal1), 0);
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal1), 0);
        EXPECT_EQ(GetObjectType(hPal1), (DWORD)OBJ_PAL);
        EXPECT_EQ(dib.Save(path.c_str(), 8, CDIBitmap::uncompressed, hPal2), 0);
        EXPECT_EQ(GetObjectType(hPal1), 0u);
        EXPECT_EQ(GetObjectType(hBitmap), (DWORD)OBJ_BITMAP);
    }
    EXPECT_EQ(GetObjectType(hPal2), 0u);
    EXPECT_EQ(GetObjectType(hBitmap), 0u);
}

// Under a file-size limit the bits are cut short: a failed write, though something was written.
BEX_CHILD(save_over_limit)
{
    char szDir[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_CHILD_DIR", szDir, MAX_PATH);
    std::string dir = szDir;
    Dib dib(MakeBitmap(vga));
    int nCut = dib.Save((dir + "cut.bmp").c_str(), 8, CDIBitmap::uncompressed, NULL);   // 1190 bytes
    int nFits = dib.Save((dir + "fits.bmp").c_str(), 1, CDIBitmap::uncompressed, NULL);  // 90 bytes
    harness::WriteFileBytes(dir + "out.txt", "8 bits: " + std::to_string(nCut) + ", 1 bit: " + std::to_string(nFits) + "\nend\n");
    // Under the limit, Wine's display driver does not get this process to its end by itself.
    TerminateProcess(GetCurrentProcess(), 0);
}

TEST_F(DIBitmapSave, AWriteCutShortIsAFailure)
{
    // 1024 bytes (two 512-byte blocks).
    std::string out = harness::RunChildUnderFileLimit("save_over_limit", BEX_WINE_LOADER, dir, 2);
    ASSERT_NE(out, "") << "runs under Wine";
    EXPECT_EQ(out, "8 bits: 4, 1 bit: 0\nend\n");
    EXPECT_EQ(harness::ReadFileBytes(dir + "cut.bmp").size(), 1024u);
}
