// Definitions shared by every header of the library.
#pragma once

#include "fxframe.h"

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

#ifdef BEX_BUILDING_LIBRARY
// The library's own module, set by the entry point before anything else runs: every resource
// of the library is loaded from here.
extern HINSTANCE g_hBexLib;
#endif
