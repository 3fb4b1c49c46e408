// bexrec: a look inside record files, for support engineers.
//
//   bexrec info FILE          the header record's values and the number of records
//   bexrec dump FILE          every record: offset, type, version, length, checksum, a preview
//   bexrec verify FILE        reads everything; exit code 0 sound, 1 damaged (with the reason)
//   bexrec crc FILE           CRC-16 of the file's head (as CrcFileCalc) and of the whole file
//   bexrec create FILE TYPE VERSION DESCRIPTION [RECTYPE:RECVERSION:TEXT]...
//   bexrec read FILE OFFSET   the data of the record at OFFSET (as dump shows it), raw
//
// Nothing is shown in a box: the library is used without its throw flag and its boxes are kept
// out of the way. What is wrong goes to standard error. Exit code 1 means damage was found,
// 2 that the command line or the file could not be used at all. --help shows this usage.
#include "BexLib32.h"
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const DWORD cbPiece = 0x10000;

// On standard output when asked for, else on standard error as the answer to a bad command line.
int Usage(FILE* pOut)
{
    fprintf(pOut, "usage: bexrec info FILE\n"
                  "       bexrec dump FILE\n"
                  "       bexrec verify FILE\n"
                  "       bexrec crc FILE\n"
                  "       bexrec create FILE TYPE VERSION DESCRIPTION [RECTYPE:RECVERSION:TEXT]...\n"
                  "       bexrec read FILE OFFSET\n");
    return pOut == stdout ? 0 : 2;
}

std::string SystemText(DWORD dwCode)
{
    char sz[512] = {};
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwCode, 0, sz,
                        sizeof(sz), NULL))
        sprintf(sz, "error %lu", dwCode);
    std::string s = sz;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

// What a record file's error codes mean to someone looking at the file.
std::string Reason(DWORD dwCode)
{
    switch (dwCode) {
    case ERROR_BAD_FORMAT:
        return "not a record file: the identification or the header record is damaged";
    case ERROR_CRC:
        return "a record's data does not match its checksum";
    case ERROR_SEEK:
        return "broken record chain: a record header is damaged or the file is cut short";
    default:
        return SystemText(dwCode);
    }
}

std::string HexPreview(const std::string& bytes, DWORD dwLength)
{
    std::string hex, text;
    char sz[4];
    for (unsigned char b : bytes) {
        sprintf(sz, "%02X ", b);
        hex += sz;
        text += b >= 0x20 && b < 0x7F ? (char)b : '.';
    }
    hex.resize(48, ' ');
    return hex + "|" + text + (dwLength > bytes.size() ? "..." : "") + "|";
}

// Reads the current record's data through one buffer; keeps its first bytes as a preview.
bool ReadInPieces(CRecFile& file, std::vector<BYTE>& buf, std::string* pPreview)
{
    CRecFile::tagRECHDR hdr;
    if (!file.ReadRecBegin(&hdr))
        return false;
    DWORD dwLeft = hdr.dwDataLength;
    do {
        DWORD cb = dwLeft < buf.size() ? dwLeft : (DWORD)buf.size();
        if (!file.ReadRecData(buf.data(), cb))
            return false;
        if (pPreview->size() < 16)
            pPreview->append((const char*)buf.data(), cb < 16 - pPreview->size() ? cb : 16 - pPreview->size());
        dwLeft -= cb;
    } while (dwLeft);
    return file.ReadRecEnd();
}

typedef void (*PFNRECORD)(DWORD dwOffset, const CRecFile::tagRECHDR& hdr, const std::string& preview);

struct WalkResult {
    DWORD dwCode = 0;       // the error that stopped the walk, or 0
    DWORD dwOffset = 0;     // where it stopped: the record at fault, or the end of the last one
    int nRecords = 0;       // after the header record
    std::string reason;     // empty for a sound file
};

