// DUNZIP32.dll: extracts and lists ZIP archives, inflating with zlib. The one entry point
// "dunzip" takes a DUNZIPCMD block (bexlib/archive/ZipBlocks.h).
//
// An archive comes from anywhere, so nothing in it is trusted: every offset and length is
// checked against the file before it is used, every entry's data against its CRC-32, and every
// name before a file is made of it. An entry that fails is not written; the others still are.
#include "ZipBlocks.h"
#include "ZipFormat.h"

#include <zlib.h>
#include <string.h>
#include <new>
#include <string>
#include <vector>

using namespace zipfmt;

namespace {

const DWORD CHUNK = 64 * 1024;

// One entry of the central directory.
struct ZipEntry {
    std::string strName;    // in the ANSI code page, '/'-separated as stored
    WORD wFlags;
    WORD wMethod;
    WORD wTime;
    WORD wDate;
    DWORD dwCrc;
    DWORD dwCompressed;
    DWORD dwSize;
    DWORD dwAttributes;
    DWORD dwOffset;         // of the local header
    DWORD dwIndex;
};

// The archive's central directory, and the entries' data on demand.
class CZipReader
{
public:
    CZipReader() : m_hFile(INVALID_HANDLE_VALUE), m_dwCentral(0) {}
    ~CZipReader() { Close(); }

    int Open(const std::string& strPath);
    void Close();
    const std::vector<ZipEntry>& Entries() const { return m_entries; }
    // Inflates the entry into hOut and checks it against the directory.
    int ExtractTo(const ZipEntry& entry, HANDLE hOut);

private:
    bool Read(ULONGLONG qwPos, void* pv, DWORD cb);
    static std::string DecodeName(const BYTE* p, WORD cb, WORD wFlags, WORD wMadeBy);

    HANDLE m_hFile;
    DWORD m_dwCentral;      // where entry data must end
    std::vector<ZipEntry> m_entries;
};

void CZipReader::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CZipReader::Read(ULONGLONG qwPos, void* pv, DWORD cb)
{
    LARGE_INTEGER li;
    li.QuadPart = (LONGLONG)qwPos;
    DWORD cbRead = 0;
    return SetFilePointerEx(m_hFile, li, NULL, FILE_BEGIN) && ReadFile(m_hFile, pv, cb, &cbRead, NULL) && cbRead == cb;
}

std::string CZipReader::DecodeName(const BYTE* p, WORD cb, WORD wFlags, WORD wMadeBy)
{
    std::string strRaw((const char*)p, cb), strName;
    if (IsAscii(strRaw))
        return strRaw;
    // Flagged names are UTF-8; unflagged ones from DOS and Windows makers are in the OEM code
    // page; other makers' are taken as UTF-8 when they are valid UTF-8, as they nowadays are.
    BYTE nHost = HIBYTE(wMadeBy);
    bool bOem = !(wFlags & FLAG_UTF8) && (nHost == 0 || nHost == 11 || nHost == 14);
    if (Recode(strRaw, bOem ? CP_OEMCP : CP_UTF8, CP_ACP, strName))
        return strName;
    return strRaw;
}

int CZipReader::Open(const std::string& strPath)
{
    Close();
    m_entries.clear();
    m_hFile = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return ZIPERR_FILE;
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(m_hFile, &liSize))
        return ZIPERR_FILE;
    ULONGLONG qwSize = (ULONGLONG)liSize.QuadPart;
    if (qwSize < END_SIZE)
        return ZIPERR_FORMAT;

    // The end record is the last thing in the file, followed only by its own comment.
    DWORD cbTail = (DWORD)(qwSize < END_SIZE + MAX_COMMENT ? qwSize : END_SIZE + MAX_COMMENT);
    std::vector<BYTE> tail(cbTail);
    if (!Read(qwSize - cbTail, tail.data(), cbTail))
        return ZIPERR_FILE;
    const BYTE* pEnd = NULL;
    for (DWORD i = cbTail - END_SIZE + 1; i-- > 0;) {
        if (Get32(&tail[i]) == SIG_END && Get16(&tail[i] + end::commentlen) == cbTail - END_SIZE - i) {
            pEnd = &tail[i];
            break;
        }
    }
    if (pEnd == NULL)
        return ZIPERR_FORMAT;
    ULONGLONG qwEnd = qwSize - cbTail + (DWORD)(pEnd - tail.data());
    DWORD nEntries = Get16(pEnd + end::entries);
    DWORD cbCentral = Get32(pEnd + end::cdsize);
    DWORD dwCentral = Get32(pEnd + end::cdoffset);
    if (Get16(pEnd + end::disk) != 0 || Get16(pEnd + end::cddisk) != 0 || Get16(pEnd + end::diskentries) != nEntries)
        return ZIPERR_FORMAT;   // split over disks
    if (nEntries == 0xFFFF || cbCentral == 0xFFFFFFFF || dwCentral == 0xFFFFFFFF)
        return ZIPERR_FORMAT;   // ZIP64
    if ((ULONGLONG)dwCentral + cbCentral > qwEnd || cbCentral < nEntries * CENTRAL_SIZE)
        return ZIPERR_FORMAT;

