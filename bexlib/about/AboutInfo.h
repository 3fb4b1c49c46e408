// How an application describes itself to the about box and the splash window.
#pragma once

#include "../bexdefs.h"

// Called by "&More Info..."; typically opens the version information window.
typedef void (*BEXMOREINFOPROC)(void);

struct BexAboutInfo
{
    HWND hWndOwner;              // centres the about box; its module holds the icon
    LPCSTR lpszIcon;             // icon resource name or MAKEINTRESOURCE identifier
    LPCSTR lpszProduct;          // the application's name
    LPCSTR lpszProductSuffix;    // shown after the name in the title line
    LPCSTR lpszCopyright;        // the years or holder put into the copyright line
    LPCSTR lpszAuthor;           // after "Written by: "
    LPCSTR lpszVersion;          // after the version label
    BEXMOREINFOPROC pfnMoreInfo; // NULL: the about box has no "&More Info..." button
};
