// Damaged record files: every truncation, every flipped byte and impossible lengths must end
// in a documented error or a clean end of the walk, never in a crash, a hang, or damaged data
// handed out as sound. Verify reports what is wrong in its box.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using namespace recbytes;
using harness::MsgBoxCatcher;

namespace {

struct Walk {
    bool bOpened = false;
    DWORD dwEnd = 0;   // ERROR_HANDLE_EOF after a clean end, else the error that stopped the walk
    std::vector<Sample::Rec> recs;
};

// Reads every record as an application would, without the throw flag.
Walk WalkFile(const std::string& path)
{
    Walk w;
    CRecFile f(FALSE);
    if (!f.Open(path.c_str(), 0xFFFFFFFF)) {
        w.dwEnd = GetLastError();
        return w;
    }
    w.bOpened = true;
    while (f.FindNextRec()) {
        CRecFile::tagRECHDR hdr = *f.GetRecHdr();
        std::string data(hdr.dwDataLength, '\0');
        if (!f.ReadRec(&data[0], hdr.dwDataLength))
            break;
        w.recs.push_back({ hdr.dwRecType, hdr.dwRecVersion, data, 0 });
    }
    w.dwEnd = GetLastError();
    return w;
}

// The first n records of the sample, exactly.
::testing::AssertionResult IntactPrefix(const Walk& w, const Sample& s, size_t n)
{
    if (w.recs.size() != n)
        return ::testing::AssertionFailure() << w.recs.size() << " records read, " << n << " expected";
    for (size_t i = 0; i < n; ++i)
        if (w.recs[i].data != s.recs[i].data || w.recs[i].dwType != s.recs[i].dwType ||
            w.recs[i].dwVersion != s.recs[i].dwVersion)
            return ::testing::AssertionFailure() << "record " << i << " differs";
    return ::testing::AssertionSuccess();
}

std::string SystemText(DWORD dwCode)
{
    char sz[520] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwCode, 0, sz, sizeof(sz), NULL);
    return sz;
}

class RecDamage : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = harness::TempDir();
        m_path = m_dir + "damaged.rec";
        m_sample = MakeSample();
    }
    void TearDown() override { harness::RemoveTree(m_dir); }
    Walk WalkBytes(const std::string& bytes)
    {
        harness::WriteFileBytes(m_path, bytes);
        return WalkFile(m_path);
    }
    std::string m_dir, m_path;
    Sample m_sample;
};

}  // namespace

TEST_F(RecDamage, TheSoundSampleWalksWhole)
{
    Walk w = WalkBytes(m_sample.bytes);
    EXPECT_TRUE(w.bOpened);
    EXPECT_EQ(w.dwEnd, (DWORD)ERROR_HANDLE_EOF);
    EXPECT_TRUE(IntactPrefix(w, m_sample, m_sample.recs.size()));
}

TEST_F(RecDamage, TruncatedAtEveryOffset)
{
    const std::string& bytes = m_sample.bytes;
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        Walk w = WalkBytes(bytes.substr(0, cut));
        if (cut < 43 + m_sample.headerRecLength) {
            EXPECT_FALSE(w.bOpened) << cut;
            EXPECT_EQ(w.dwEnd, (DWORD)ERROR_BAD_FORMAT) << cut;
            continue;
        }
        size_t nWhole = 0;
        DWORD dwExpected = ERROR_HANDLE_EOF;   // a cut at or inside a header ends the walk
        for (const Sample::Rec& r : m_sample.recs) {
            size_t end = r.offset + 20 + r.data.size();
            if (end <= cut)
                ++nWhole;
            else if (cut >= r.offset + 20)
                dwExpected = ERROR_SEEK;       // the record reaches past the end of the file
        }
        EXPECT_EQ(w.dwEnd, dwExpected) << cut;
        EXPECT_TRUE(IntactPrefix(w, m_sample, nWhole)) << cut;
    }
}

TEST_F(RecDamage, EveryByteFlipped)
{
    const std::string& bytes = m_sample.bytes;
    for (int mask : { 0x01, 0xFF }) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            std::string bad = bytes;
            bad[i] ^= (char)mask;
            Walk w = WalkBytes(bad);
            SCOPED_TRACE("offset " + std::to_string(i) + " mask " + std::to_string(mask));
            if (i < 43 + m_sample.headerRecLength) {
                // Marker, type and version of the header record are outside every check.
                if (i >= 43 && i < 55) {
                    EXPECT_EQ(w.dwEnd, (DWORD)ERROR_HANDLE_EOF);
                    EXPECT_TRUE(IntactPrefix(w, m_sample, m_sample.recs.size()));
                } else {
                    EXPECT_FALSE(w.bOpened);
                    EXPECT_EQ(w.dwEnd, (DWORD)ERROR_BAD_FORMAT);
                }
                continue;
            }
            size_t r = m_sample.recs.size();
            while (i < m_sample.recs[r - 1].offset)
                --r;
            size_t pos = i - m_sample.recs[--r].offset;
            if (pos >= 4 && pos < 12) {
                // A record's type and version are the writer's words, under no checksum: the
                // data still reads back whole and only that word differs.
                EXPECT_EQ(w.dwEnd, (DWORD)ERROR_HANDLE_EOF);
                ASSERT_EQ(w.recs.size(), m_sample.recs.size());
                EXPECT_EQ(w.recs[r].data, m_sample.recs[r].data);
                EXPECT_TRUE(w.recs[r].dwType != m_sample.recs[r].dwType ||
                            w.recs[r].dwVersion != m_sample.recs[r].dwVersion);
                continue;
            }
            EXPECT_TRUE(IntactPrefix(w, m_sample, r));
            if (pos < 4)
                EXPECT_EQ(w.dwEnd, (DWORD)ERROR_SEEK);
            else if (pos < 16)
                EXPECT_TRUE(w.dwEnd == ERROR_SEEK || w.dwEnd == ERROR_CRC) << w.dwEnd;
            else
                EXPECT_EQ(w.dwEnd, (DWORD)ERROR_CRC);
        }
    }
}

