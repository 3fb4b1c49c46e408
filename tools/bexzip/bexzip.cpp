// bexzip: the library's archive functions from the command line.
//
//   bexzip zip ARCHIVE ITEMS [KEEPDIRS [RECURSE]]   pack ITEMS (a path, pattern or directory)
//   bexzip list ARCHIVE                             list the entries, one a line
//   bexzip unzip ARCHIVE FOLDER                     extract every entry into FOLDER
//
// The archive libraries report nothing on screen (there may be no one to answer a box). --help
// shows this usage. The exit code is 0 on success, 1 on failure (said on standard error), 2 for
// a command line it does not understand.
#include "BexLib32.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// On standard output when asked for, else on standard error as the answer to a bad command line.
static int Usage(FILE* pOut)
{
    fprintf(pOut, "usage: bexzip zip ARCHIVE ITEMS [KEEPDIRS [RECURSE]]\n"
                  "       bexzip list ARCHIVE\n"
                  "       bexzip unzip ARCHIVE FOLDER\n");
    return pOut == stdout ? 0 : 2;
}

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        return Usage(stdout);
    if (argc < 3)
        return Usage(stderr);
    const char* pszVerb = argv[1];
    const char* pszArchive = argv[2];
    if (strcmp(pszVerb, "zip") == 0 && argc >= 4 && argc <= 6) {
        int nKeepDirs = argc > 4 ? atoi(argv[4]) : 1;
        int nRecurse = argc > 5 ? atoi(argv[5]) : 1;
        if (!Zip(argv[3], pszArchive, nKeepDirs, nRecurse, TRUE)) {
            fprintf(stderr, "bexzip: cannot pack %s into %s\n", argv[3], pszArchive);
            return 1;
        }
        return 0;
    }
    if (strcmp(pszVerb, "list") == 0 && argc == 3) {
        CStringArray arrFiles;
        if (!ZipGetFileList(pszArchive, arrFiles, TRUE)) {
            fprintf(stderr, "bexzip: cannot list %s\n", pszArchive);
            return 1;
        }
        for (INT_PTR i = 0; i < arrFiles.GetSize(); ++i)
            printf("%s\n", (LPCSTR)arrFiles[i]);
        printf("%d entries\n", (int)arrFiles.GetSize());
        return 0;
    }
    if (strcmp(pszVerb, "unzip") == 0 && argc == 4) {
        if (!Unzip(pszArchive, argv[3], TRUE)) {
            fprintf(stderr, "bexzip: cannot extract %s into %s\n", pszArchive, argv[3]);
            return 1;
        }
        return 0;
    }
    return Usage(stderr);
}
