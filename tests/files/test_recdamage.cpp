// Damaged record files: every truncation, every flipped byte and impossible lengths must end
// in a documented error or a clean end of the walk, never in a crash, a hang, or damaged data
// handed out as sound. Verify shows what is wrong in its box.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using namespace recbytes;

namespace {

class RecDamage : public testing::Test {
protected:
    void SetUp() override { m_path = (m_dir = harness::TempDir()) + "damaged.rec"; }
    void TearDown() override { harness::RemoveTree(m_dir); }

    // Writes the bytes and reads every record as an application would, without the throw
    // flag. Returns ERROR_HANDLE_EOF after a clean end, else the error that stopped the walk.
    DWORD Walk(const std::string& bytes, std::vector<Sample::Rec>* pRecs)
    {
        harness::WriteFileBytes(m_path, bytes);
        pRecs->clear();
        CRecFile f(FALSE);
        if (!f.Open(m_path.c_str(), 0xFFFFFFFF))
            return GetLastError();
        while (f.FindNextRec()) {
            CRecFile::tagRECHDR hdr = *f.GetRecHdr();
            std::string data(hdr.dwDataLength, '\0');
            if (!f.ReadRec(&data[0], hdr.dwDataLength))
                break;
            pRecs->push_back({ hdr.dwRecType, hdr.dwRecVersion, data, 0 });
        }
        return GetLastError();
    }

    // Exactly the first n records of the sample.
    ::testing::AssertionResult Read(const std::vector<Sample::Rec>& recs, size_t n)
    {
        if (recs.size() != n)
            return ::testing::AssertionFailure() << recs.size() << " records read, " << n << " expected";
        for (size_t i = 0; i < n; ++i)
            if (recs[i].data != m_sample.recs[i].data || recs[i].dwType != m_sample.recs[i].dwType ||
                recs[i].dwVersion != m_sample.recs[i].dwVersion)
                return ::testing::AssertionFailure() << "record " << i << " differs";
        return ::testing::AssertionSuccess();
    }

    std::string m_dir, m_path;
    Sample m_sample = MakeSample();
};

}  // namespace

TEST_F(RecDamage, TruncatedAtEveryOffset)
{
    std::vector<Sample::Rec> recs;
    for (size_t cut = 0; cut <= m_sample.bytes.size(); ++cut) {
        DWORD dwEnd = Walk(m_sample.bytes.substr(0, cut), &recs);
        if (cut < m_sample.headEnd) {
            EXPECT_EQ(dwEnd, (DWORD)ERROR_BAD_FORMAT) << cut;
            continue;
        }
        // A cut at or inside a record header ends the walk; inside the data it breaks the chain.
        size_t nWhole = 0;
        DWORD dwExpected = ERROR_HANDLE_EOF;
        for (const Sample::Rec& r : m_sample.recs) {
            if (r.offset + 20 + r.data.size() <= cut)
                ++nWhole;
            else if (cut >= r.offset + 20)
                dwExpected = ERROR_SEEK;
        }
        EXPECT_EQ(dwEnd, dwExpected) << cut;
        EXPECT_TRUE(Read(recs, nWhole)) << cut;
    }
}

TEST_F(RecDamage, EveryByteFlipped)
{
    std::vector<Sample::Rec> recs;
    for (char mask : { '\x01', '\xFF' }) {
        for (size_t i = 0; i < m_sample.bytes.size(); ++i) {
            std::string bad = m_sample.bytes;
            bad[i] ^= mask;
            DWORD dwEnd = Walk(bad, &recs);
            SCOPED_TRACE("offset " + std::to_string(i) + " mask " + std::to_string((BYTE)mask));
            // Under no check: the header record's marker, type and version, and each record's
            // type and version, the writer's own words. Damage there changes no data.
            bool bUnchecked = i >= 43 && i < 55;
            size_t r = 0;
            while (r + 1 < m_sample.recs.size() && i >= m_sample.recs[r + 1].offset)
                ++r;
            if (i >= m_sample.headEnd)
                bUnchecked = i - m_sample.recs[r].offset >= 4 && i - m_sample.recs[r].offset < 12;
            if (dwEnd == ERROR_HANDLE_EOF) {
                EXPECT_TRUE(bUnchecked);
                ASSERT_EQ(recs.size(), m_sample.recs.size());
                for (size_t n = 0; n < recs.size(); ++n)
                    EXPECT_EQ(recs[n].data, m_sample.recs[n].data);
            } else {
                EXPECT_TRUE(dwEnd == ERROR_BAD_FORMAT || dwEnd == ERROR_CRC || dwEnd == ERROR_SEEK) << dwEnd;
                EXPECT_TRUE(Read(recs, i < m_sample.headEnd ? 0 : r));
            }
        }
    }
}

