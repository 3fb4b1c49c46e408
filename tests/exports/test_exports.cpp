// The library as an application sees it: linked through its import library, loaded by the
// system loader, its export table read from the loaded image.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <set>
#include <string>

static std::set<std::string> ExportNames(HMODULE hModule)
{
    std::set<std::string> names;
    const BYTE* base = (const BYTE*)hModule;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_EXPORT_DIRECTORY* exp = (const IMAGE_EXPORT_DIRECTORY*)(base + dir.VirtualAddress);
    const DWORD* rvaNames = (const DWORD*)(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i)
        names.insert((const char*)(base + rvaNames[i]));
    return names;
}

TEST(Exports, PlainFunctionsAreExportedUndecoratedAndBoundThroughTheImportLibrary)
{
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    ASSERT_NE(hLib, nullptr);
    std::set<std::string> names = ExportNames(hLib);
    for (const char* name : { "SystemError", "SystemInfo", "LastError", "DllError", "KelmHexDump",
                              "_fString", "fSString", "RegisterBexAckMessage",
                              "IsCharSpace", "SkipSpace", "SkipChar", "_lstrchr", "_lstrend", "_lstrncpy", "_lstrfill", "_lstrformat", "_lstrtokcmpi", "_lstrtokcpy", "_lstrtokncpy", "_lstrtab", "_lstrtok", "_latol", "_lChangeExt", "_lAddExt", "_SeparateFile", "WritePrivateProfileInt", "StringToID", "IDToString", "DefaultID", "DefaultString", "ReadFileLine" }) {
        EXPECT_TRUE(names.count(name)) << name;
        EXPECT_NE(GetProcAddress(hLib, name), nullptr) << name;
    }
    for (const std::string& name : names) {
        if (name.compare(0, 2, "_Z") != 0 && name != "_GetBexProjectsDir@4") {
            EXPECT_EQ(name.find('@'), std::string::npos) << "decorated plain export " << name;
        }
    }
    // The call through the import library lands in the same function GetProcAddress finds.
    typedef UINT(WINAPI * PFN)();
    PFN pfn = (PFN)GetProcAddress(hLib, "RegisterBexAckMessage");
    ASSERT_NE(pfn, nullptr);
    EXPECT_EQ(pfn(), RegisterBexAckMessage());
    EXPECT_EQ(RegisterBexAckMessage(), RegisterWindowMessageA("MsgBexAck"));
}

TEST(Exports, LibraryJoinsTheFrameworkResourceChain)
{
    // The library's strings are found from the application through the shared chain.
    CString str;
    ASSERT_TRUE(str.LoadString(1000));
    EXPECT_STREQ(str, "System Error");
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    EXPECT_EQ(AfxFindStringResourceHandle(1001), hLib);
    EXPECT_EQ(AfxFindStringResourceHandle(64999), nullptr);
}
