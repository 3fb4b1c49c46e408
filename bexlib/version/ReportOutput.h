// Where the version report's sections write.
//
// The version information dialog writes the report into its text control; other callers (a
// command-line tool, a support script) give their own output and get the same text, CR LF
// line ends and all.
#pragma once

#include "../bexdefs.h"

class BEX_API CReportOutput
{
public:
    virtual ~CReportOutput() {}

    // Appends text at the end of the report.
    virtual void AppendText(const char* pszText) = 0;
    // The title, then the separator line under it.
    void AppendHeading(const char* pszTitle);
    // A warning the reader must see before the report goes on: a message box captioned
    // "Warning", owned by no window. An output without a user overrides it.
    virtual void Warn(const char* pszText);
};
