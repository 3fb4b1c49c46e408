// bexcfg: the suite's settings from the command line.
//
//   bexcfg install ROOT      a sample installation: ROOT\Apps, ROOT\Local and ROOT\Projects made
//                            and entered as "AppsDir", "LocalDir", "ProjectsDir" of "Global"
//   bexcfg show              the settings branch, the three directories and the library's version
//   bexcfg set SECTION ENTRY TEXT   a per-user text setting, read back at once
//   bexcfg get SECTION ENTRY        a per-user text setting
//
// --help shows this usage. The exit code is 0 on success, 1 on failure (said on standard error),
// 2 for a command line it does not understand.
#include "BexLib32.h"
#include <stdio.h>
#include <string.h>

// On standard output when asked for, else on standard error as the answer to a bad command line.
static int Usage(FILE* pOut)
{
    fprintf(pOut, "usage: bexcfg install ROOT\n"
                  "       bexcfg show\n"
                  "       bexcfg set SECTION ENTRY TEXT\n"
                  "       bexcfg get SECTION ENTRY\n");
    return pOut == stdout ? 0 : 2;
}

// The directories are stored as an installer might write them (with and without a trailing
// backslash, or with two), and come back with exactly one.
static int Install(const char* pszRoot)
{
    CString strRoot(pszRoot);
    strRoot.TrimRight('\\');
    static const struct { const char* pszEntry; const char* pszFolder; const char* pszTail; } s_dirs[] = {
        { "AppsDir", "Apps", "\\" }, { "LocalDir", "Local", "" }, { "ProjectsDir", "Projects", "\\\\" },
    };
    CreateDirectoryA(strRoot, NULL);
    for (const auto& dir : s_dirs) {
        CString strDir = strRoot + "\\" + dir.pszFolder;
        if (!CreateDirectoryA(strDir, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
            fprintf(stderr, "bexcfg: cannot make %s\n", (LPCSTR)strDir);
            return 1;
        }
        CString strStored = strDir + dir.pszTail;
        if (!SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", dir.pszEntry, strStored)) {
            fprintf(stderr, "bexcfg: cannot store %s\n", dir.pszEntry);
            return 1;
        }
        printf("stored   HKEY_LOCAL_MACHINE\\Software\\%s\\Global  %-11s = %s\n",
               (LPCSTR)GetBexBaseRegistryKey(), dir.pszEntry, (LPCSTR)strStored);
    }
    return 0;
}

static int Show()
{
    printf("%-16s %s\n", "base key", (LPCSTR)GetBexBaseRegistryKey());
    char szDir[MAX_PATH];
    printf("%-16s %s\n", "AppsDir", GetBexAppsDir(szDir));
    printf("%-16s %s\n", "LocalDir", GetBexLocalDir(szDir));
    printf("%-16s %s\n", "ProjectsDir", GetBexProjectsDir(szDir));

    CVersionInfo info;
    if (!info.Init("BexLib32.DLL")) {
        fprintf(stderr, "bexcfg: BexLib32.DLL has no readable version resource\n");
        return 1;
    }
    for (const char* pszKey : { "FileVersion", "ProductVersion", "FileDescription" })
        printf("%-16s %s\n", pszKey, (LPCSTR)info.StringFileInfo(pszKey));
    printf("%-16s %s\n", "Language", (LPCSTR)info.Language());
    if (const VS_FIXEDFILEINFO* pffi = info.GetFixedFileInfo())
        printf("%-16s %u.%u.%u.%u\n", "fixed version", HIWORD(pffi->dwFileVersionMS), LOWORD(pffi->dwFileVersionMS),
               HIWORD(pffi->dwFileVersionLS), LOWORD(pffi->dwFileVersionLS));
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        return Usage(stdout);
    if (argc == 3 && strcmp(argv[1], "install") == 0)
        return Install(argv[2]);
    if (argc == 2 && strcmp(argv[1], "show") == 0)
        return Show();
    if (argc == 5 && strcmp(argv[1], "set") == 0) {
        if (!SetBexProfileString(HKEY_CURRENT_USER, argv[2], argv[3], argv[4])) {
            fprintf(stderr, "bexcfg: cannot store %s\n", argv[3]);
            return 1;
        }
        printf("written  HKEY_CURRENT_USER\\Software\\%s\\%s  %s = %s\n", (LPCSTR)GetBexBaseRegistryKey(), argv[2], argv[3], argv[4]);
        printf("read     %s\n", (LPCSTR)GetBexProfileString(HKEY_CURRENT_USER, argv[2], argv[3], "(default)"));
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "get") == 0) {
        printf("%s\n", (LPCSTR)GetBexProfileString(HKEY_CURRENT_USER, argv[2], argv[3], "(default)"));
        return 0;
    }
    return Usage(stderr);
}
