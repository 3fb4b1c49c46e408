// DZIP32.dll: packs files into a ZIP archive, deflated with zlib. The one entry point "dzip"
// takes a DZIPCMD block (bexlib/archive/ZipBlocks.h).
//
// The archive is written under a temporary name beside the target and renamed only when it is
// complete, so a failure never leaves a half-written archive, nor destroys an older one.
#include "ZipBlocks.h"
#include "ZipFormat.h"

#include <zlib.h>
#include <string.h>
#include <algorithm>
#include <new>
#include <set>
#include <string>
#include <vector>

using namespace zipfmt;

namespace {

const DWORD CHUNK = 64 * 1024;

// A file to pack and the name it gets in the archive.
struct ZipItem {
    std::string strPath;
    std::string strName;    // '/'-separated, relative
};

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }
};

// The items of the list: quoted ones may hold spaces, the others end at white space.
std::vector<std::string> SplitItems(LPCSTR lpszItems)
{
    std::vector<std::string> items;
    LPCSTR p = lpszItems;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == '\0')
            break;
        LPCSTR lpszEnd;
        if (*p == '"') {
            lpszEnd = strchr(++p, '"');
            if (lpszEnd == NULL)
                lpszEnd = p + strlen(p);
        } else {
            lpszEnd = p + strcspn(p, " \t");
        }
        if (lpszEnd > p)
            items.push_back(std::string(p, lpszEnd));
        p = *lpszEnd == '"' ? lpszEnd + 1 : lpszEnd;
    }
    return items;
}

// Adds the files of strDir (which ends in a separator) that match strPattern, named strPrefix
// and their file name; with bRecurse the same for every subdirectory, named by their path.
void CollectFiles(const std::string& strDir, const std::string& strPrefix, const std::string& strPattern,
                  bool bRecurse, std::vector<ZipItem>& items)
{
    std::vector<std::string> files, dirs;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((strDir + "*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Links to directories are not followed: they can loop.
            if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, "..") && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                dirs.push_back(fd.cFileName);
        } else if (MatchSpec(fd.cFileName, strPattern.c_str())) {
            files.push_back(fd.cFileName);
        }
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);

    // The directory's own order differs between file systems; archives should not.
    std::sort(files.begin(), files.end(), NoCaseLess());
    std::sort(dirs.begin(), dirs.end(), NoCaseLess());
    for (const std::string& strFile : files)
        items.push_back({ strDir + strFile, strPrefix + strFile });
    if (bRecurse)
        for (const std::string& strSub : dirs)
            CollectFiles(strDir + strSub + "\\", strPrefix + strSub + "/", strPattern, true, items);
}

// One item: a file is named by its file name, a directory adds its whole tree under its own
// name, a wildcard pattern adds the matching files named relative to the pattern's directory.
void ExpandItem(std::string strItem, bool bRecurse, std::vector<ZipItem>& items)
{
    while (strItem.size() > 1 && (strItem.back() == '\\' || strItem.back() == '/') && strItem[strItem.size() - 2] != ':')
        strItem.pop_back();
    size_t nSep = strItem.find_last_of("\\/");
    if (nSep == std::string::npos && strItem.size() >= 2 && strItem[1] == ':')
        nSep = 1;
    std::string strDir = nSep == std::string::npos ? "" : strItem.substr(0, nSep + 1);
    std::string strLast = nSep == std::string::npos ? strItem : strItem.substr(nSep + 1);

    if (strLast.find_first_of("*?") != std::string::npos) {
        CollectFiles(strDir, "", strLast, bRecurse, items);
        return;
    }
    DWORD dwAttr = GetFileAttributesA(strItem.c_str());
    if (dwAttr == INVALID_FILE_ATTRIBUTES)
        return;
    if (dwAttr & FILE_ATTRIBUTE_DIRECTORY) {
        // ".", ".." and roots have no name of their own to put in front.
        bool bNamed = !strLast.empty() && strLast != "." && strLast != "..";
        std::string strSub = strItem;
        if (strSub.back() != '\\' && strSub.back() != '/' && strSub.back() != ':')
            strSub += "\\";
        CollectFiles(strSub, bNamed ? strLast + "/" : "", "*", true, items);
    } else {
        items.push_back({ strItem, strLast });
    }
}

