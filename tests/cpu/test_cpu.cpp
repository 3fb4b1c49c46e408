// CPU type, subtype and firmware features from identification texts.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

namespace {

struct Decoded {
    int nVersion, nType, nSubType;
};

Decoded Decode(const char* pszCpuID)
{
    Decoded d = { 99, 99, 99 };
    VekGetCpuTypeSubType(pszCpuID, &d.nVersion, &d.nType, &d.nSubType);
    return d;
}

}  // namespace

TEST(VekGetCpuTypeSubType, ClassifiesTheModelCode)
{
    struct { const char* psz; int nVersion, nType, nSubType; } cases[] = {
        { "V2M15002" "3", 3, 2, 15 },
        { "V4M04001" "1", 1, 4, 4 },
        { "V6M5x004" "0", 0, 5, 5 },     // the 6 family's subtype 5 is a type 5
        { "V6M2x009" "6", 6, 6, 2 },
        { "R1C12001" "2", 2, 8, 12 },
        { "V7L03001" "0", 0, 7, 3 },
        { "V1234001" "0", 0, 7, 234 },   // "V1" without the 'M'
        { "V1M17010" "0", 0, 1, 17 },    // ...which the 'M' rule takes first
        { "X2M15002" "0", 0, -1, -1 },
        { "r1c12001" "0", 0, -1, -1 },   // model codes are case-sensitive
    };
    for (const auto& c : cases) {
        Decoded d = Decode(c.psz);
        EXPECT_EQ(d.nVersion, c.nVersion) << c.psz;
        EXPECT_EQ(d.nType, c.nType) << c.psz;
        EXPECT_EQ(d.nSubType, c.nSubType) << c.psz;
    }
}

TEST(VekGetCpuTypeSubType, AVersionDigitOutsideZeroToSixIsZero)
{
    for (const char* psz : { "V2M150027", "V2M15002/", "V2M15002a", "V2M15002\xB3" })
        EXPECT_EQ(Decode(psz).nVersion, 0) << psz;
}

TEST(VekGetCpuTypeSubType, OutputsPassedAsNullAreSkipped)
{
    int nType = 0;
    VekGetCpuTypeSubType("R1C12001", NULL, &nType, NULL);
    EXPECT_EQ(nType, 8);
}

TEST(VekGetFwFeaturesEx, WorkedExamples)
{
    EXPECT_EQ(VekGetFwFeaturesEx("V2M150020"), 0x18u);
    EXPECT_EQ(VekGetFwFeaturesEx("V2M150B00"), 0x3Fu);
    EXPECT_EQ(VekGetFwFeaturesEx("V6M5x0040"), 0x3Fu);
    EXPECT_EQ(VekGetFwFeaturesEx("V6M5x#040"), 0x3Fu);    // '#': only its last two characters count
    EXPECT_EQ(VekGetFwFeaturesEx("V6M2xFFF0") & 0x24u, 0u);
    EXPECT_EQ(VekGetFwFeaturesEx("R1C120010"), 0x3Fu);
    EXPECT_EQ(VekGetFwFeaturesEx("X9Z000000"), 0xFFFFFFFFu);
}

TEST(VekGetFwFeaturesEx, ThresholdsAreInclusiveAndCaseInsensitive)
{
    // Type 4, subtype 3: bit 2 needs 00D (or C5 in the letter-led scheme).
    EXPECT_TRUE(VekGetFwFeaturesEx("V4M0300D0") & 0x04);
    EXPECT_TRUE(VekGetFwFeaturesEx("V4M0300d0") & 0x04);
    EXPECT_FALSE(VekGetFwFeaturesEx("V4M0300C0") & 0x04);
    EXPECT_TRUE(VekGetFwFeaturesEx("V4M03AC50") & 0x04);
    EXPECT_TRUE(VekGetFwFeaturesEx("V4M03Ac50") & 0x04);
    EXPECT_FALSE(VekGetFwFeaturesEx("V4M03AC40") & 0x04);
    // Type 4 bit 0 depends on the version digit: 001 is enough only for digit 1.
    EXPECT_TRUE(VekGetFwFeaturesEx("V4M030011") & 0x01);
    EXPECT_FALSE(VekGetFwFeaturesEx("V4M030012") & 0x01);
    // Subtype 17 and above leaves type 4's bits 0 to 5 alone.
    EXPECT_EQ(VekGetFwFeaturesEx("V4M170000") & 0x3F, 0x3Fu);
}

TEST(VekGetFwFeaturesEx, TheHighBitsOfTypesTwoThreeAndFour)
{
    EXPECT_EQ(VekGetFwFeaturesEx("V3M000000"), 0xFFu);
    EXPECT_EQ(VekGetFwFeaturesEx("V2M480000") & 0xC0, 0xC0u);
    EXPECT_EQ(VekGetFwFeaturesEx("V2M170100") & 0xC0, 0x40u);
    EXPECT_EQ(VekGetFwFeaturesEx("V2M1700F0") & 0xC0, 0x00u);
    // The letter-led threshold of bit 6 is '0' and the byte 0xA6, compared unsigned:
    // 'z' (0x7A) orders below it, 0xB0 above.
    EXPECT_EQ(VekGetFwFeaturesEx("V4M17A0z0") & 0x40, 0x00u);
    EXPECT_EQ(VekGetFwFeaturesEx("V4M17A0\xB0" "0") & 0x40, 0x40u);
    EXPECT_EQ(VekGetFwFeaturesEx("V4M17A100") & 0x40, 0x40u);
}

TEST(VekGetFwFeaturesEx, TypeSixSubtypeThreeKeepsBitsTwoAndFiveByFirmware)
{
    EXPECT_EQ(VekGetFwFeaturesEx("V6M3x0300"), 0x3Fu);
    EXPECT_EQ(VekGetFwFeaturesEx("V6M3x0290"), 0x1Fu);
    EXPECT_EQ(VekGetFwFeaturesEx("V6M3x0000"), 0x1Bu);
    EXPECT_EQ(VekGetFwFeaturesEx("V6M4x0000"), 0x1Fu);
}

TEST(CpuIdentification, ShortTextsAreReadNoFurtherThanTheirEnd)
{
    // Each text ends right before a no-access page: a read past its NUL faults.
    for (const char* psz : { "", "V", "V2M", "V2M15", "V2M150", "R1C1", "V6M5x00" }) {
        harness::GuardedBuffer text = harness::GuardedBuffer::Text(psz);
        Decoded d = Decode(text.Data());
        EXPECT_EQ(d.nVersion, 0) << psz;
        VekGetFwFeaturesEx(text.Data());
    }
    EXPECT_EQ(Decode("V2M15").nType, 2);
    EXPECT_EQ(Decode("V2M15").nSubType, 15);
    // Missing firmware passes no threshold.
    EXPECT_EQ(VekGetFwFeaturesEx("V2M15"), 0x18u);
    EXPECT_EQ(Decode(NULL).nType, -1);
    EXPECT_EQ(VekGetFwFeaturesEx(NULL), 0xFFFFFFFFu);
}