    std::vector<BYTE> dir(cbCentral);
    if (cbCentral && !Read(dwCentral, dir.data(), cbCentral))
        return ZIPERR_FILE;
    const BYTE* p = dir.data();
    const BYTE* pLimit = p + cbCentral;
    m_entries.reserve(nEntries);
    for (DWORD i = 0; i < nEntries; ++i) {
        if (pLimit - p < (ptrdiff_t)CENTRAL_SIZE || Get32(p + central::sig) != SIG_CENTRAL)
            return ZIPERR_FORMAT;
        WORD cbName = Get16(p + central::namelen);
        DWORD cbHeader = CENTRAL_SIZE + cbName + Get16(p + central::extralen) + Get16(p + central::commentlen);
        if ((DWORD)(pLimit - p) < cbHeader || Get16(p + central::disk) != 0)
            return ZIPERR_FORMAT;
        ZipEntry entry;
        entry.wFlags = Get16(p + central::flags);
        entry.wMethod = Get16(p + central::method);
        entry.wTime = Get16(p + central::time);
        entry.wDate = Get16(p + central::date);
        entry.dwCrc = Get32(p + central::crc);
        entry.dwCompressed = Get32(p + central::csize);
        entry.dwSize = Get32(p + central::usize);
        entry.dwAttributes = Get32(p + central::extattr);
        entry.dwOffset = Get32(p + central::offset);
        entry.dwIndex = i;
        entry.strName = DecodeName(p + CENTRAL_SIZE, cbName, entry.wFlags, Get16(p + central::madeby));
        if (entry.dwCompressed == 0xFFFFFFFF || entry.dwSize == 0xFFFFFFFF || entry.dwOffset == 0xFFFFFFFF)
            return ZIPERR_FORMAT;
        m_entries.push_back(entry);
        p += cbHeader;
    }
    m_dwCentral = dwCentral;
    return ZIPERR_OK;
}