// Walks the records from the header record on, reading each one's data when asked to, and
// says what is wrong, if anything: also a walk that ends short of the end of the file.
WalkResult Walk(CRecFile& file, const char* pszFile, bool bRead, PFNRECORD pfnRecord)
{
    WalkResult w;
    if (!file.Open(pszFile, 0xFFFFFFFF) || !file.Rewind()) {
        w.dwCode = GetLastError();
        w.reason = Reason(w.dwCode);
        return w;
    }
    std::vector<BYTE> buf(bRead ? cbPiece : 0);
    w.dwOffset = sizeof(CRecFile::m_szFileID);
    for (bool bHeaderRecord = true; file.FindNextRec(); bHeaderRecord = false) {
        CRecFile::tagRECHDR hdr = *file.GetRecHdr();
        std::string preview;
        bool bSound = !bRead || ReadInPieces(file, buf, &preview);
        if (pfnRecord)
            pfnRecord(w.dwOffset, hdr, preview);
        if (!bSound)
            break;
        w.dwOffset += sizeof(hdr) + hdr.dwDataLength;
        w.nRecords += bHeaderRecord ? 0 : 1;
    }
    w.dwCode = GetLastError();
    if (w.dwCode != ERROR_HANDLE_EOF) {
        w.reason = Reason(w.dwCode);
        return w;
    }
    w.dwCode = 0;
    WIN32_FILE_ATTRIBUTE_DATA fad;
    if (GetFileAttributesExA(pszFile, GetFileExInfoStandard, &fad) && fad.nFileSizeLow != w.dwOffset)
        w.reason = "the file ends inside a record header";
    return w;
}

void PrintDumpLine(DWORD dwOffset, const CRecFile::tagRECHDR& hdr, const std::string& preview)
{
    printf("0x%08lX  %-10lu  %-10lu  %-10lu  0x%08lX  %s\n", dwOffset, hdr.dwRecType, hdr.dwRecVersion,
           hdr.dwDataLength, hdr.dwChecksum, HexPreview(preview, hdr.dwDataLength).c_str());
}

int Info(const char* pszFile)
{
    CRecFile file(FALSE);
    WalkResult w = Walk(file, pszFile, false, NULL);
    if (w.dwOffset == 0) {
        fprintf(stderr, "bexrec: %s: %s\n", pszFile, w.reason.c_str());
        return w.dwCode == ERROR_BAD_FORMAT ? 1 : 2;
    }
    // Opened again: a walk that failed has closed the file, and its values with it.
    file.Close();
    file.Open(pszFile, 0xFFFFFFFF);
    DWORD dwType, dwVersion;
    CString strTime;
    file.GetFileType(dwType);
    file.GetVersion(dwVersion);
    file.GetCreationTime(strTime);
    printf("file         %s\nfile type    %lu\nversion      %lu\ncreated      %s\ndescription  %s\n"
           "records      %d after the header record, %lu bytes\n",
           pszFile, dwType, dwVersion, (LPCSTR)strTime, file.GetDesc(), w.nRecords, w.dwOffset);
    fflush(stdout);
    if (!w.reason.empty())
        fprintf(stderr, "bexrec: %s: then %s, at offset 0x%08lX\n", pszFile, w.reason.c_str(), w.dwOffset);
    return w.reason.empty() ? 0 : 1;
}

int Dump(const char* pszFile)
{
    CRecFile file(FALSE);
    printf("offset      type        version     length      checksum    data\n");
    WalkResult w = Walk(file, pszFile, true, PrintDumpLine);
    if (w.reason.empty())
        return 0;
    fflush(stdout);
    fprintf(stderr, "bexrec: %s: %s, at offset 0x%08lX\n", pszFile, w.reason.c_str(), w.dwOffset);
    return w.dwOffset == 0 && w.dwCode != ERROR_BAD_FORMAT ? 2 : 1;
}

int Verify(const char* pszFile)
{
    CRecFile file(FALSE);
    WalkResult w = Walk(file, pszFile, true, NULL);
    if (w.reason.empty()) {
        printf("%s: sound: the header record and %d records, %lu bytes\n", pszFile, w.nRecords, w.dwOffset);
        return 0;
    }
    if (w.dwOffset == 0 && w.dwCode != ERROR_BAD_FORMAT) {
        fprintf(stderr, "bexrec: %s: cannot be read: %s\n", pszFile, w.reason.c_str());
        return 2;
    }
    fprintf(stderr, "bexrec: %s: damaged: %s, at offset 0x%08lX\n", pszFile, w.reason.c_str(), w.dwOffset);
    return 1;
}

