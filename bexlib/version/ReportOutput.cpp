#include "ReportOutput.h"

void CReportOutput::AppendHeading(const char* pszTitle)
{
    AppendText(pszTitle);
    AppendText("\r\n------------------------------------------------------\r\n");
}

void CReportOutput::Warn(const char* pszText)
{
    MessageBoxA(NULL, pszText, "Warning", MB_ICONEXCLAMATION | MB_OK);
}
