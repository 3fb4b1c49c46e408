// The library as an application sees it: linked through its import library, loaded by the
// system loader, its export table read from the loaded image.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <string>

TEST(Exports, PlainFunctionsAreExportedUndecoratedAndBoundThroughTheImportLibrary)
{
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    ASSERT_NE(hLib, nullptr);
    const BYTE* base = (const BYTE*)hLib;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_EXPORT_DIRECTORY* exp = (const IMAGE_EXPORT_DIRECTORY*)(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    const DWORD* rvaNames = (const DWORD*)(base + exp->AddressOfNames);
    ASSERT_GT(exp->NumberOfNames, 30u);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i) {
        std::string name = (const char*)(base + rvaNames[i]);
        if (name.compare(0, 2, "_Z") != 0 && name != "_GetBexProjectsDir@4") {
            EXPECT_EQ(name.find('@'), std::string::npos) << "decorated plain export " << name;
        }
    }
    // The one the interface asks for is exported only under its decorated name.
    EXPECT_EQ(GetProcAddress(hLib, "_GetBexProjectsDir@4"), (FARPROC)&GetBexProjectsDir);
    EXPECT_EQ(GetProcAddress(hLib, "GetBexProjectsDir"), nullptr);
    // The call through the import library lands in the same function GetProcAddress finds.
    EXPECT_EQ(GetProcAddress(hLib, "SkipSpace"), (FARPROC)&SkipSpace);
    EXPECT_EQ(RegisterBexAckMessage(), RegisterWindowMessageA("MsgBexAck"));
}