int Crc(const char* pszFile)
{
    // Opened here first, so that CrcFileCalc meets no failure it would show in a box.
    HANDLE hFile = CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "bexrec: %s: %s\n", pszFile, SystemText(GetLastError()).c_str());
        return 2;
    }
    std::vector<BYTE> buf(cbPiece);
    WORD wWhole = 0;
    DWORD cbRead;
    while (ReadFile(hFile, buf.data(), (DWORD)buf.size(), &cbRead, NULL) && cbRead)
        wWhole = CrcCalc(wWhole, buf.data(), cbRead);
    CloseHandle(hFile);
    printf("head   0x%04X  (CrcFileCalc: the first 1024 bytes, up to a NUL)\n", CrcFileCalc(NULL, pszFile));
    printf("whole  0x%04X  (CRC-16/XMODEM of every byte)\n", wWhole);
    return 0;
}

int Create(int argc, char** argv)
{
    CRecFile file(FALSE);
    if (!file.Create(argv[2], strtoul(argv[3], NULL, 0), strtoul(argv[4], NULL, 0), argv[5])) {
        fprintf(stderr, "bexrec: %s: %s\n", argv[2], SystemText(GetLastError()).c_str());
        return 2;
    }
    for (int i = 6; i < argc; ++i) {
        char* pszEnd;
        DWORD dwType = strtoul(argv[i], &pszEnd, 0);
        DWORD dwVersion = *pszEnd == ':' ? strtoul(pszEnd + 1, &pszEnd, 0) : 0;
        if (*pszEnd != ':') {
            fprintf(stderr, "bexrec: '%s' is not RECTYPE:RECVERSION:TEXT\n", argv[i]);
            return 2;
        }
        DWORD dwOffset = file.GetRecFilePointer();
        if (!file.WriteRec(dwType, dwVersion, (DWORD)strlen(pszEnd + 1), pszEnd + 1)) {
            fprintf(stderr, "bexrec: %s: %s\n", argv[2], SystemText(GetLastError()).c_str());
            return 2;
        }
        printf("0x%08lX  record type %lu version %lu, %u bytes\n", dwOffset, dwType, dwVersion,
               (unsigned)strlen(pszEnd + 1));
    }
    if (!file.Close()) {
        fprintf(stderr, "bexrec: %s: %s\n", argv[2], SystemText(GetLastError()).c_str());
        return 2;
    }
    return 0;
}

int Read(const char* pszFile, const char* pszOffset)
{
    CRecFile file(FALSE);
    if (!file.Open(pszFile, 0xFFFFFFFF) || !file.SeekToRecord(strtoul(pszOffset, NULL, 0))) {
        DWORD dwCode = GetLastError();
        fprintf(stderr, "bexrec: %s: %s\n", pszFile,
                dwCode == ERROR_HANDLE_EOF ? "no record there" : Reason(dwCode).c_str());
        return 1;
    }
    std::string data(file.GetRecHdr()->dwDataLength, '\0');
    if (!file.ReadRec(&data[0], (DWORD)data.size())) {
        fprintf(stderr, "bexrec: %s: %s\n", pszFile, Reason(GetLastError()).c_str());
        return 1;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(data.data(), 1, data.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        return Usage(stdout);
    if (argc < 3)
        return Usage(stderr);
    std::string verb = argv[1];
    if (verb == "info" && argc == 3)
        return Info(argv[2]);
    if (verb == "dump" && argc == 3)
        return Dump(argv[2]);
    if (verb == "verify" && argc == 3)
        return Verify(argv[2]);
    if (verb == "crc" && argc == 3)
        return Crc(argv[2]);
    if (verb == "create" && argc >= 6)
        return Create(argc, argv);
    if (verb == "read" && argc == 4)
        return Read(argv[2], argv[3]);
    return Usage(stderr);
}
