// The version report over a large installation against reading its program files once: the
// report reads every listed file's version resource and checksums all of its bytes, so reading
// the files is the floor it cannot go below. Ratios of times taken in this run, once over
// program files and once over plain files of the same sizes, whose missing version resources
// leave the rest of the report to be measured on its own.
//
//   verbench [DIR]     DIR for the sample installation, the temporary directory by default
//
// The suite's "AppsDir" and "LocalDir" settings point at the sample while it runs and get their
// old values back afterwards.
#include "BexLib32.h"
#include "benchtime.h"
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const int nFiles = 1000;
DWORD cbFile = 384 * 1024;
const DWORD cbMaxLib = 16 << 20;
const int nRounds = 5;

void Fail(const char* pszWhat)
{
    fprintf(stderr, "verbench: %s failed: %lu\n", pszWhat, GetLastError());
    ExitProcess(1);
}

class CCountingReport : public CReportOutput
{
public:
    size_t m_cch = 0;
    int m_nLines = 0;
    void AppendText(const char* pszText) override
    {
        m_cch += strlen(pszText);
        m_nLines += strstr(pszText, "\r\n") != NULL;
    }
    void Warn(const char* pszText) override { fprintf(stderr, "verbench: %s\n", pszText); }
};

void WriteAll(const std::string& path, const void* pData, DWORD cb)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cbDone = 0;
    if (h == INVALID_HANDLE_VALUE || !WriteFile(h, pData, cb, &cbDone, NULL) || cbDone != cb)
        Fail(path.c_str());
    CloseHandle(h);
}

// The files of the sample, each read once in large blocks; returns a sum so nothing is skipped.
DWORD ReadOnce(const std::vector<std::string>& paths)
{
    static std::vector<BYTE> s_buf(1 << 16);
    DWORD dwSum = 0;
    for (const std::string& path : paths) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (h == INVALID_HANDLE_VALUE)
            Fail(path.c_str());
        DWORD cb = 0;
        while (ReadFile(h, s_buf.data(), (DWORD)s_buf.size(), &cb, NULL) && cb > 0)
            dwSum += s_buf[cb - 1];
        CloseHandle(h);
    }
    return dwSum;
}

struct FIGURES {
    double dRead, dVersions, dReport;
};

// The sample in dir: files of cbFile bytes, each the image given with bytes of its own behind
// cbImage, listed with the right version, size and checksum, so that the report reads each one
// to its end. The three times are taken in turns: the part beyond the version resources is a
// difference of two of them.
FIGURES Measure(const std::string& dir, std::vector<BYTE> image, DWORD cbImage)
{
    CreateDirectoryA(dir.c_str(), NULL);
    std::vector<std::string> paths;
    std::string list;
    for (int i = 0; i < nFiles; ++i) {
        for (DWORD j = cbImage; j < cbFile; ++j)
            image[j] = (BYTE)(i * 31 + j * 7);
        char szName[32], szRecord[128];
        sprintf(szName, "Tool%04d.%s", i, i % 3 ? "dll" : "exe");
        paths.push_back(dir + szName);
        WriteAll(paths.back(), image.data(), cbFile);
        DWORD dwSum = 0;
        for (BYTE b : image)
            dwSum = ((dwSum ^ b) << 1) | ((dwSum ^ b) >> 31);
        sprintf(szRecord, "%-6s%-6s%-14s%-12lu%-14lx%s\r\n", "1", "W", "2.0.140", (unsigned long)cbFile,
                (unsigned long)dwSum, szName);
        list += szRecord;
    }
    WriteAll(dir + "FileList.txt", list.data(), (DWORD)list.size());
    SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "AppsDir", dir.c_str());

    CCountingReport report;
    DWORD dwSink = ReadOnce(paths);   // warm: every side reads from the cache
    std::vector<double> best = bench::BestInTurns(
        { [&] { dwSink += ReadOnce(paths); },
          // The version resource pass of the report: each file's resource, read for its line.
          [&] {
              for (const std::string& path : paths) {
                  CVersionInfo info;
                  info.Init(path.c_str());
                  info.StringFileInfo("FileVersion");
                  info.StringFileInfo("FileDescription");
                  info.StringFileInfo("Author");
              }
          },
          [&] {
              report = CCountingReport();
              WriteTurVersionReport(report);
          } },
        nRounds);

    for (const std::string& path : paths)
        DeleteFileA(path.c_str());
    DeleteFileA((dir + "FileList.txt").c_str());
    RemoveDirectoryA(dir.c_str());
    printf("%d files, %.0f MiB (best of %d rounds, sink %lu): read once %.3f s; report %.3f s, %d lines\n", nFiles,
           nFiles * (double)cbFile / (1 << 20), nRounds, (unsigned long)(dwSink & 1), best[0], best[2], report.m_nLines);
    return { best[0], best[1], best[2] };
}

}  // namespace

int main(int argc, char** argv)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string dir = std::string(argc > 1 ? argv[1] : szTemp);
    if (dir.back() != '\\')
        dir += '\\';

    // The program files are this program, with its version resource, grown to their size.
    char szLib[MAX_PATH];
    GetModuleFileNameA(NULL, szLib, MAX_PATH);
    HANDLE hLib = CreateFileA(szLib, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    std::vector<BYTE> image(cbMaxLib);
    DWORD cbLib = 0;
    if (hLib == INVALID_HANDLE_VALUE || !ReadFile(hLib, image.data(), cbMaxLib, &cbLib, NULL) || cbLib >= cbMaxLib)
        Fail("reading this program");
    CloseHandle(hLib);
    // A build with debugging information is larger than the files are meant to be: then each
    // file is the program and a little more.
    if (cbLib + 1024 > cbFile)
        cbFile = cbLib + 1024;
    image.resize(cbFile);

    CString strOldApps = GetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "AppsDir", "");
    CString strOldLocal = GetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "LocalDir", "");
    SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "LocalDir", "");
    printf("Program files:\n  ");
    FIGURES prog = Measure(dir + "verbench\\", image, cbLib);
    // Files without a version resource cost the version pass almost nothing, so that the rest of
    // the report, the same for every file, is no longer a small difference of two long times.
    printf("Plain files of the same sizes, without version resources:\n  ");
    FIGURES plain = Measure(dir + "verbench\\", image, 0);
    SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "AppsDir", strOldApps);
    SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "LocalDir", strOldLocal);

    printf("Program files: report = %.2f x reading the files once, its version resource pass %.2f x,\n"
           "  the rest (listing, checksums) %.2f x (goal <= 1.5)\n",
           prog.dReport / prog.dRead, prog.dVersions / prog.dRead, (prog.dReport - prog.dVersions) / prog.dRead);
    printf("Plain files: report = %.2f x reading the files once, its version resource pass %.2f x,\n"
           "  the rest (listing, checksums) %.2f x (goal <= 1.5)\n",
           plain.dReport / plain.dRead, plain.dVersions / plain.dRead, (plain.dReport - plain.dVersions) / plain.dRead);
    return 0;
}
