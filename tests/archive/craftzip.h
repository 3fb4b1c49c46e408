// Archives written byte by byte, with names and fields no archiver would write.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

inline DWORD Crc32(const std::string& data)
{
    DWORD crc = 0xFFFFFFFF;
    for (unsigned char ch : data) {
        crc ^= ch;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

inline void Put16(std::string& s, WORD w) { s += (char)w; s += (char)(w >> 8); }
inline void Put32(std::string& s, DWORD dw) { Put16(s, LOWORD(dw)); Put16(s, HIWORD(dw)); }

// An entry as it is stored: packed with wMethod (0 stored, 8 deflated), unpacking to data.
struct CraftedEntry {
    std::string name, data, packed;
    WORD wMethod;
};

// An archive of the entries, names exactly as given.
inline std::string CraftedPackedZip(const std::vector<CraftedEntry>& entries)
{
    std::string body, dir, end;
    for (const CraftedEntry& e : entries) {
        DWORD dwOffset = (DWORD)body.size(), cbPacked = (DWORD)e.packed.size(), cb = (DWORD)e.data.size();
        WORD wNeeded = e.wMethod == 8 ? 20 : 10;
        Put32(body, 0x04034b50); Put16(body, wNeeded); Put16(body, 0); Put16(body, e.wMethod); Put32(body, 0x00210000);
        Put32(body, Crc32(e.data)); Put32(body, cbPacked); Put32(body, cb); Put16(body, (WORD)e.name.size()); Put16(body, 0);
        body += e.name + e.packed;
        Put32(dir, 0x02014b50); Put16(dir, 20); Put16(dir, wNeeded); Put16(dir, 0); Put16(dir, e.wMethod); Put32(dir, 0x00210000);
        Put32(dir, Crc32(e.data)); Put32(dir, cbPacked); Put32(dir, cb); Put16(dir, (WORD)e.name.size());
        Put32(dir, 0); Put32(dir, 0); Put32(dir, 0); Put32(dir, dwOffset);
        dir += e.name;
    }
    Put32(end, 0x06054b50); Put32(end, 0); Put16(end, (WORD)entries.size()); Put16(end, (WORD)entries.size());
    Put32(end, (DWORD)dir.size()); Put32(end, (DWORD)body.size()); Put16(end, 0);
    return body + dir + end;
}

// A stored archive of (name, data) entries.
inline std::string CraftedZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<CraftedEntry> stored;
    for (const auto& e : entries)
        stored.push_back(CraftedEntry{ e.first, e.second, e.second, 0 });
    return CraftedPackedZip(stored);
}
