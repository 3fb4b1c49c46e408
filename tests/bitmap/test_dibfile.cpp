// CDIBitmapFile: files of every kind ImageMagick writes (and a run-length 4-bit one it reads),
// drawn at their size and doubled exactly as ImageMagick reads them; layouts that only the
// header describes; bad files refused with the user told why, and nothing drawn after.
#include "BexLib32.h"
#include "bitmaptest.h"
#include "dibbytes.h"
#include "harness.h"
#include <gtest/gtest.h>

namespace {

const int W = 13, H = 7;
const COLORREF crFill = RGB(1, 2, 3);   // in none of the pictures

std::string Fixture(const char* name, const char* ext = ".bmp")
{
    return harness::ReadFileBytes(FixtureDir() + name + ext);
}

// Loads the file and draws it at its size, doubled and half-toned; every pixel must be the
// picture's, and nothing outside it touched.
void ExpectDrawnAs(const std::string& path, const std::string& rgb)
{
    harness::MsgBoxCatcher boxes;
    int bOk = -1;
    CDIBitmapFile dib(path.c_str(), &bOk);
    ASSERT_EQ(bOk, 1);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(dib.GetWidth(), W);
    EXPECT_EQ(dib.GetHeight(), H);

    Canvas one(W + 4, H + 5, crFill);
    dib.Draw(one.DC(), 2, 3);
    EXPECT_EQ(one.Rgb(2, 3, W, H), rgb);
    EXPECT_EQ(one.ChangedOutside(CRect(2, 3, 2 + W, 3 + H)), 0);
    EXPECT_EQ(one.DC()->GetStretchBltMode(), COLORONCOLOR);

    Canvas two(2 * W + 3, 2 * H + 3, crFill);
    two.DC()->SetStretchBltMode(BLACKONWHITE);
    dib.Stretch(two.DC(), 1, 2, 2 * W, 2 * H);
    for (int d = 0; d < 4; ++d)
        EXPECT_EQ(two.Rgb(1 + d % 2, 2 + d / 2, W, H, 2), rgb) << "phase " << d;
    EXPECT_EQ(two.ChangedOutside(CRect(1, 2, 1 + 2 * W, 2 + 2 * H)), 0);
    EXPECT_EQ(two.DC()->GetStretchBltMode(), COLORONCOLOR);
    dib.StretchHalftone(two.DC(), 1, 2, 2 * W, 2 * H);
    EXPECT_EQ(two.DC()->GetStretchBltMode(), HALFTONE);
    EXPECT_EQ(two.ChangedOutside(CRect(1, 2, 1 + 2 * W, 2 + 2 * H)), 0);
}

}  // namespace

TEST(DIBitmapFileDraw, ImageMagickFilesDrawAsImageMagickReadsThem)
{
    for (const char* name : { "core1", "core4", "core8", "core24", "info1", "info4", "info8", "info24", "rle4", "rle8",
                              "v5_16", "v5_32" }) {
        SCOPED_TRACE(name);
        ExpectDrawnAs(FixtureDir() + name + ".bmp", Fixture(name, ".rgb"));
    }
}

// The bits lie where the header and the colour table end, whatever bfOffBits says; headers the
// platform would not draw from are drawn all the same.
TEST(DIBitmapFileDraw, LayoutsTheHeaderDescribes)
{
    const std::string rgb4 = Fixture("info4", ".rgb"), rgb8 = Fixture("info8", ".rgb"), rgb24 = Fixture("info24", ".rgb"),
                      rgb32 = Fixture("v5_32", ".rgb");
    const DibParts info4 = Split(Fixture("info4")), info8 = Split(Fixture("info8")), info24 = Split(Fixture("info24")),
                   v5_32 = Split(Fixture("v5_32"));
    std::string dir = harness::TempDir();
    auto check = [&](const char* what, const std::string& file, const std::string& rgb) {
        SCOPED_TRACE(what);
        harness::WriteFileBytes(dir + "variant.bmp", file);
        ExpectDrawnAs(dir + "variant.bmp", rgb);
    };

    check("bfOffBits 0", Join(info8, 0x12345), rgb8);
    for (DWORD cbHeader : { 16, 24, 36 }) {
        DibParts p = info8;
        p.header.resize(cbHeader);
        Put<DWORD>(p.header, 0, cbHeader);
        check(("header of " + std::to_string(cbHeader)).c_str(), Join(p), rgb8);
    }
    DibParts shortTrue = info24;
    shortTrue.header.resize(16);
    Put<DWORD>(shortTrue.header, 0, 16);
    check("24 bits, header of 16", Join(shortTrue), rgb24);

    DibParts topDown = info24;
    Put<LONG>(topDown.header, 8, -H);
    const size_t cbRow = (W * 3 + 3) / 4 * 4;
    for (int y = 0; y < H; ++y)
        topDown.bits.replace(y * cbRow, cbRow, info24.bits.substr((H - 1 - y) * cbRow, cbRow));
    check("top-down rows", Join(topDown), rgb24);

    DibParts longTable = info8;   // more colours used than 8 bits can index
    Put<DWORD>(longTable.header, 32, 300);
    longTable.table.append(44 * 4, '\x7F');
    check("300 colours", Join(longTable), rgb8);
    DibParts trueTable = info24;  // a colour table for 24 bits: the bits follow it
    Put<DWORD>(trueTable.header, 32, 5);
    trueTable.table.assign(5 * 4, '\x7F');
    check("24 bits with 5 colours", Join(trueTable), rgb24);

    DibParts fewColours = info4;  // 8 bits with 16 colours: the bits at 14 + 40 + 64
    Put<WORD>(fewColours.header, 14, 8);
    Put<DWORD>(fewColours.header, 20, 16 * H);
    fewColours.bits.clear();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < 16; ++x)
            fewColours.bits += x < W ? (char)(((BYTE)info4.bits[y * 8 + x / 2] >> (x % 2 ? 0 : 4)) & 15) : '\0';
    }
    check("8 bits with 16 colours", Join(fewColours), rgb4);

    DibParts masksBehind = v5_32;  // a 40-byte header with its three masks behind it
    masksBehind.table = masksBehind.header.substr(40, 12);
    masksBehind.header.resize(40);
    Put<DWORD>(masksBehind.header, 0, 40);
    check("bit-field masks behind the header", Join(masksBehind), rgb32);
    harness::RemoveTree(dir);
}

