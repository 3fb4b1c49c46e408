// Definitions shared by every header of the library.
#pragma once

#include "fxframe.h"
#include <stddef.h>

// Exported classes and C++ overloads carry their export in the declaration; the plain functions
// are exported by the .def file under their undecorated names, so they must not be dllexport
// (that would export the decorated name as well).
#ifdef BEX_BUILDING_LIBRARY
#define BEX_API __declspec(dllexport)
#define BEXFN extern "C"
#else
#define BEX_API __declspec(dllimport)
#define BEXFN extern "C" __declspec(dllimport)
#endif

#define BEXAPI WINAPI

// A size or offset on the 32-bit build, the product, and on the 64-bit one: what crosses into
// another module, process or file is pinned for both widths with static_assert, so that a run
// of either width checks the layout the other one has.
#define BEX_WIDTH(n32, n64) (sizeof(void*) == 4 ? (n32) : (n64))

#ifdef BEX_BUILDING_LIBRARY
// The library's own module, set by the entry point before anything else runs: every resource
// of the library is loaded from here.
extern HINSTANCE g_hBexLib;
#endif
