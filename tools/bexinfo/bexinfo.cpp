// bexinfo: the suite's version report, for support scripts and logs.
//
//   bexinfo            the report as plain text on standard output (CR LF line ends, tabs
//                      between the columns), exactly as the version information window shows it;
//                      a missing installation list is reported on standard error
//   bexinfo window     the version information window itself, until it is closed
//
// --help shows this usage. The exit code is 0 on success, 1 when the report cannot be written
// (said on standard error), 2 for a command line it does not understand.
#include "BexLib32.h"
#include <stdio.h>
#include <string.h>
#include <fcntl.h>
#include <io.h>

namespace {

class CStdoutReport : public CReportOutput
{
public:
    void AppendText(const char* pszText) override { fputs(pszText, stdout); }
    // Nobody is there to answer a message box.
    void Warn(const char* pszText) override { fprintf(stderr, "bexinfo: warning: %s\n", pszText); }
};

}  // namespace

// On standard output when asked for, else on standard error as the answer to a bad command line.
static int Usage(FILE* pOut)
{
    fprintf(pOut, "usage: bexinfo\n"
                  "       bexinfo window\n");
    return pOut == stdout ? 0 : 2;
}

int main(int argc, char** argv)
{
    if (argc == 1) {
        // The report's own CR LF must reach the file unchanged.
        _setmode(_fileno(stdout), _O_BINARY);
        CStdoutReport out;
        WriteTurVersionReport(out);
        if (fflush(stdout) != 0 || ferror(stdout)) {
            fprintf(stderr, "bexinfo: the report could not be written\n");
            return 1;
        }
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        return Usage(stdout);
    if (argc == 2 && strcmp(argv[1], "window") == 0) {
        DisplayTurVersionInformation();
        return 0;
    }
    return Usage(stderr);
}