// Each refusal: one box with the message and the file's name, *pbSuccess 0, and an object that
// draws nothing and leaves the DC's stretch mode alone.
TEST(DIBitmapFileErrors, BadFilesAreRefusedWithTheirMessage)
{
    const std::string info8 = Fixture("info8"), info24 = Fixture("info24"), rle8 = Fixture("rle8"), core8 = Fixture("core8");
    auto with = [](std::string file, size_t offset, DWORD value, size_t cb = 4) {
        if (offset + cb <= file.size())
            file.replace(offset, cb, (const char*)&value, cb);
        return file;
    };
    auto cut = [](const std::string& file, size_t cb) {   // shorter, with bfSize saying so
        std::string s = file.substr(0, cb);
        Put<DWORD>(s, 2, (DWORD)cb);
        return s;
    };
    std::string bitfields = cut(with(with(with(with(info24, 28, 16, 2), 30, BI_BITFIELDS), 18, 1), 22, 1), 14 + 40 + 4);
    const char* invalid = "Error 140: Invalid DIB file '%s'.";
    const char* readError = "Error 142: Read error on file: %s.";
    struct { const char* what; std::string file; const char* text; } cases[] = {
        { "missing", "", "Error 141: File %s not found or invalid." },
        { "10 bytes", info8.substr(0, 10), readError },
        { "bfSize past the end", with(info8, 2, (DWORD)info8.size() + 1), readError },
        { "not BM", with(info8, 0, 'B' | 'X' << 8, 2), invalid },
        { "bfSize below the file header", with(info8, 2, 10), invalid },
        { "no room for a header size", cut(info8, 17), invalid },
        { "header size 0", with(info8, 14, 0), invalid },
        { "header size 11", with(info8, 14, 11), invalid },
        { "header size 13", with(info8, 14, 13), invalid },
        { "header longer than the data", cut(info8, 14 + 30), invalid },
        { "colours used 2^30", with(info8, 46, 0x40000000), invalid },
        { "colours used 2^16", with(info8, 46, 0x10000), invalid },
        { "bits one byte short", cut(info24, info24.size() - 1), invalid },
        { "no room for the masks", bitfields, invalid },
        { "run-length size past the end", with(rle8, 34, At<DWORD>(rle8, 34) + 1), invalid },
        { "run-length top-down", with(rle8, 22, (DWORD)-H), invalid },
        { "run-length on 24 bits", with(info24, 30, BI_RLE8), invalid },
        { "compression 4", with(info24, 30, 4), invalid },
        { "2 bits", with(info8, 28, 2, 2), invalid },
        { "width 0", with(info8, 18, 0), invalid },
        { "width negative", with(info8, 18, (DWORD)-W), invalid },
        { "height 0", with(info8, 22, 0), invalid },
        { "core header of 16 bits", with(core8, 24, 16, 2), invalid },
    };
    std::string dir = harness::TempDir();
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = dir + "bad.bmp";
        DeleteFileA(path.c_str());
        if (!c.file.empty())
            harness::WriteFileBytes(path, c.file);
        harness::MsgBoxCatcher boxes;
        int bOk = -1;
        CDIBitmapFile dib(path.c_str(), &bOk);
        EXPECT_EQ(bOk, 0);
        ASSERT_EQ(boxes.Count(), 1u);
        char szText[400];
        snprintf(szText, sizeof(szText), c.text, path.c_str());
        EXPECT_EQ(boxes.Last().text, szText);
        EXPECT_EQ(dib.GetWidth(), 0);
        EXPECT_EQ(dib.GetHeight(), 0);
        Canvas canvas(8, 8, crFill);
        canvas.DC()->SetStretchBltMode(BLACKONWHITE);
        dib.Draw(canvas.DC(), 0, 0);
        dib.Stretch(canvas.DC(), 0, 0, 8, 8);
        dib.StretchHalftone(canvas.DC(), 0, 0, 8, 8);
        EXPECT_EQ(canvas.ChangedOutside(CRect()), 0);
        EXPECT_EQ(canvas.DC()->GetStretchBltMode(), BLACKONWHITE);
    }
    harness::RemoveTree(dir);
}
