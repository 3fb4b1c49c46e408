// Bitmap files taken apart and put together again, for the loader tests to vary and damage.
#pragma once

#include <windows.h>
#include <string>

template <class T> T At(const std::string& bytes, size_t offset)
{
    T value = T();
    if (offset + sizeof(T) <= bytes.size())
        memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

template <class T> void Put(std::string& bytes, size_t offset, T value)
{
    if (offset + sizeof(T) <= bytes.size())
        memcpy(&bytes[offset], &value, sizeof(T));
}

// The three parts of a file as its file header and header size place them.
struct DibParts {
    std::string header, table, bits;
};

inline DibParts Split(const std::string& file)
{
    DWORD cbHeader = At<DWORD>(file, 14), dwOffBits = At<DWORD>(file, 10);
    return { file.substr(14, cbHeader), file.substr(14 + cbHeader, dwOffBits - 14 - cbHeader), file.substr(dwOffBits) };
}

// A file of the parts; bfOffBits as given, or where the bits begin.
inline std::string Join(const DibParts& parts, DWORD dwOffBits = 0)
{
    std::string file = "BM" + std::string(12, '\0') + parts.header + parts.table + parts.bits;
    Put<DWORD>(file, 2, (DWORD)file.size());
    Put<DWORD>(file, 10, dwOffBits ? dwOffBits : (DWORD)(14 + parts.header.size() + parts.table.size()));
    return file;
}
