// The library frame: its module, and the message boxes for errors the user must see.
#pragma once

#include "../bexdefs.h"

#ifdef BEX_BUILDING_LIBRARY
// Makes the library's module the framework's resource handle (its templates, strings and icons
// win over the application's) until the end of the scope, then puts back what was there, even
// none: an application that never set one must not be left with the library's.
class CBexResourceScope
{
public:
    CBexResourceScope() : m_hSaved(AfxGetModuleState()->m_hCurrentResourceHandle)
    {
        AfxGetModuleState()->m_hCurrentResourceHandle = g_hBexLib;
    }
    ~CBexResourceScope() { AfxGetModuleState()->m_hCurrentResourceHandle = m_hSaved; }
    CBexResourceScope(const CBexResourceScope&) = delete;
    CBexResourceScope& operator=(const CBexResourceScope&) = delete;

private:
    HINSTANCE m_hSaved;
};
#endif

// An error box with string nFormatID (of this library) formatted with the two arguments.
// (The arguments are DWORD on 32-bit Windows; pointer-sized so that a text argument survives 64-bit.)
BEXFN int BEXAPI SystemError(HWND hWnd, UINT nFormatID, DWORD_PTR dwArg1, DWORD_PTR dwArg2);
// The same as an information box.
BEXFN int BEXAPI SystemInfo(HWND hWnd, UINT nFormatID, DWORD_PTR dwArg1, DWORD_PTR dwArg2);
// The system's text for the calling thread's last error.
BEXFN void BEXAPI LastError(HWND hWnd);
// "Error <nID>: <string nID formatted with the arguments>", captioned with the application's title.
BEXFN void __cdecl DllError(UINT nID, ...);

// The library's message texts, usable by applications as nFormatID and nID.
#define IDS_BEX_BROWSEFOR      134
#define IDS_BEX_OUTOFMEMORY    135
#define IDS_BEX_CANNOTOPEN     136
#define IDS_BEX_CANNOTREAD     137
#define IDS_BEX_INVALIDFILE    138
#define IDS_BEX_COPYRIGHT      139
#define IDS_BEX_INVALIDDIB     140
#define IDS_BEX_NOTFOUND       141
#define IDS_BEX_READERROR      142
#define IDS_BEX_WRITEERROR     143
#define IDS_BEX_SYSTEMERROR    1000
#define IDS_BEX_ERRORFORMAT    1001
#define IDS_BEX_SYSTEMINFO     1002
