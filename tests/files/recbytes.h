// Record files put together byte by byte, without the library, so that the suites can compare
// what the library writes with what the format says and can damage files at exact offsets.
#pragma once

#include <windows.h>
#include <string.h>
#include <string>
#include <vector>

namespace recbytes {

inline std::string FileID()
{
    return std::string("Kelm-Ostrand Engineering, Record Archive\n\x1a", 43);
}

inline DWORD Checksum(const std::string& data)
{
    DWORD dw = 0;
    for (unsigned char b : data) {
        dw ^= b;
        dw = (dw << 1) | (dw >> 31);
    }
    return dw;
}

inline std::string Dword(DWORD dw)
{
    return std::string(reinterpret_cast<const char*>(&dw), 4);
}

inline DWORD DwordAt(const std::string& s, size_t off)
{
    DWORD dw = 0;
    memcpy(&dw, s.data() + off, 4);
    return dw;
}

inline void PatchDword(std::string& s, size_t off, DWORD dw)
{
    memcpy(&s[off], &dw, 4);
}

inline std::string Record(DWORD dwType, DWORD dwVersion, const std::string& data)
{
    return "****" + Dword(dwType) + Dword(dwVersion) + Dword((DWORD)data.size()) + Dword(Checksum(data)) + data;
}

// The header record's text with its closing NUL, as a writer of the format puts it.
inline std::string HeaderText(DWORD dwType, DWORD dwVersion, const std::string& strTime, const std::string& desc)
{
    return std::to_string(dwType) + "\n" + std::to_string(dwVersion) + "\n" + strTime + "\n" + desc + "\n" +
           std::string(1, '\0');
}

inline std::string FileWithHeaderText(const std::string& text)
{
    return FileID() + Record(0, 1, text);
}

// A small file of several record kinds: an ordinary one, an empty one and one with every byte
// value, so that sweeps over it meet each part of the format.
struct Sample {
    struct Rec {
        DWORD dwType, dwVersion;
        std::string data;
        size_t offset;      // of its header in the file
    };
    std::string bytes;
    size_t headerRecLength; // 20 + the header text
    std::vector<Rec> recs;
};

inline Sample MakeSample()
{
    Sample s;
    s.bytes = FileWithHeaderText(HeaderText(12, 3, "05/06/2021 07:08:09", "sample: three records"));
    s.headerRecLength = s.bytes.size() - 43;
    std::string all;
    for (int i = 0; i < 37; ++i)
        all += (char)(i * 7 + 250);
    s.recs = { { 5, 1, "alpha", 0 }, { 6, 2, "", 0 }, { 5, 3, all, 0 } };
    for (Sample::Rec& r : s.recs) {
        r.offset = s.bytes.size();
        s.bytes += Record(r.dwType, r.dwVersion, r.data);
    }
    return s;
}

}  // namespace recbytes