std::string FullPath(const std::string& strPath)
{
    char sz[MAX_PATH];
    DWORD n = GetFullPathNameA(strPath.c_str(), sizeof(sz), sz, NULL);
    return n && n < sizeof(sz) ? std::string(sz, n) : strPath;
}

// Writes one archive: each Add streams a file in after its local header, Finish writes the
// central directory and the end record.
class CZipWriter
{
public:
    explicit CZipWriter(int nLevel) : m_hFile(INVALID_HANDLE_VALUE), m_qwOffset(0), m_nEntries(0), m_nLevel(nLevel), m_nError(ZIPERR_OK) {}
    ~CZipWriter() { Close(); }

    bool Create(const std::string& strPath);
    bool Add(const ZipItem& item);
    bool Finish();
    void Close();

    int Error() const { return m_nError; }
    const std::string& ErrorText() const { return m_strError; }

private:
    bool Fail(int nError, const std::string& strText);
    bool Write(const void* pv, DWORD cb);
    bool Seek(ULONGLONG qwPos);
    // Copies hIn from its start as stored data; pdwCrc and the sizes receive what was copied.
    bool CopyStored(HANDLE hIn, const std::string& strPath, DWORD* pdwCrc, DWORD* pdwSize);
    // Deflates hIn; pbLarger is set, and the output abandoned, once it grows past dwLimit.
    bool CopyDeflated(HANDLE hIn, const std::string& strPath, DWORD dwLimit, DWORD* pdwCrc, DWORD* pdwSize,
                      DWORD* pdwCompressed, bool* pbLarger);

    HANDLE m_hFile;
    ULONGLONG m_qwOffset;
    DWORD m_nEntries;
    int m_nLevel;
    std::string m_central;
    int m_nError;
    std::string m_strError;
};

bool CZipWriter::Fail(int nError, const std::string& strText)
{
    if (m_nError == ZIPERR_OK) {
        m_nError = nError;
        m_strError = strText;
    }
    return false;
}