TEST_F(RecDamage, ImpossibleLengthsEndTheWalkAtOnce)
{
    std::vector<Sample::Rec> recs;
    // 0xFFFFFFEC is -20: in 32 bits the next record would be this one again, for ever.
    for (DWORD dwLength : std::initializer_list<DWORD>{ 0xFFFFFFFF, 0xFFFFFFEC, (DWORD)m_sample.bytes.size() - 1 }) {
        std::string bad = m_sample.bytes;
        PatchDword(bad, 43 + 12, dwLength);
        EXPECT_EQ(Walk(bad, &recs), (DWORD)ERROR_BAD_FORMAT) << dwLength;
        for (size_t r = 0; r < m_sample.recs.size(); ++r) {
            bad = m_sample.bytes;
            PatchDword(bad, m_sample.recs[r].offset + 12, dwLength);
            EXPECT_EQ(Walk(bad, &recs), (DWORD)ERROR_SEEK) << dwLength << " in record " << r;
            EXPECT_TRUE(Read(recs, r)) << dwLength << " in record " << r;
            // Also when searching for a type that is not there
            CRecFile f(FALSE);
            ASSERT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));
            EXPECT_FALSE(f.FindNextRec(99));
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
        }
    }
}

TEST_F(RecDamage, VerifyPassesASoundFileSilently)
{
    // A record of several reading pieces, and one of none
    CRecFile w(FALSE);
    std::string big(200001, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (char)(i * 31 + i / 251);
    ASSERT_TRUE(w.Create(m_path.c_str(), 8, 1, "big") && w.WriteRec(1, 1, (DWORD)big.size(), big.data()) &&
                w.WriteRec(2, 1, 0, NULL) && w.Close());
    harness::MsgBoxCatcher catcher;
    CRecFile f(FALSE);
    EXPECT_TRUE(f.Verify(m_path.c_str(), 8));
    EXPECT_EQ(catcher.Count(), 0u);
    EXPECT_FALSE(f.ReadRecEnd());   // closed again, and still quiet
    EXPECT_TRUE(f.Verify(m_path.c_str(), 0xFFFFFFFF));
}

TEST_F(RecDamage, VerifyShowsWhatIsWrongAndReturnsFalse)
{
    Sample& s = m_sample;
    std::string flipped = s.bytes, looping = s.bytes, emptyBadSum = s.bytes;
    flipped[s.recs[2].offset + 40] ^= 0x10;
    PatchDword(looping, s.recs[1].offset + 12, 0xFFFFFFEC);
    // A record of no data has a checksum too, and it must be 0.
    PatchDword(emptyBadSum, s.recs[1].offset + 16, 1);
    const struct {
        const char* name;
        std::string bytes;
        DWORD dwType, dwCode;
    } cases[] = {
        { "data byte", flipped, 12, ERROR_CRC },
        { "length -20", looping, 12, ERROR_SEEK },
        { "empty record's checksum", emptyBadSum, 12, ERROR_CRC },
        // A header cut off by the end of the file is a broken chain, not the end.
        { "header cut", s.bytes.substr(0, s.recs[2].offset + 7), 12, ERROR_SEEK },
        { "file type", s.bytes, 13, ERROR_BAD_FORMAT },
    };
    for (const auto& c : cases) {
        harness::WriteFileBytes(m_path, c.bytes);
        char szText[520] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, c.dwCode, 0, szText,
                       sizeof(szText), NULL);
        harness::MsgBoxCatcher catcher;
        CRecFile f;   // throwing: Verify catches its own exceptions, then restores the flag
        EXPECT_FALSE(f.Verify(m_path.c_str(), c.dwType)) << c.name;
        ASSERT_EQ(catcher.Count(), 1u) << c.name;
        EXPECT_EQ(catcher.Last().caption, "Verify Failed") << c.name;
        EXPECT_EQ(catcher.Last().text, szText) << c.name;
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

TEST_F(RecDamage, BexrecVerifyAnswersWithItsExitCode)
{
    std::string tool = "\"" + harness::ModuleDir() + "bexrec.exe\" verify \"" + m_path + "\"";
    harness::WriteFileBytes(m_path, m_sample.bytes);
    harness::ChildResult r = harness::RunProgram(tool);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("sound: the header record and 3 records"), std::string::npos) << r.output;
    harness::WriteFileBytes(m_path, m_sample.bytes.substr(0, m_sample.recs[2].offset + 7));
    r = harness::RunProgram(tool);
    EXPECT_EQ(r.exitCode, 1u) << r.output;
    EXPECT_NE(r.output.find("damaged: the file ends inside a record header"), std::string::npos) << r.output;
}
