// The ZIP file format as our two archive libraries write and read it: local headers, the
// central directory and its end record, entries stored or deflated. No ZIP64, no encryption,
// no archives split over disks: those are refused, never half-read.
#pragma once

#include <windows.h>
#include <string>

namespace zipfmt {

const DWORD SIG_LOCAL = 0x04034b50;
const DWORD SIG_CENTRAL = 0x02014b50;
const DWORD SIG_END = 0x06054b50;

const DWORD LOCAL_SIZE = 30;      // fixed part of a local header
const DWORD CENTRAL_SIZE = 46;    // fixed part of a central directory header
const DWORD END_SIZE = 22;        // end record without its comment
const DWORD MAX_COMMENT = 65535;

const WORD METHOD_STORED = 0;
const WORD METHOD_DEFLATED = 8;
const WORD FLAG_ENCRYPTED = 0x0001;
const WORD FLAG_UTF8 = 0x0800;    // the name is UTF-8 rather than the archive maker's code page

const DWORD MAX_ENTRIES = 0xFFFF;  // beyond these three ZIP64 would be needed
const DWORD MAX_SIZE = 0xFFFFFFFE;
const DWORD MAX_OFFSET = 0xFFFFFFFE;

// Offsets inside the fixed parts, as the format's application note numbers them.
namespace local { enum { sig = 0, version = 4, flags = 6, method = 8, time = 10, date = 12, crc = 14,
                         csize = 18, usize = 22, namelen = 26, extralen = 28 }; }
namespace central { enum { sig = 0, madeby = 4, version = 6, flags = 8, method = 10, time = 12, date = 14,
                           crc = 16, csize = 20, usize = 24, namelen = 28, extralen = 30, commentlen = 32,
                           disk = 34, intattr = 36, extattr = 38, offset = 42 }; }
namespace end { enum { sig = 0, disk = 4, cddisk = 6, diskentries = 8, entries = 10, cdsize = 12,
                       cdoffset = 16, commentlen = 20 }; }
// Each fixed part ends with its last field: the offsets and the sizes describe the same layout.
static_assert(local::extralen + 2 == LOCAL_SIZE && central::offset + 4 == CENTRAL_SIZE && end::commentlen + 2 == END_SIZE,
              "fixed parts");

inline WORD Get16(const BYTE* p) { return (WORD)(p[0] | p[1] << 8); }
inline DWORD Get32(const BYTE* p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }
inline void Set16(BYTE* p, WORD w) { p[0] = (BYTE)w; p[1] = (BYTE)(w >> 8); }
inline void Set32(BYTE* p, DWORD dw) { Set16(p, LOWORD(dw)); Set16(p + 2, HIWORD(dw)); }

// Converts between two code pages; false when the text does not survive the trip.
inline bool Recode(const std::string& strIn, UINT nFrom, UINT nTo, std::string& strOut)
{
    if (strIn.empty()) {
        strOut.clear();
        return true;
    }
    int cw = MultiByteToWideChar(nFrom, MB_ERR_INVALID_CHARS, strIn.data(), (int)strIn.size(), NULL, 0);
    if (cw <= 0)
        return false;
    std::wstring w(cw, L'\0');
    MultiByteToWideChar(nFrom, 0, strIn.data(), (int)strIn.size(), &w[0], cw);
    BOOL bLost = FALSE;
    BOOL* pbLost = nTo == CP_UTF8 ? NULL : &bLost;  // UTF-8 refuses the flag, and loses nothing
    int cb = WideCharToMultiByte(nTo, 0, w.data(), cw, NULL, 0, NULL, pbLost);
    if (cb <= 0 || bLost)
        return false;
    strOut.assign(cb, '\0');
    WideCharToMultiByte(nTo, 0, w.data(), cw, &strOut[0], cb, NULL, NULL);
    return true;
}

inline bool IsAscii(const std::string& str)
{
    for (unsigned char ch : str)
        if (ch >= 0x80)
            return false;
    return true;
}

// The blocks may hand paths over in double quotes.
inline std::string Unquote(LPCSTR lpsz)
{
    std::string str(lpsz ? lpsz : "");
    if (str.size() >= 2 && str.front() == '"' && str.back() == '"')
        str = str.substr(1, str.size() - 2);
    return str;
}

// Matches a name against a pattern of '*' and '?', ignoring case; "*.*" matches every name,
// with or without a dot, as it always has on these systems.
inline bool MatchSpec(LPCSTR lpszName, LPCSTR lpszSpec)
{
    if (lstrcmpA(lpszSpec, "*.*") == 0)
        return true;
    auto upper = [](char ch) { return (char)(UINT_PTR)CharUpperA((LPSTR)(UINT_PTR)(BYTE)ch); };
    LPCSTR lpszStar = NULL, lpszRetry = NULL;
    while (*lpszName) {
        if (*lpszSpec == '*') {
            lpszStar = ++lpszSpec;
            lpszRetry = lpszName;
        } else if (*lpszSpec == '?' || (*lpszSpec && upper(*lpszSpec) == upper(*lpszName))) {
            ++lpszSpec;
            ++lpszName;
        } else if (lpszStar) {
            lpszSpec = lpszStar;
            lpszName = ++lpszRetry;
        } else {
            return false;
        }
    }
    while (*lpszSpec == '*')
        ++lpszSpec;
    return *lpszSpec == '\0';
}

}  // namespace zipfmt
