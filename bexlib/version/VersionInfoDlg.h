// CVersionInfoDlg: the "Version Information" window. A resizable modal dialog whose only
// content is the version report, built once while the dialog opens; it remembers its last
// rectangle for the user. Library-internal: applications call DisplayTurVersionInformation.
#pragma once

#include "VersionReport.h"

#define IDD_BEX_VERSIONINFO   132
#define IDI_BEX_VERSIONINFO   134
#define IDC_BEX_VERSIONREPORT 1001

class CVersionInfoDlg : public CDialog, public CReportOutput
{
public:
    CVersionInfoDlg();
    ~CVersionInfoDlg() override;

    // The report control as the report's output.
    void AppendText(const char* pszText) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnPaint();
    afx_msg UINT OnNcHitTest(CPoint point);
    afx_msg void OnHelp();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnCommandHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void RestoreWindowRect();

    CRect m_rectWnd;        // outer rectangle as last seen, screen coordinates
    int m_nMinWidth;        // the outer size the dialog opened with; 0 before that
    int m_nMinHeight;
    CEdit m_editReport;
};