int CZipReader::ExtractTo(const ZipEntry& entry, HANDLE hOut)
{
    if (entry.wFlags & FLAG_ENCRYPTED)
        return ZIPERR_FORMAT;
    if (entry.wMethod != METHOD_STORED && entry.wMethod != METHOD_DEFLATED)
        return ZIPERR_FORMAT;
    if (entry.wMethod == METHOD_STORED && entry.dwCompressed != entry.dwSize)
        return ZIPERR_FORMAT;
    BYTE hdr[LOCAL_SIZE];
    if ((ULONGLONG)entry.dwOffset + LOCAL_SIZE > m_dwCentral || !Read(entry.dwOffset, hdr, LOCAL_SIZE) ||
        Get32(hdr + local::sig) != SIG_LOCAL)
        return ZIPERR_FORMAT;
    // The sizes and CRC come from the central directory: a local header may hold zeros there
    // when its entry was streamed with a data descriptor.
    ULONGLONG qwData = (ULONGLONG)entry.dwOffset + LOCAL_SIZE + Get16(hdr + local::namelen) + Get16(hdr + local::extralen);
    if (qwData + entry.dwCompressed > m_dwCentral)
        return ZIPERR_FORMAT;

    LARGE_INTEGER li;
    li.QuadPart = (LONGLONG)qwData;
    if (!SetFilePointerEx(m_hFile, li, NULL, FILE_BEGIN))
        return ZIPERR_FILE;
    z_stream zs = {};
    if (entry.wMethod == METHOD_DEFLATED && inflateInit2(&zs, -MAX_WBITS) != Z_OK)
        return ZIPERR_MEMORY;
    std::vector<BYTE> in(CHUNK), out(CHUNK);
    DWORD cbLeft = entry.dwCompressed;
    ULONGLONG qwOut = 0;
    uLong crc = crc32(0, Z_NULL, 0);
    int nResult = ZIPERR_OK;
    bool bEnded = entry.wMethod == METHOD_STORED && cbLeft == 0;
    while (nResult == ZIPERR_OK && cbLeft > 0) {
        DWORD cbRead = 0;
        DWORD cbWant = cbLeft < CHUNK ? cbLeft : CHUNK;
        if (!ReadFile(m_hFile, in.data(), cbWant, &cbRead, NULL) || cbRead != cbWant) {
            nResult = ZIPERR_FILE;
            break;
        }
        cbLeft -= cbRead;
        if (entry.wMethod == METHOD_STORED) {
            crc = crc32(crc, in.data(), cbRead);
            qwOut += cbRead;
            DWORD cbWritten = 0;
            if (!WriteFile(hOut, in.data(), cbRead, &cbWritten, NULL) || cbWritten != cbRead)
                nResult = ZIPERR_FILE;
            bEnded = cbLeft == 0;
            continue;
        }
        zs.next_in = in.data();
        zs.avail_in = cbRead;
        // A full output buffer may hide more output: go on until zlib leaves room.
        do {
            zs.next_out = out.data();
            zs.avail_out = CHUNK;
            int nZ = inflate(&zs, Z_NO_FLUSH);
            if (nZ != Z_OK && nZ != Z_STREAM_END && nZ != Z_BUF_ERROR) {
                nResult = nZ == Z_MEM_ERROR ? ZIPERR_MEMORY : ZIPERR_DATA;
                break;
            }
            DWORD cbOut = CHUNK - zs.avail_out;
            qwOut += cbOut;
            if (qwOut > entry.dwSize) {
                nResult = ZIPERR_DATA;
                break;
            }
            crc = crc32(crc, out.data(), cbOut);
            DWORD cbWritten = 0;
            if (cbOut && (!WriteFile(hOut, out.data(), cbOut, &cbWritten, NULL) || cbWritten != cbOut))
                nResult = ZIPERR_FILE;
            bEnded = nZ == Z_STREAM_END;
        } while (nResult == ZIPERR_OK && !bEnded && zs.avail_out == 0);
        if (bEnded && (zs.avail_in > 0 || cbLeft > 0))
            nResult = ZIPERR_DATA;   // data beyond the end of the stream: not what the directory says
    }
    if (entry.wMethod == METHOD_DEFLATED)
        inflateEnd(&zs);
    if (nResult == ZIPERR_OK && (!bEnded || qwOut != entry.dwSize || (DWORD)crc != entry.dwCrc))
        nResult = ZIPERR_DATA;
    return nResult;
}

// The relative Windows path an entry name may be extracted to, or false when the name could
// reach outside the destination or is no file name Windows can make.
bool SafeRelativePath(const std::string& strName, std::string& strPath)
{
    strPath.clear();
    if (strName.empty() || strName[0] == '/' || strName[0] == '\\' || strName.find(':') != std::string::npos)
        return false;
    size_t nStart = 0;
    while (nStart < strName.size()) {
        size_t nEnd = strName.find_first_of("/\\", nStart);
        if (nEnd == std::string::npos)
            nEnd = strName.size();
        std::string strPart = strName.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        // Windows drops trailing dots and spaces, so "..", ". ." and "..." all climb.
        size_t nKeep = strPart.find_last_not_of(". ");
        if (nKeep == std::string::npos)
            return false;
        for (unsigned char ch : strPart)
            if (ch < 0x20 || strchr("<>\"|?*", ch))
                return false;
        // Device names open the device, wherever the directory is.
        std::string strBase = strPart.substr(0, strPart.find('.'));
        strBase = strBase.substr(0, strBase.find_last_not_of(' ') + 1);
        static const char* const s_aDevices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
        for (const char* lpszDevice : s_aDevices)
            if (lstrcmpiA(strBase.c_str(), lpszDevice) == 0)
                return false;
        if (strBase.size() == 4 && (_strnicmp(strBase.c_str(), "COM", 3) == 0 || _strnicmp(strBase.c_str(), "LPT", 3) == 0) &&
            strBase[3] >= '1' && strBase[3] <= '9')
            return false;
        if (!strPath.empty())
            strPath += '\\';
        strPath += strPart;
    }
    return true;
}

