// The suite's registry branch as a test sees it: through raw Reg* calls, independent of the
// library, and entries of the installation-wide "Global" section put back as they were found.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace suite {

// The release: ProductVersion of the library's first translation, read with the version API.
inline std::string Release()
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("BexLib32.dll"), szPath, MAX_PATH);
    DWORD dwHandle = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeA(szPath, &dwHandle));
    if (data.empty() || !GetFileVersionInfoA(szPath, dwHandle, (DWORD)data.size(), data.data()))
        return "";
    WORD* pw = NULL;
    UINT n = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&pw, &n) || n < 4)
        return "";
    char szQuery[64];
    sprintf(szQuery, "\\StringFileInfo\\%04x%04x\\ProductVersion", pw[0], pw[1]);
    char* psz = NULL;
    if (!VerQueryValueA(data.data(), szQuery, (void**)&psz, &n))
        return "";
    return std::string(psz, strnlen(psz, n));
}

// "Software\KELM-Ostrand\Tur\(release)", and a section below it.
inline std::string Branch() { return "Software\\KELM-Ostrand\\Tur\\" + Release(); }
inline std::string Section(const std::string& name) { return Branch() + "\\" + name; }

inline bool KeyExists(HKEY hive, const std::string& path)
{
    HKEY h;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

struct Value {
    LONG result = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;
};

inline Value Query(HKEY hive, const std::string& path, const char* pszEntry)
{
    Value v;
    HKEY h;
    if ((v.result = RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &h)) != ERROR_SUCCESS)
        return v;
    char buf[4096];
    DWORD cb = sizeof(buf);
    v.result = RegQueryValueExA(h, pszEntry, NULL, &v.type, (BYTE*)buf, &cb);
    if (v.result == ERROR_SUCCESS)
        v.bytes.assign(buf, cb);
    RegCloseKey(h);
    return v;
}

inline void Store(HKEY hive, const std::string& path, const char* pszEntry, DWORD dwType, const std::string& bytes)
{
    HKEY h;
    if (RegCreateKeyExA(hive, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h, NULL) == ERROR_SUCCESS) {
        RegSetValueExA(h, pszEntry, 0, dwType, (const BYTE*)bytes.data(), (DWORD)bytes.size());
        RegCloseKey(h);
    }
}

inline void Remove(HKEY hive, const std::string& path, const char* pszEntry)
{
    HKEY h;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
        RegDeleteValueA(h, pszEntry);
        RegCloseKey(h);
    }
}

// Sets (or removes) an entry of HKEY_LOCAL_MACHINE "Global" for the life of the object.
class GlobalEntry {
public:
    explicit GlobalEntry(const char* pszEntry) : m_entry(pszEntry), m_saved(Query(HKEY_LOCAL_MACHINE, Section("Global"), pszEntry)) {}
    GlobalEntry(const char* pszEntry, const std::string& text) : GlobalEntry(pszEntry) { Set(text); }
    ~GlobalEntry()
    {
        if (m_saved.result == ERROR_SUCCESS)
            Store(HKEY_LOCAL_MACHINE, Section("Global"), m_entry.c_str(), m_saved.type, m_saved.bytes);
        else
            Remove(HKEY_LOCAL_MACHINE, Section("Global"), m_entry.c_str());
    }
    void Set(const std::string& text) { Store(HKEY_LOCAL_MACHINE, Section("Global"), m_entry.c_str(), REG_SZ, text + '\0'); }
    void Unset() { Remove(HKEY_LOCAL_MACHINE, Section("Global"), m_entry.c_str()); }

private:
    std::string m_entry;
    Value m_saved;
};

}  // namespace suite
