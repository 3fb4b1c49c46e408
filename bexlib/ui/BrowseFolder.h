// The suite's folder picker: a resizable dialog with the folder's path in an edit control over a
// tree of drives and folders. Folders are read when their branch is first opened, so a slow or
// absent network drive costs nothing until the user asks for it.
#pragma once

#include "../bexdefs.h"

// Runs the dialog. Any text may be NULL: the template's caption and label stay, and the tree
// starts at the current directory. On OK the chosen folder (at most MAX_PATH - 1 characters, no
// trailing backslash except for a drive) goes to lpszResult, which holds MAX_PATH characters, and
// the result is TRUE; otherwise lpszResult is left alone. dwUnused is kept for callers that pass it.
BEXFN BOOL BEXAPI BrowseForFolderDialog(const char* lpszTitle, const char* lpszLabel, const char* lpszInitialFolder,
                                        char* lpszResult, DWORD dwUnused);
