// bexhello: a record file written and read back with its CRC-16 check values, on BexLib32.
//
//   bexhello FILE      writes FILE with three records, reads them back and compares each
//                      record's CRC-16 with the one computed before writing
//
// A file that cannot be written is reported with the library's own message text, the one its
// error boxes show. Exit code 0 when every record came back, 1 on failure, 2 for a bad command
// line.
#include "BexLib32.h"
#include <stdio.h>
#include <string.h>

static const char* const s_apszRecords[] = { "station=press speed=40", "alarm limits 10 90", "station=oven temp=180" };
static const int s_nRecords = sizeof(s_apszRecords) / sizeof(s_apszRecords[0]);

static WORD Crc(const void* pData, UINT nLength)
{
    return CrcCalc(0, pData, nLength);
}

// The CRecFile calls throw a CFileException* on failure (the default): the one catch below
// serves them all.
static int WriteAndReadBack(const char* pszFile)
{
    CRecFile file;
    file.Create(pszFile, 1, 1, "bexhello: three records");
    for (int i = 0; i < s_nRecords; ++i) {
        file.WriteRec(1, 1, (DWORD)strlen(s_apszRecords[i]), s_apszRecords[i]);
        printf("wrote record %d, CRC-16 0x%04X: %s\n", i + 1, Crc(s_apszRecords[i], (UINT)strlen(s_apszRecords[i])), s_apszRecords[i]);
    }
    file.Close();

    file.Open(pszFile, 1);
    int nSame = 0;
    for (int i = 0; i < s_nRecords && file.FindNextRec(1); ++i) {
        char szData[64] = "";
        DWORD cbData = file.GetRecHdr()->dwDataLength;
        if (cbData >= sizeof(szData))
            break;
        file.ReadRec(szData, cbData);
        nSame += Crc(szData, cbData) == Crc(s_apszRecords[i], (UINT)strlen(s_apszRecords[i]));
    }
    file.Close();
    printf("read back %d of %d records with the same CRC-16\n", nSame, s_nRecords);
    return nSame == s_nRecords ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf("usage: bexhello FILE\n");
        return 0;
    }
    if (argc != 2) {
        fprintf(stderr, "usage: bexhello FILE\n");
        return 2;
    }
    try {
        return WriteAndReadBack(argv[1]);
    } catch (CFileException* e) {
        // The library's text for this error, from its string table, formatted as its box would.
        char szFormat[256], szMessage[MAX_PATH + 256];
        fSString(IDS_BEX_CANNOTOPEN, szFormat, sizeof(szFormat));
        _snprintf(szMessage, sizeof(szMessage) - 1, szFormat, (LPCSTR)e->m_strFileName);
        szMessage[sizeof(szMessage) - 1] = '\0';
        fprintf(stderr, "bexhello: %s\n", szMessage);
        e->Delete();
        return 1;
    }
}