TEST_F(RecDamage, ImpossibleLengthsEndTheWalkAtOnce)
{
    const std::string& bytes = m_sample.bytes;
    const DWORD adwLength[] = { 0xFFFFFFFF, 0xFFFFFFEC, (DWORD)bytes.size() - 1 };
    for (DWORD dwLength : adwLength) {
        std::string bad = bytes;
        PatchDword(bad, 43 + 12, dwLength);
        Walk w = WalkBytes(bad);
        EXPECT_FALSE(w.bOpened) << dwLength;
        EXPECT_EQ(w.dwEnd, (DWORD)ERROR_BAD_FORMAT) << dwLength;
        for (size_t r = 0; r < m_sample.recs.size(); ++r) {
            bad = bytes;
            PatchDword(bad, m_sample.recs[r].offset + 12, dwLength);
            w = WalkBytes(bad);
            EXPECT_EQ(w.dwEnd, (DWORD)ERROR_SEEK) << dwLength << " in record " << r;
            EXPECT_TRUE(IntactPrefix(w, m_sample, r)) << dwLength << " in record " << r;
        }
    }
}

TEST_F(RecDamage, ATypeFilterDoesNotLoopOnALengthThatPointsBack)
{
    // 0xFFFFFFEC is -20: in 32 bits the next record would be this one again.
    std::string bad = m_sample.bytes;
    PatchDword(bad, m_sample.recs[0].offset + 12, 0xFFFFFFEC);
    harness::WriteFileBytes(m_path, bad);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.FindNextRec(99));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
}

// ---------------------------------------------------------------------------------------------
// Verify

TEST_F(RecDamage, VerifyPassesASoundFileSilentlyAndClosesIt)
{
    // A record of several reading pieces, and one of none.
    CRecFile w(FALSE);
    ASSERT_TRUE(w.Create(m_path.c_str(), 8, 1, "big"));
    std::string big(200001, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (char)(i * 31 + i / 251);
    ASSERT_TRUE(w.WriteRec(1, 1, (DWORD)big.size(), big.data()));
    ASSERT_TRUE(w.WriteRec(2, 1, 0, NULL));
    ASSERT_TRUE(w.Close());

    MsgBoxCatcher catcher;
    CRecFile f(FALSE);
    EXPECT_TRUE(f.Verify(m_path.c_str(), 8));
    EXPECT_EQ(catcher.Count(), 0u);
    HANDLE h = CreateFileA(m_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);   // closed again
    CloseHandle(h);
    // The throw flag is as before: still quiet.
    EXPECT_FALSE(f.ReadRecEnd());
    EXPECT_TRUE(f.Verify(m_path.c_str(), 0xFFFFFFFF));
}

TEST_F(RecDamage, VerifyShowsWhatIsWrongAndReturnsFalse)
{
    struct Case {
        const char* name;
        std::string bytes;
        DWORD dwType;
        DWORD dwCode;
    };
    std::string flipped = m_sample.bytes;
    flipped[m_sample.recs[2].offset + 40] ^= 0x10;
    std::string looping = m_sample.bytes;
    PatchDword(looping, m_sample.recs[1].offset + 12, 0xFFFFFFEC);
    // A record of no data still has a checksum, and it must be 0.
    std::string emptyBadSum = m_sample.bytes;
    PatchDword(emptyBadSum, m_sample.recs[1].offset + 16, 1);
    // A header cut off by the end of the file is a broken chain, not an end.
    std::string cutHeader = m_sample.bytes.substr(0, m_sample.recs[2].offset + 7);
    const Case cases[] = {
        { "data byte", flipped, 12, ERROR_CRC },
        { "length -20", looping, 12, ERROR_SEEK },
        { "empty record's checksum", emptyBadSum, 12, ERROR_CRC },
        { "header cut", cutHeader, 12, ERROR_SEEK },
        { "file type", m_sample.bytes, 13, ERROR_BAD_FORMAT },
    };
    for (const Case& c : cases) {
        harness::WriteFileBytes(m_path, c.bytes);
        MsgBoxCatcher catcher;
        CRecFile f;   // throwing: Verify catches its own exceptions and then restores the flag
        EXPECT_FALSE(f.Verify(m_path.c_str(), c.dwType)) << c.name;
        ASSERT_EQ(catcher.Count(), 1u) << c.name;
        EXPECT_EQ(catcher.Last().caption, "Verify Failed") << c.name;
        EXPECT_EQ(catcher.Last().text, SystemText(c.dwCode)) << c.name;
        EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONHAND) << c.name;
        bool bThrown = false;
        try {
            f.ReadRecEnd();
        } catch (CFileException* e) {
            bThrown = true;
            e->Delete();
        }
        EXPECT_TRUE(bThrown) << c.name;
    }
}
