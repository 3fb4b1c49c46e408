// CPU type, subtype and firmware features from a controller's identification text.
#include "Cpu.h"

#include <stdlib.h>
#include <string.h>

namespace {

const int cchModel = 5;
const int cchCpuID = 9;
const int ichFirmware = 5;
const int ichVersion = 8;

// The identification text as far as it is read, zero-padded: a short text (even an empty one)
// reads as NULs where its characters are missing, and nothing behind its end is touched.
struct CpuID
{
    explicit CpuID(LPCSTR pszCpuID)
    {
        memset(sz, 0, sizeof(sz));
        for (int i = 0; pszCpuID && i < cchCpuID && pszCpuID[i]; ++i)
            sz[i] = pszCpuID[i];
    }
    char sz[cchCpuID + 1];
};

struct CpuClass
{
    int nVersion;
    int nType;
    int nSubType;
};

CpuClass Classify(const CpuID& id)
{
    CpuClass cls = { 0, -1, -1 };
    // A signed char: a byte above 0x7F orders below '0' and is no digit.
    int nVersion = (signed char)id.sz[ichVersion];
    if (nVersion >= '0')
        nVersion -= '0';
    cls.nVersion = nVersion < 0 || nVersion > 6 ? 0 : nVersion;

    char szModel[cchModel + 1];
    memcpy(szModel, id.sz, cchModel);
    szModel[cchModel] = '\0';
    if (szModel[0] == 'V' && szModel[2] == 'M') {
        cls.nType = (signed char)szModel[1] - '0';
        if (cls.nType == 6) {
            // The 6 family's subtype is one digit; its subtype 5 is a type 5 CPU.
            cls.nSubType = (signed char)szModel[3] - '0';
            if (cls.nSubType == 5)
                cls.nType = 5;
        } else {
            cls.nSubType = atoi(szModel + 3);
        }
    } else if (strncmp(szModel, "R1C", 3) == 0) {
        cls.nType = 8;
        cls.nSubType = atoi(szModel + 3);
    } else if (strncmp(szModel, "V7L", 3) == 0) {
        cls.nType = 7;
        cls.nSubType = atoi(szModel + 3);
    } else if (strncmp(szModel, "V1", 2) == 0) {
        cls.nType = 7;
        cls.nSubType = atoi(szModel + 2);
    }
    return cls;
}

// Case-insensitive comparison of at most cch bytes, stopping at a NUL. Bytes compare unsigned and
// only A to Z are lowered, so a version's digits order before its letters, as hexadecimal does,
// whatever the code page.
int CompareVersion(const char* psz1, const char* psz2, int cch)
{
    for (int i = 0; i < cch; ++i) {
        unsigned char ch1 = (unsigned char)psz1[i];
        unsigned char ch2 = (unsigned char)psz2[i];
        if (ch1 >= 'A' && ch1 <= 'Z')
            ch1 += 'a' - 'A';
        if (ch2 >= 'A' && ch2 <= 'Z')
            ch2 += 'a' - 'A';
        if (ch1 != ch2)
            return ch1 - ch2;
        if (ch1 == '\0')
            break;
    }
    return 0;
}

// fw >= (t2, t3). A version led by a digit is three digits long and compares with t3; one led by
// '#' compares its last two with those of t3; one led by anything else (a letter of the old
// scheme) compares its last two with t2.
bool FirmwareAtLeast(const char* pszFw, const char* pszT2, const char* pszT3)
{
    if (pszFw[0] == '#')
        return CompareVersion(pszFw + 1, pszT3 + 1, 2) >= 0;
    if (pszFw[0] >= '0' && pszFw[0] <= '9')
        return CompareVersion(pszFw, pszT3, 3) >= 0;
    return CompareVersion(pszFw + 1, pszT2, 2) >= 0;
}

// Bit 6's two-character threshold is '0' followed by the byte 0xA6.
const char s_szBit6T2[] = "0\xA6";

}  // namespace

void BEXAPI VekGetCpuTypeSubType(LPCSTR pszCpuID, int* pnVersion, int* pnType, int* pnSubType)
{
    CpuClass cls = Classify(CpuID(pszCpuID));
    if (pnVersion)
        *pnVersion = cls.nVersion;
    if (pnType)
        *pnType = cls.nType;
    if (pnSubType)
        *pnSubType = cls.nSubType;
}

DWORD BEXAPI VekGetFwFeaturesEx(LPCSTR pszCpuID)
{
    CpuID id(pszCpuID);
    CpuClass cls = Classify(id);
    if (cls.nType < 0)
        return BEX_FWF_UNKNOWN;

    const char* fw = id.sz + ichFirmware;
    const int nSub = cls.nSubType;
    DWORD dwMask = 0x3F;
    // A feature the firmware is too old for is cleared.
    auto require = [&](DWORD dwBit, const char* pszT2, const char* pszT3) {
        if (!FirmwareAtLeast(fw, pszT2, pszT3))
            dwMask &= ~dwBit;
    };

    switch (cls.nType) {
    case 1:
        require(0x04, "15", "002");
        require(0x10, "31", "004");
        require(0x20, "63", "070");
        break;
    case 2:
        if (nSub < 17 && nSub != 2) {
            require(0x01, "26", "003");
            require(0x02, "25", "003");
            require(0x04, "42", "005");
        }
        if (nSub < 17) {
            if (nSub == 15)
                require(0x20, "94", "0B0");
            else
                require(0x20, "74", "080");
        }
        if (nSub >= 48)
            dwMask |= 0x40 | 0x80;
        else if (nSub == 17 && FirmwareAtLeast(fw, s_szBit6T2, "010"))
            dwMask |= 0x40;
        break;
    case 3:
        dwMask |= 0x40 | 0x80;
        break;
    case 4:
        if (nSub < 17) {
            if (cls.nVersion == 1)
                require(0x01, "0C", "001");
            else
                require(0x01, "4D", "005");
            if (nSub == 4)
                require(0x02, "09", "001");
            else
                require(0x02, "4C", "005");
            require(0x04, "C5", "00D");
            if (nSub != 4)
                require(0x20, "E0", "0E0");
        }
        if (nSub == 17 && FirmwareAtLeast(fw, s_szBit6T2, "010"))
            dwMask |= 0x40;
        break;
    case 5:
        require(0x01, "32", "004");
        require(0x02, "31", "004");
        break;
    case 6:
        if (nSub < 3) {
            require(0x01, "85", "009");
            require(0x02, "84", "009");
            dwMask &= ~0x04;
        } else if (nSub == 3) {
            require(0x04, "07", "001");
        }
        if (nSub == 3)
            require(0x20, "30", "030");
        else
            dwMask &= ~0x20;
        break;
    }
    return dwMask;
}