bool CZipWriter::Create(const std::string& strPath)
{
    m_hFile = CreateFileA(strPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    return m_hFile != INVALID_HANDLE_VALUE || Fail(ZIPERR_FILE, "Cannot create " + strPath);
}

void CZipWriter::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CZipWriter::Write(const void* pv, DWORD cb)
{
    DWORD cbWritten = 0;
    if (!WriteFile(m_hFile, pv, cb, &cbWritten, NULL) || cbWritten != cb)
        return Fail(ZIPERR_FILE, "Cannot write the archive");
    m_qwOffset += cb;
    return true;
}

bool CZipWriter::Seek(ULONGLONG qwPos)
{
    LARGE_INTEGER li;
    li.QuadPart = (LONGLONG)qwPos;
    if (!SetFilePointerEx(m_hFile, li, NULL, FILE_BEGIN))
        return Fail(ZIPERR_FILE, "Cannot write the archive");
    m_qwOffset = qwPos;
    return true;
}

bool CZipWriter::CopyStored(HANDLE hIn, const std::string& strPath, DWORD* pdwCrc, DWORD* pdwSize)
{
    std::vector<BYTE> buf(CHUNK);
    ULONGLONG qwSize = 0;
    uLong crc = crc32(0, Z_NULL, 0);
    LARGE_INTEGER liZero = {};
    if (!SetFilePointerEx(hIn, liZero, NULL, FILE_BEGIN))
        return Fail(ZIPERR_FILE, "Cannot read " + strPath);
    for (;;) {
        DWORD cbRead = 0;
        if (!ReadFile(hIn, buf.data(), CHUNK, &cbRead, NULL))
            return Fail(ZIPERR_FILE, "Cannot read " + strPath);
        if (cbRead == 0)
            break;
        qwSize += cbRead;
        if (qwSize > MAX_SIZE)
            return Fail(ZIPERR_FILE, strPath + " is too large for a ZIP archive");
        crc = crc32(crc, buf.data(), cbRead);
        if (!Write(buf.data(), cbRead))
            return false;
    }
    *pdwCrc = (DWORD)crc;
    *pdwSize = (DWORD)qwSize;
    return true;
}

bool CZipWriter::CopyDeflated(HANDLE hIn, const std::string& strPath, DWORD dwLimit, DWORD* pdwCrc, DWORD* pdwSize,
                              DWORD* pdwCompressed, bool* pbLarger)
{
    *pbLarger = false;
    z_stream zs = {};
    if (deflateInit2(&zs, m_nLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return Fail(ZIPERR_MEMORY, "Out of memory");
    std::vector<BYTE> in(CHUNK), out(CHUNK);
    ULONGLONG qwSize = 0, qwCompressed = 0;
    uLong crc = crc32(0, Z_NULL, 0);
    bool bOk = true;
    int nFlush = Z_NO_FLUSH;
    while (bOk && nFlush != Z_FINISH) {
        DWORD cbRead = 0;
        if (!ReadFile(hIn, in.data(), CHUNK, &cbRead, NULL)) {
            bOk = Fail(ZIPERR_FILE, "Cannot read " + strPath);
            break;
        }
        qwSize += cbRead;
        if (qwSize > MAX_SIZE) {
            bOk = Fail(ZIPERR_FILE, strPath + " is too large for a ZIP archive");
            break;
        }
        crc = crc32(crc, in.data(), cbRead);
        nFlush = cbRead == 0 ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = in.data();
        zs.avail_in = cbRead;
        do {
            zs.next_out = out.data();
            zs.avail_out = CHUNK;
            deflate(&zs, nFlush);
            DWORD cbOut = CHUNK - zs.avail_out;
            qwCompressed += cbOut;
            if (qwCompressed >= dwLimit) {
                *pbLarger = true;
                deflateEnd(&zs);
                return true;
            }
            if (cbOut && !Write(out.data(), cbOut)) {
                bOk = false;
                break;
            }
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    *pdwCrc = (DWORD)crc;
    *pdwSize = (DWORD)qwSize;
    *pdwCompressed = (DWORD)qwCompressed;
    return bOk;
}

bool CZipWriter::Add(const ZipItem& item)
{
    if (m_nEntries >= MAX_ENTRIES)
        return Fail(ZIPERR_FILE, "Too many files for a ZIP archive");
    if (m_qwOffset > MAX_OFFSET)
        return Fail(ZIPERR_FILE, "The archive grows too large");

    std::string strName = item.strName;
    WORD wFlags = 0;
    if (!IsAscii(strName)) {
        // Readers on other systems take unflagged names in their own code page.
        if (!Recode(item.strName, CP_ACP, CP_UTF8, strName))
            return Fail(ZIPERR_NAME, "Cannot name " + item.strPath + " in the archive");
        wFlags |= FLAG_UTF8;
    }
    if (strName.size() > 0xFFFF)
        return Fail(ZIPERR_NAME, "Cannot name " + item.strPath + " in the archive");

    HANDLE hIn = CreateFileA(item.strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (hIn == INVALID_HANDLE_VALUE)
        return Fail(ZIPERR_FILE, "Cannot open " + item.strPath);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(hIn, &info)) {
        CloseHandle(hIn);
        return Fail(ZIPERR_FILE, "Cannot read " + item.strPath);
    }
    if (info.nFileSizeHigh || info.nFileSizeLow > MAX_SIZE) {
        CloseHandle(hIn);
        return Fail(ZIPERR_FILE, item.strPath + " is too large for a ZIP archive");
    }
    WORD wDate = 0x0021, wTime = 0;   // 1 January 1980, the earliest a ZIP entry can tell
    FILETIME ftLocal;
    if (FileTimeToLocalFileTime(&info.ftLastWriteTime, &ftLocal) && !FileTimeToDosDateTime(&ftLocal, &wDate, &wTime)) {
        wDate = 0x0021;
        wTime = 0;
    }

    ULONGLONG qwHeader = m_qwOffset;
    BYTE hdr[LOCAL_SIZE] = {};
    Set32(hdr + local::sig, SIG_LOCAL);
    Set16(hdr + local::flags, wFlags);
    Set16(hdr + local::time, wTime);
    Set16(hdr + local::date, wDate);
    Set16(hdr + local::namelen, (WORD)strName.size());
    if (!Write(hdr, LOCAL_SIZE) || !Write(strName.data(), (DWORD)strName.size())) {
        CloseHandle(hIn);
        return false;
    }
    ULONGLONG qwData = m_qwOffset;

    WORD wMethod = METHOD_STORED;
    DWORD dwCrc = 0, dwSize = 0, dwCompressed = 0;
    bool bOk;
    bool bLarger = true;
    if (m_nLevel > 0 && info.nFileSizeLow > 0) {
        bOk = CopyDeflated(hIn, item.strPath, info.nFileSizeLow, &dwCrc, &dwSize, &dwCompressed, &bLarger);
        wMethod = METHOD_DEFLATED;
    } else {
        bOk = true;
    }
    if (bOk && bLarger) {
        // Data that does not shrink is stored as it is, as every reader expects.
        wMethod = METHOD_STORED;
        bOk = Seek(qwData) && SetEndOfFile(m_hFile) && CopyStored(hIn, item.strPath, &dwCrc, &dwSize);
        dwCompressed = dwSize;
    }
    CloseHandle(hIn);
    if (!bOk)
        return Fail(ZIPERR_FILE, "Cannot write the archive");

    ULONGLONG qwEnd = m_qwOffset;
    Set16(hdr + local::version, wMethod == METHOD_DEFLATED ? 20 : 10);
    Set16(hdr + local::method, wMethod);
    Set32(hdr + local::crc, dwCrc);
    Set32(hdr + local::csize, dwCompressed);
    Set32(hdr + local::usize, dwSize);
    if (!Seek(qwHeader) || !Write(hdr, LOCAL_SIZE) || !Seek(qwEnd))
        return false;

    BYTE cen[CENTRAL_SIZE] = {};
    Set32(cen + central::sig, SIG_CENTRAL);
    // Made on NTFS, format 2.0: the attributes are DOS attributes all the same, but readers take
    // a name flagged UTF-8 as UTF-8 from here, where from "MS-DOS" some read it as a DOS code page.
    Set16(cen + central::madeby, 11 << 8 | 20);
    Set16(cen + central::version, wMethod == METHOD_DEFLATED ? 20 : 10);
    Set16(cen + central::flags, wFlags);
    Set16(cen + central::method, wMethod);
    Set16(cen + central::time, wTime);
    Set16(cen + central::date, wDate);
    Set32(cen + central::crc, dwCrc);
    Set32(cen + central::csize, dwCompressed);
    Set32(cen + central::usize, dwSize);
    Set16(cen + central::namelen, (WORD)strName.size());
    Set32(cen + central::extattr, info.dwFileAttributes & 0xFF);
    Set32(cen + central::offset, (DWORD)qwHeader);
    m_central.append((const char*)cen, CENTRAL_SIZE);
    m_central += strName;
    ++m_nEntries;
    return true;
}

bool CZipWriter::Finish()
{
    ULONGLONG qwCentral = m_qwOffset;
    if (qwCentral > MAX_OFFSET || m_central.size() > MAX_SIZE)
        return Fail(ZIPERR_FILE, "The archive grows too large");
    BYTE end[END_SIZE] = {};
    Set32(end + end::sig, SIG_END);
    Set16(end + end::diskentries, (WORD)m_nEntries);
    Set16(end + end::entries, (WORD)m_nEntries);
    Set32(end + end::cdsize, (DWORD)m_central.size());
    Set32(end + end::cdoffset, (DWORD)qwCentral);
    if (!Write(m_central.data(), (DWORD)m_central.size()) || !Write(end, END_SIZE))
        return false;
    if (!FlushFileBuffers(m_hFile))
        return Fail(ZIPERR_FILE, "Cannot write the archive");
    return true;
}

// The whole command: gather the items, write them under a temporary name, put it in place.
int PackItems(const DZIPCMD& cmd, std::string& strError)
{
    std::string strZipFile = FullPath(Unquote(cmd.lpszZipFile));
    std::vector<ZipItem> items;
    std::vector<std::string> list = SplitItems(cmd.lpszItems);
    if (list.empty()) {
        strError = "Nothing to add to " + strZipFile;
        return ZIPERR_NOMATCH;
    }
    for (const std::string& strItem : list) {
        size_t nBefore = items.size();
        ExpandItem(strItem, cmd.bRecurse != 0, items);
        // Whatever archive is being replaced is not packed into its successor.
        items.erase(std::remove_if(items.begin() + nBefore, items.end(),
                                   [&](const ZipItem& it) { return lstrcmpiA(FullPath(it.strPath).c_str(), strZipFile.c_str()) == 0; }),
                    items.end());
        if (items.size() == nBefore) {
            strError = "Nothing matches " + strItem;
            return ZIPERR_NOMATCH;
        }
    }

    std::set<std::string, NoCaseLess> names;
    for (ZipItem& item : items) {
        if (cmd.bJunkPaths)
            item.strName = item.strName.substr(item.strName.find_last_of('/') + 1);
        if (!names.insert(item.strName).second) {
            strError = item.strName + " occurs twice in the archive";
            return ZIPERR_NAME;
        }
    }

    std::string strDir = strZipFile.substr(0, strZipFile.find_last_of('\\') + 1);
    char szTemp[MAX_PATH];
    if (!GetTempFileNameA(strDir.c_str(), "dzp", 0, szTemp)) {
        strError = "Cannot create " + strZipFile;
        return ZIPERR_FILE;
    }
    CZipWriter writer((int)cmd.dwLevel);
    bool bOk = writer.Create(szTemp);
    for (size_t i = 0; bOk && i < items.size(); ++i)
        bOk = writer.Add(items[i]);
    bOk = bOk && writer.Finish();
    writer.Close();
    if (bOk && !MoveFileExA(szTemp, strZipFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(szTemp);
        strError = "Cannot create " + strZipFile;
        return ZIPERR_FILE;
    }
    if (!bOk) {
        DeleteFileA(szTemp);
        strError = writer.ErrorText();
        return writer.Error();
    }
    return ZIPERR_OK;
}

}  // namespace

extern "C" int WINAPI dzip(DZIPCMD* pCmd)
{
    if (pCmd == NULL || pCmd->cbSize != sizeof(DZIPCMD) || pCmd->dwCommand != DZIP_CMD_ZIP ||
        pCmd->lpszZipFile == NULL || pCmd->lpszItems == NULL || pCmd->dwLevel > 9)
        return ZIPERR_BLOCK;
    std::string strError;
    int nResult;
    try {
        nResult = PackItems(*pCmd, strError);
    } catch (const std::bad_alloc&) {
        nResult = ZIPERR_MEMORY;
        strError = "Out of memory";
    }
    if (nResult != ZIPERR_OK && !pCmd->bQuiet)
        MessageBoxA(NULL, strError.c_str(), "DZIP32", MB_ICONHAND);
    return nResult;
}
