// Record files put together byte by byte, without the library, so that tests can compare what
// the library writes with the format and damage files at exact offsets.
#pragma once

#include <windows.h>
#include <string.h>
#include <string>
#include <vector>

namespace recbytes {

inline DWORD Checksum(const std::string& data)
{
    DWORD dw = 0;
    for (unsigned char b : data)
        dw = ((dw ^ b) << 1) | ((dw ^ b) >> 31);
    return dw;
}

inline std::string Dword(DWORD dw) { return std::string(reinterpret_cast<const char*>(&dw), 4); }
inline DWORD DwordAt(const std::string& s, size_t off) { DWORD dw; memcpy(&dw, &s[off], 4); return dw; }
inline void PatchDword(std::string& s, size_t off, DWORD dw) { memcpy(&s[off], &dw, 4); }

inline std::string Record(DWORD dwType, DWORD dwVersion, const std::string& data)
{
    return "****" + Dword(dwType) + Dword(dwVersion) + Dword((DWORD)data.size()) + Dword(Checksum(data)) + data;
}

// Identification and header record, the header text taken as given (with its NUL).
inline std::string FileHead(const std::string& text)
{
    return std::string("Kelm-Ostrand Engineering, Record Archive\n\x1a", 43) + Record(0, 1, text);
}

inline std::string HeaderText(DWORD dwType, DWORD dwVersion, const std::string& strTime, const std::string& desc)
{
    return std::to_string(dwType) + "\n" + std::to_string(dwVersion) + "\n" + strTime + "\n" + desc + "\n" +
           std::string(1, '\0');
}

// A small file with an ordinary record, an empty one and one of all kinds of bytes, so that
// sweeps over it meet every part of the format.
struct Sample {
    struct Rec {
        DWORD dwType, dwVersion;
        std::string data;
        size_t offset;   // of its header
    };
    std::string bytes;
    size_t headEnd;      // offset of the first record after the header record
    std::vector<Rec> recs;
};

inline Sample MakeSample()
{
    Sample s;
    s.bytes = FileHead(HeaderText(12, 3, "05/06/2021 07:08:09", "sample"));
    s.headEnd = s.bytes.size();
    std::string mixed;
    for (int i = 0; i < 37; ++i)
        mixed += (char)(i * 7 + 250);
    s.recs = { { 5, 1, "alpha", 0 }, { 6, 2, "", 0 }, { 5, 3, mixed, 0 } };
    for (Sample::Rec& r : s.recs) {
        r.offset = s.bytes.size();
        s.bytes += Record(r.dwType, r.dwVersion, r.data);
    }
    return s;
}

// A Unix path as Wine's file system shows it to Windows programs, or "" outside Wine.
inline std::string DosName(const char* pszUnixPath)
{
    typedef LPWSTR(CDECL * PFNDOSNAME)(LPCSTR);
    PFNDOSNAME pfn = (PFNDOSNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    LPWSTR pwsz = pfn ? pfn(pszUnixPath) : NULL;
    char sz[MAX_PATH] = {};
    if (pwsz)
        WideCharToMultiByte(CP_ACP, 0, pwsz, -1, sz, MAX_PATH, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pwsz);
    return sz;
}

}  // namespace recbytes
