// The version report: the whole report in its fixed order, and the "Version Information" window
// that shows it.
#pragma once

#include "ReportOutput.h"

// "APPLICATIONS", "DEFAULT LIBRARIES", "OVERRIDE LIBRARIES" when the active project has its own
// library directories, then the closing line.
BEX_API void BEXAPI WriteTurVersionReport(CReportOutput& out);

// The modal "Version Information" window with the report, built as it opens.
BEXFN void BEXAPI DisplayTurVersionInformation(void);
