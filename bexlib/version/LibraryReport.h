// The library sections of the version report: the function libraries of the installation
// ("DEFAULT LIBRARIES") and those of the active project's own library directories ("OVERRIDE
// LIBRARIES"), each described by its ".lin" files. Library-internal.
#pragma once

#include "ReportOutput.h"

// The heading line of one library directory and its library lines, sorted.
void ListLibraryDir(CReportOutput& out, const CString& strDirectory);
void ReportDefaultLibraries(CReportOutput& out);
// Writes nothing unless a CPU of the active project uses its own library directories.
void ReportOverrideLibraries(CReportOutput& out);