std::string FullPath(const std::string& strPath)
{
    char sz[MAX_PATH];
    DWORD n = GetFullPathNameA(strPath.c_str(), sizeof(sz), sz, NULL);
    return n && n < sizeof(sz) ? std::string(sz, n) : std::string();
}

// Makes the directory and every missing one above it.
bool MakeDirectories(const std::string& strDir)
{
    DWORD dwAttr = GetFileAttributesA(strDir.c_str());
    if (dwAttr != INVALID_FILE_ATTRIBUTES)
        return (dwAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t nSep = strDir.find_last_of('\\');
    if (nSep != std::string::npos && nSep > 0 && strDir[nSep - 1] != ':' && !MakeDirectories(strDir.substr(0, nSep)))
        return false;
    return CreateDirectoryA(strDir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Extracts one entry under strDest (a full path without a trailing separator). The data goes to
// a temporary file first: a damaged entry never replaces a good file of the same name.
int ExtractEntry(CZipReader& reader, const ZipEntry& entry, const std::string& strDest, const DUNZIPCMD& cmd, std::string& strError)
{
    std::string strRel;
    if (!SafeRelativePath(entry.strName, strRel)) {
        strError = "Refused to extract " + entry.strName;
        return ZIPERR_NAME;
    }
    bool bDirectory = entry.strName.back() == '/' || entry.strName.back() == '\\';
    if (!cmd.bUsePaths) {
        if (bDirectory)
            return ZIPERR_OK;
        strRel = strRel.substr(strRel.find_last_of('\\') + 1);
    }
    std::string strTarget = FullPath(strDest + "\\" + strRel);
    if (strTarget.size() <= strDest.size() || _strnicmp(strTarget.c_str(), strDest.c_str(), strDest.size()) != 0 ||
        strTarget[strDest.size()] != '\\') {
        strError = "Refused to extract " + entry.strName;
        return ZIPERR_NAME;
    }
    if (bDirectory) {
        if (MakeDirectories(strTarget))
            return ZIPERR_OK;
        strError = "Cannot create " + strTarget;
        return ZIPERR_FILE;
    }

    std::string strDir = strTarget.substr(0, strTarget.find_last_of('\\'));
    char szTemp[MAX_PATH];
    if (!MakeDirectories(strDir) || !GetTempFileNameA(strDir.c_str(), "dun", 0, szTemp)) {
        strError = "Cannot create " + strTarget;
        return ZIPERR_FILE;
    }
    HANDLE hOut = CreateFileA(szTemp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    int nResult = hOut == INVALID_HANDLE_VALUE ? ZIPERR_FILE : reader.ExtractTo(entry, hOut);
    if (nResult == ZIPERR_OK) {
        FILETIME ftLocal, ft;
        if (DosDateTimeToFileTime(entry.wDate, entry.wTime, &ftLocal) && LocalFileTimeToFileTime(&ftLocal, &ft))
            SetFileTime(hOut, NULL, NULL, &ft);
    }
    if (hOut != INVALID_HANDLE_VALUE)
        CloseHandle(hOut);
    if (nResult == ZIPERR_OK) {
        if (MoveFileExA(szTemp, strTarget.c_str(), cmd.bOverwrite ? MOVEFILE_REPLACE_EXISTING : 0))
            return ZIPERR_OK;
        DWORD dwError = GetLastError();
        DeleteFileA(szTemp);
        if (!cmd.bOverwrite && (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS))
            return ZIPERR_OK;   // kept, as asked
        nResult = ZIPERR_FILE;
    }
    DeleteFileA(szTemp);
    strError = (nResult == ZIPERR_DATA ? "Damaged data in " : nResult == ZIPERR_FORMAT ? "Cannot extract " : "Cannot write ") + strTarget;
    return nResult;
}

int ExtractAll(const DUNZIPCMD& cmd, std::string& strError)
{
    std::string strZipFile = Unquote(cmd.lpszZipFile);
    std::string strDest = FullPath(Unquote(cmd.lpszDestDir));
    while (strDest.size() > 3 && strDest.back() == '\\')
        strDest.pop_back();
    if (strDest.empty() || strDest.back() == '\\') {
        strError = "Cannot extract into " + Unquote(cmd.lpszDestDir);
        return ZIPERR_FILE;
    }
    CZipReader reader;
    int nResult = reader.Open(strZipFile);
    if (nResult != ZIPERR_OK) {
        strError = (nResult == ZIPERR_FORMAT ? "Damaged or unreadable archive " : "Cannot open ") + strZipFile;
        return nResult;
    }
    if (!MakeDirectories(strDest)) {
        strError = "Cannot create " + strDest;
        return ZIPERR_FILE;
    }
    bool bMatched = false;
    for (const ZipEntry& entry : reader.Entries()) {
        if (!MatchSpec(entry.strName.c_str(), cmd.lpszFileSpec))
            continue;
        bMatched = true;
        std::string strEntryError;
        int n = ExtractEntry(reader, entry, strDest, cmd, strEntryError);
        if (n != ZIPERR_OK && nResult == ZIPERR_OK) {
            nResult = n;
            strError = strEntryError;
        }
    }
    if (!bMatched && !reader.Entries().empty()) {
        strError = std::string("Nothing matches ") + cmd.lpszFileSpec;
        return ZIPERR_NOMATCH;
    }
    return nResult;
}

// The listing: opened and counted by DUNZIP_CMD_OPEN, read out by DUNZIP_CMD_NEXT.
std::vector<ZipEntry> g_listing;
size_t g_nListNext = 0;

int OpenListing(DUNZIPCMD& cmd, std::string& strError)
{
    // Whatever an earlier listing left behind is gone, whether or not this one opens.
    g_listing.clear();
    g_nListNext = 0;
    cmd.dwEntries = 0;
    std::string strZipFile = Unquote(cmd.lpszZipFile);
    CZipReader reader;
    int nResult = reader.Open(strZipFile);
    if (nResult != ZIPERR_OK) {
        strError = (nResult == ZIPERR_FORMAT ? "Damaged or unreadable archive " : "Cannot open ") + strZipFile;
        return nResult;
    }
    for (const ZipEntry& entry : reader.Entries())
        if (MatchSpec(entry.strName.c_str(), cmd.lpszFileSpec))
            g_listing.push_back(entry);
    cmd.dwEntries = (DWORD)g_listing.size();
    return ZIPERR_OK;
}

int NextListed(DUNZIPCMD& cmd)
{
    if (g_nListNext >= g_listing.size())
        return ZIPERR_END;
    const ZipEntry& entry = g_listing[g_nListNext++];
    DUNZIPENTRY& rec = *cmd.lpEntry;
    ZeroMemory(&rec, sizeof(rec));
    rec.dwCompressedSize = entry.dwCompressed;
    rec.dwSize = entry.dwSize;
    rec.dwCrc32 = entry.dwCrc;
    rec.wMethod = entry.wMethod;
    rec.wFlags = entry.wFlags;
    rec.wDosTime = entry.wTime;
    rec.wDosDate = entry.wDate;
    rec.dwAttributes = entry.dwAttributes;
    rec.dwIndex = entry.dwIndex;
    lstrcpynA(rec.szName, entry.strName.c_str(), sizeof(rec.szName));
    return ZIPERR_OK;
}

}  // namespace

extern "C" int WINAPI dunzip(DUNZIPCMD* pCmd)
{
    if (pCmd == NULL || pCmd->cbSize != sizeof(DUNZIPCMD) || pCmd->lpszFileSpec == NULL)
        return ZIPERR_BLOCK;
    DUNZIPCMD& cmd = *pCmd;
    std::string strError;
    int nResult;
    try {
        switch (cmd.dwCommand) {
        case DUNZIP_CMD_EXTRACT:
            nResult = cmd.lpszZipFile && cmd.lpszDestDir ? ExtractAll(cmd, strError) : ZIPERR_BLOCK;
            break;
        case DUNZIP_CMD_OPEN:
            nResult = cmd.lpszZipFile ? OpenListing(cmd, strError) : ZIPERR_BLOCK;
            break;
        case DUNZIP_CMD_NEXT:
            // No message here: running off the end is how a caller may learn the listing is done.
            return cmd.lpEntry ? NextListed(cmd) : ZIPERR_BLOCK;
        default:
            return ZIPERR_BLOCK;
        }
    } catch (const std::bad_alloc&) {
        nResult = ZIPERR_MEMORY;
        strError = "Out of memory";
    }
    if (nResult != ZIPERR_OK && !cmd.bQuiet)
        MessageBoxA(NULL, strError.c_str(), "DUNZIP32", MB_ICONHAND);
    return nResult;
}
