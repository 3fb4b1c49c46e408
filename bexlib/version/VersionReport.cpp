// The version report in its fixed order.
#include "VersionReport.h"
#include "InstalledFiles.h"
#include "LibraryReport.h"

void BEXAPI WriteTurVersionReport(CReportOutput& out)
{
    ReportInstalledFiles(out);
    ReportDefaultLibraries(out);
    ReportOverrideLibraries(out);
    out.AppendText("\r\n*** End of info ***\r\n");
}
