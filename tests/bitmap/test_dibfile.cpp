// CDIBitmapFile: ImageMagick's files drawn at their size and doubled exactly as ImageMagick reads
// them; layouts only the header describes; bad files refused with the user told why.
#include "bitmaptest.h"
#include <gtest/gtest.h>

namespace {

const int W = 13, H = 7;
const COLORREF crFill = RGB(1, 2, 3);   // in none of the pictures

std::string Fixture(const std::string& name) { return harness::ReadFileBytes(FixtureDir() + name); }

// Every pixel drawn must be the picture's, nothing outside it touched, the stretch mode left set.
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
}

// A file of header, table and bits; bfOffBits as given, or where the bits begin.
std::string Join(const std::string& header, const std::string& table, const std::string& bits, DWORD dwOffBits = 0)
{
    std::string file = "BM" + std::string(12, '\0') + header + table + bits;
    file = Put<DWORD>(file, 2, (DWORD)file.size());
    return Put<DWORD>(file, 10, dwOffBits ? dwOffBits : (DWORD)(14 + header.size() + table.size()));
}

}  // namespace

TEST(DIBitmapFile, ImageMagickFilesDrawAsImageMagickReadsThem)
{
    for (const char* name : { "core8", "info1", "info4", "info8", "info24", "rle8", "v5_16", "v5_32" }) {
        SCOPED_TRACE(name);
        ExpectDrawnAs(FixtureDir() + name + ".bmp", Fixture(name + std::string(".rgb")));
    }
}

// The bits lie where the header and the colour table end, whatever bfOffBits says; headers the
// platform would not draw from are drawn all the same.
TEST(DIBitmapFile, LayoutsTheHeaderDescribes)
{
    const std::string info8 = Fixture("info8.bmp"), info24 = Fixture("info24.bmp"), v5 = Fixture("v5_32.bmp");
    // The colour table ends where the bits begin in ImageMagick's files.
    const DWORD off8 = At<DWORD>(info8, 10);
    const std::string h8 = info8.substr(14, 40), t8 = info8.substr(54, off8 - 54), b8 = info8.substr(off8);
    const std::string rgb8 = Fixture("info8.rgb");
    const struct { const char* what; std::string file, rgb; } cases[] = {
        { "bfOffBits wrong", Join(h8, t8, b8, 0x12345), rgb8 },
        { "header of 16", Join(Put<DWORD>(h8.substr(0, 16), 0, 16), t8, b8), rgb8 },
        { "300 colours on 8 bits", Join(Put<DWORD>(h8, 32, 300), t8 + std::string(44 * 4, '\x7F'), b8), rgb8 },
        { "24 bits with 5 colours", Join(Put<DWORD>(info24.substr(14, 40), 32, 5), std::string(5 * 4, '\x7F'), info24.substr(54)),
          Fixture("info24.rgb") },
        // A 40-byte header with its three masks behind it.
        { "masks behind the header", Join(Put<DWORD>(v5.substr(14, 40), 0, 40), v5.substr(54, 12), v5.substr(At<DWORD>(v5, 10))),
          Fixture("v5_32.rgb") },
    };
    std::string dir = harness::TempDir();
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        harness::WriteFileBytes(dir + "variant.bmp", c.file);
        ExpectDrawnAs(dir + "variant.bmp", c.rgb);
    }
    harness::RemoveTree(dir);
}

// Each refusal: one box with the message and the file's name, *pbSuccess 0, and an object that
// draws nothing and leaves the DC's stretch mode alone.
TEST(DIBitmapFile, BadFilesAreRefusedWithTheirMessage)
{
    const std::string info8 = Fixture("info8.bmp"), info24 = Fixture("info24.bmp"), rle8 = Fixture("rle8.bmp");
    auto cut = [](const std::string& file, size_t cb) { return Put<DWORD>(file.substr(0, cb), 2, (DWORD)cb); };
    const char* invalid = "Error 140: Invalid DIB file '%s'.";
    const char* readError = "Error 142: Read error on file: %s.";
    const struct { const char* what; std::string file; const char* text; } cases[] = {
        { "missing", "", "Error 141: File %s not found or invalid." },
        { "10 bytes", info8.substr(0, 10), readError },
        { "bfSize past the end", Put<DWORD>(info8, 2, (DWORD)info8.size() + 1), readError },
        { "not BM", Put<WORD>(info8, 0, 'B' | 'X' << 8), invalid },
        { "bfSize below the file header", Put<DWORD>(info8, 2, 10), invalid },
        { "header size 13", Put<DWORD>(info8, 14, 13), invalid },
        { "colours used 2^30", Put<DWORD>(info8, 46, 0x40000000), invalid },
        { "bits one byte short", cut(info24, info24.size() - 1), invalid },
        { "no room for the masks", cut(Put<DWORD>(Put<WORD>(info24, 28, 16), 30, BI_BITFIELDS), 14 + 40 + 4), invalid },
        { "run-length size past the end", Put<DWORD>(rle8, 34, At<DWORD>(rle8, 34) + 1), invalid },
        { "run-length top-down", Put<LONG>(rle8, 22, -H), invalid },
        { "2 bits", Put<WORD>(info8, 28, 2), invalid },
        { "width 0", Put<DWORD>(info8, 18, 0), invalid },
    };
    std::string dir = harness::TempDir(), path = dir + "bad.bmp";
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
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
        EXPECT_EQ(dib.GetWidth() + dib.GetHeight(), 0);
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
