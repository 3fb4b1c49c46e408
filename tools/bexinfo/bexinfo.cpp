// bexinfo: the suite's version report, for support scripts and logs.
//
//   bexinfo            the report as plain text on standard output (CR LF line ends, tabs
//                      between the columns), exactly as the version information window shows it;
//                      a missing installation list is reported on standard error
//   bexinfo window     the version information window itself, until it is closed
//
// The exit code is 0 on success, 1 when the report cannot be written, 2 for a command line it
// does not understand.
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

int main(int argc, char** argv)
{
    if (argc == 1) {
        // The report's own CR LF must reach the file unchanged.
        _setmode(_fileno(stdout), _O_BINARY);
        CStdoutReport out;
        WriteTurVersionReport(out);
        return fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 2 && strcmp(argv[1], "window") == 0) {
        DisplayTurVersionInformation();
        return 0;
    }
    fprintf(stderr, "usage: bexinfo\n"
                    "       bexinfo window\n");
    return 2;
}
