// A page heap: heap blocks that end where a no-access page begins, so that a byte read or written
// past a block faults at once instead of passing unseen.
//
// It is put into a running process by rewriting import slots: the C runtime's malloc, calloc,
// realloc and free as called from the modules named (the C++ runtime among them serves every
// operator new of the process), and kernel32's GlobalAlloc family as called from one module. The
// modules themselves are not changed, and a program that does not install it runs as before.
// Once installed it stays for the life of the process: blocks it gave out must come back to it.
//
// Its blocks: a block's bytes start as 0xA5 unless zeroing was asked for; its start is aligned
// to the largest power of two (up to 16) that divides its size, which is all that an object or
// array of that size can need, so that no slack lies between its end and the no-access page; a
// freed block's pages stay no-access until the heap has gone round its space once. A block the
// heap cannot place comes from the system, as it would have without the heap.
#pragma once

#include <windows.h>
#include <initializer_list>
#include <string>

namespace harness {
namespace pageheap {

// Raised, with the pointer as its one parameter, when a pointer that starts no block of the heap
// is freed into it: a double free, or a pointer into a block.
const DWORD STATUS_BAD_FREE = 0xE0BE0001;

// Routes the malloc family of each module (NULL: the program itself) through the heap. False
// when a module is not loaded or does not import the family from msvcrt.dll.
bool InstallCrt(std::initializer_list<const char*> modules);
// Routes the GlobalAlloc family of the module through the heap.
bool InstallGlobal(const char* pszModule);

// What lies at pv, for a fault report: "3 bytes past the end of a 40-byte malloc block", "12
// bytes into a freed 40-byte GlobalAlloc block"; "" when pv is not in the heap's space.
std::string Describe(const void* pv);

// While nByte is 0 to 255, new blocks have 64 KiB of that byte behind them instead of the
// no-access page; -1 goes back to the page. Wine's GDI reads caller memory on its Unix side,
// where a no-access page does not fault: what it reads past a block shows only in what it draws.
void SetTail(int nByte);

// While off, new blocks come from the system (blocks of the heap still go back to it): a
// program can keep its own work off the heap's pages, where every block costs system calls.
void Enable(bool bOn);

// GlobalAlloc blocks given out and not freed.
size_t LiveGlobalBlocks();

}  // namespace pageheap
}  // namespace harness
