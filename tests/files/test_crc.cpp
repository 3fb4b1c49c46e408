// CRC-16 over memory and over the head of a file; file failures read from the real boxes.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;

namespace {
// A bit-at-a-time CRC-16/0x1021, the definition the table must reproduce.
WORD BitwiseCrc(WORD wCrc, const std::string& s)
{
    for (unsigned char b : s) {
        wCrc ^= (WORD)(b << 8);
        for (int i = 0; i < 8; ++i)
            wCrc = (wCrc & 0x8000) ? (WORD)((wCrc << 1) ^ 0x1021) : (WORD)(wCrc << 1);
    }
    return wCrc;
}
}  // namespace

BEX_CHILD(crc_without_init)
{
    printf("%04X\n", CrcCalc(0, "123456789", 9));
}

TEST(CrcCalc, BuildsItsTableOnFirstUse)
{
    // A fresh process, so that no earlier test has built the table.
    harness::ChildResult r = harness::RunChild("crc_without_init");
    EXPECT_EQ(r.output.substr(0, 4), "31C3");
}

TEST(CrcCalc, PublishedCheckValues)
{
    CrcInit();
    EXPECT_EQ(CrcCalc(0, "123456789", 9), 0x31C3);       // CRC-16/XMODEM
    EXPECT_EQ(CrcCalc(0xFFFF, "123456789", 9), 0x29B1);  // CRC-16/CCITT-FALSE
    // Single bytes from 0 are the table entries themselves.
    EXPECT_EQ(CrcCalc(0, "\x01", 1), 0x1021);
    EXPECT_EQ(CrcCalc(0, "\xff", 1), 0x1EF0);
    CrcInit();   // rebuilding changes nothing
    EXPECT_EQ(CrcCalc(0, "123456789", 9), 0x31C3);
}

TEST(CrcCalc, AgreesWithTheBitwiseDefinitionOverEveryByteValue)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += (char)i;
    EXPECT_EQ(CrcCalc(0, all.data(), 256), BitwiseCrc(0, all));
    EXPECT_EQ(CrcCalc(0x1D0F, all.data(), 256), BitwiseCrc(0x1D0F, all));
}

TEST(CrcCalc, PiecesGiveTheValueOfTheWholeAndEmptyPiecesChangeNothing)
{
    const char* psz = "record files and their checksums";
    UINT n = (UINT)strlen(psz);
    WORD wWhole = CrcCalc(0xFFFF, psz, n);
    for (UINT nCut = 0; nCut <= n; ++nCut)
        EXPECT_EQ(CrcCalc(CrcCalc(0xFFFF, psz, nCut), psz + nCut, n - nCut), wWhole) << nCut;
    EXPECT_EQ(CrcCalc(0x1234, NULL, 0), 0x1234);
}

class CrcFileCalcTest : public testing::Test {
protected:
    void SetUp() override { m_dir = harness::TempDir(); }
    void TearDown() override { harness::RemoveTree(m_dir); }
    std::string m_dir;
};

TEST_F(CrcFileCalcTest, StopsAtTheFirstNulByte)
{
    std::string path = m_dir + "stop.txt";  // not "nul": that is the null device
    std::string text = "0123456789";
    harness::WriteFileBytes(path, text + std::string(1, '\0') + "ignored");
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, text.data(), 10));
    EXPECT_EQ(catcher.Count(), 0u);
}

TEST_F(CrcFileCalcTest, CoversTheFirst1024BytesOnly)
{
    std::string head(1024, 'x');
    for (size_t i = 0; i < head.size(); ++i)
        head[i] = (char)('a' + i % 26);
    std::string path = m_dir + "long.txt";
    harness::WriteFileBytes(path, head + std::string(5000 - 1024, 'y'));
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 1024));
    // Exactly 1024 bytes and no NUL anywhere: nothing beyond what was read counts.
    harness::WriteFileBytes(path, head);
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 1024));
}

TEST_F(CrcFileCalcTest, AnEmptyFileGivesZeroWithoutABox)
{
    std::string path = m_dir + "empty.txt";
    harness::WriteFileBytes(path, "");
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), 0);
    EXPECT_EQ(catcher.Count(), 0u);
}

TEST_F(CrcFileCalcTest, AMissingFileShowsCannotOpenAndGivesZero)
{
    std::string path = m_dir + "missing.txt";
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), 0);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, "Cannot open file '" + path + "'.");
    EXPECT_EQ(catcher.Last().caption, "System Error");
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONEXCLAMATION);
}

TEST_F(CrcFileCalcTest, AFileOthersWriteCannotBeOpened)
{
    // The head is checked with writers kept out; a file open for writing elsewhere is refused.
    std::string path = m_dir + "busy.txt";
    harness::WriteFileBytes(path, "busy");
    HANDLE hWriter = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_EXISTING, 0, NULL);
    ASSERT_NE(hWriter, INVALID_HANDLE_VALUE);
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), 0);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, "Cannot open file '" + path + "'.");
    CloseHandle(hWriter);
}

TEST_F(CrcFileCalcTest, AReadFailureShowsCannotReadAndGivesZero)
{
    // A file that opens but cannot be read from its start: the memory image of a process, as
    // Wine's file system shows it.
    typedef LPWSTR(CDECL * PFNDOSNAME)(LPCSTR);
    PFNDOSNAME pfnDosName = (PFNDOSNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    if (pfnDosName == NULL)
        GTEST_SKIP() << "needs Wine's view of /proc";
    LPWSTR pwszMem = pfnDosName("/proc/self/mem");
    ASSERT_NE(pwszMem, nullptr);
    char szMem[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, pwszMem, -1, szMem, MAX_PATH, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pwszMem);
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, szMem), 0);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, std::string("Cannot read file '") + szMem + "'.");
    EXPECT_EQ(catcher.Last().caption, "System Error");
}
