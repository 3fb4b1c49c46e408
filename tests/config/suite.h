// The suite's registry branch seen through raw Reg* and version calls, independent of the library.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace suite {

// ProductVersion of the library's first translation.
inline std::string Release()
{
    char szPath[MAX_PATH], szQuery[64];
    GetModuleFileNameA(GetModuleHandleA("BexLib32.dll"), szPath, MAX_PATH);
    DWORD dw = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeA(szPath, &dw) + 1);
    WORD* pw = NULL;
    char* psz = NULL;
    UINT n = 0;
    GetFileVersionInfoA(szPath, dw, (DWORD)data.size(), data.data());
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&pw, &n) || n < 4)
        return "";
    sprintf(szQuery, "\\StringFileInfo\\%04x%04x\\ProductVersion", pw[0], pw[1]);
    return VerQueryValueA(data.data(), szQuery, (void**)&psz, &n) ? std::string(psz, strnlen(psz, n)) : "";
}

inline std::string Branch() { return "Software\\KELM-Ostrand\\Tur\\" + Release(); }
inline std::string Section(const std::string& name) { return Branch() + "\\" + name; }

inline bool KeyExists(HKEY hive, const std::string& path)
{
    HKEY h;
    return RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS && RegCloseKey(h) == ERROR_SUCCESS;
}

// The value's type and bytes, or "" and REG_NONE when there is none.
inline std::string Query(HKEY hive, const std::string& path, const char* pszEntry, DWORD* pdwType = NULL)
{
    char buf[4096];
    DWORD cb = sizeof(buf), dwType = REG_NONE;
    if (RegGetValueA(hive, path.c_str(), pszEntry, RRF_RT_ANY | RRF_NOEXPAND, &dwType, buf, &cb) != ERROR_SUCCESS)
        cb = 0;
    if (pdwType)
        *pdwType = dwType;
    return std::string(buf, cb);
}

inline void Store(HKEY hive, const std::string& path, const char* pszEntry, DWORD dwType, const std::string& bytes)
{
    RegSetKeyValueA(hive, path.c_str(), pszEntry, dwType, bytes.data(), (DWORD)bytes.size());
}

// A value of the suite's branch that a test sets: unset while the object lives, and as it was
// before when it dies.
struct Entry {
    HKEY hive;
    std::string section, entry, saved;
    DWORD dwSavedType = REG_NONE;
    Entry(HKEY hHive, const char* pszSection, const char* pszEntry) : hive(hHive), section(pszSection), entry(pszEntry)
    {
        saved = Query(hive, Section(section), pszEntry, &dwSavedType);
        Unset();
    }
    ~Entry()
    {
        if (dwSavedType == REG_NONE)
            Unset();
        else
            Store(hive, Section(section), entry.c_str(), dwSavedType, saved);
    }
    void Set(const std::string& text) { Store(hive, Section(section), entry.c_str(), REG_SZ, text + '\0'); }
    std::string Get() const { std::string s = Query(hive, Section(section), entry.c_str()); return s.substr(0, s.find('\0')); }
    void Unset() { RegDeleteKeyValueA(hive, Section(section).c_str(), entry.c_str()); }
};

// An entry of HKEY_LOCAL_MACHINE "Global".
struct GlobalEntry : Entry {
    explicit GlobalEntry(const char* pszEntry) : Entry(HKEY_LOCAL_MACHINE, "Global", pszEntry) {}
};

}  // namespace suite
