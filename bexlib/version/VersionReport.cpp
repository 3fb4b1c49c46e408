// The version report in its fixed order, and the output it is written to.
#include "VersionReport.h"
#include "InstalledFiles.h"
#include "LibraryReport.h"

void CReportOutput::AppendHeading(const char* pszTitle)
{
    AppendText(pszTitle);
    AppendText("\r\n------------------------------------------------------\r\n");
}

void CReportOutput::Warn(const char* pszText)
{
    MessageBoxA(NULL, pszText, "Warning", MB_ICONEXCLAMATION | MB_OK);
}

void BEXAPI WriteTurVersionReport(CReportOutput& out)
{
    ReportInstalledFiles(out);
    ReportDefaultLibraries(out);
    ReportOverrideLibraries(out);
    out.AppendText("\r\n*** End of info ***\r\n");
}
