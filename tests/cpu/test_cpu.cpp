// CPU type, subtype and firmware features from identification texts.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

TEST(VekGetCpuTypeSubType, ClassifiesTheModelCodeAndTheVersionDigit)
{
    struct { const char* psz; int nVersion, nType, nSubType; } cases[] = {
        { "V2M150023", 3, 2, 15 },   { "V6M5x0040", 0, 5, 5 },   // the 6 family's subtype 5 is a type 5
        { "R1C120012", 2, 8, 12 },   { "V12340010", 0, 7, 234 }, { "V1M170100", 0, 1, 17 },  // "V1" is type 7 only without the 'M'
        { "r1c120010", 0, -1, -1 },  { "V2M15002\xB3", 0, 2, 15 },
    };
    for (const auto& c : cases) {
        int nVersion = 99, nType = 99, nSubType = 99;
        VekGetCpuTypeSubType(c.psz, &nVersion, &nType, &nSubType);
        EXPECT_EQ(nVersion, c.nVersion) << c.psz;
        EXPECT_EQ(nType, c.nType) << c.psz;
        EXPECT_EQ(nSubType, c.nSubType) << c.psz;
    }
    int nType = 0;
    VekGetCpuTypeSubType("R1C12001", NULL, &nType, NULL);   // outputs passed as NULL are skipped
    EXPECT_EQ(nType, 8);
}

TEST(VekGetFwFeaturesEx, FeatureMasks)
{
    struct { const char* psz; DWORD dwMask, dwBits; } cases[] = {
        { "V2M150020", 0xFF, 0x18 },  { "V2M150B00", 0xFF, 0x3F },    // worked examples
        { "V6M5x#040", 0xFF, 0x3F },  { "X9Z000000", 0xFFFFFFFF, 0xFFFFFFFF },   // '#': its last two characters count
        // Thresholds are inclusive and ignore case, in both schemes.
        { "V4M0300d0", 0x04, 0x04 },  { "V4M0300C0", 0x04, 0x00 },  { "V4M03Ac50", 0x04, 0x04 },  { "V4M03AC40", 0x04, 0x00 },
        { "V4M030011", 0x01, 0x01 },  { "V4M030012", 0x01, 0x00 },    // 001 is enough for digit 1 only
        // Bit 6's letter-led threshold is '0' and the byte 0xA6, compared unsigned.
        { "V4M17A0z0", 0x40, 0x00 },  { "V4M17A0\xB0" "0", 0x40, 0x40 },
        { "V6M3x0300", 0xFF, 0x3F },  { "V6M3x0290", 0xFF, 0x1F },  { "V6M3x0000", 0xFF, 0x1B },
    };
    for (const auto& c : cases)
        EXPECT_EQ(VekGetFwFeaturesEx(c.psz) & c.dwMask, c.dwBits) << c.psz;
}

TEST(CpuIdentification, ShortTextsAreReadNoFurtherThanTheirEnd)
{
    // Each text ends right before a no-access page: a read past its NUL faults.
    for (const char* psz : { "", "V", "V2M", "V2M15", "V2M150", "R1C1", "V6M5x00" }) {
        harness::GuardedBuffer text = harness::GuardedBuffer::Text(psz);
        int nVersion = 99, nType, nSubType;
        VekGetCpuTypeSubType(text.Data(), &nVersion, &nType, &nSubType);
        EXPECT_EQ(nVersion, 0) << psz;
        VekGetFwFeaturesEx(text.Data());
    }
    // A model without firmware passes no threshold.
    EXPECT_EQ(VekGetFwFeaturesEx("V2M15"), 0x18u);
    EXPECT_EQ(VekGetFwFeaturesEx(NULL), 0xFFFFFFFFu);
}
