// CDialog on real dialogs, driven from inside their modal loops as a user would drive them.
#include "harness.h"
#include "fxframe.h"
#include "test_framework_res.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using harness::DialogDriver;
using harness::Click;

struct CIndirectDlg : CDialog {
    std::vector<UINT> m_order;
    bool m_bAttachedAtInit = false;
    BOOL OnInitDialog() override
    {
        m_order.push_back(WM_INITDIALOG);
        m_bAttachedAtInit = m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this;
        return CDialog::OnInitDialog();
    }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO*)
    {
        if (m_order.empty())
            m_order.push_back(WM_GETMINMAXINFO);
    }
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct)
    {
        m_order.push_back(WM_CREATE);
        return CDialog::OnCreate(lpCreateStruct);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CIndirectDlg, CDialog)
    ON_WM_GETMINMAXINFO()
    ON_WM_CREATE()
END_MESSAGE_MAP()

struct CDdxDlg : CDialog {
    CDdxDlg() : CDialog(IDD_DDX) {}
    CEdit m_edit;
    CString m_strResult;
    int m_nHelp = 0;
    bool m_bBindMissing = false;
    CEdit m_missing;
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_EDIT, m_edit);
        if (m_bBindMissing)
            DDX_Control(pDX, 999, m_missing);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_edit.SetWindowText("typed");
        return TRUE;
    }
    void OnOK() override
    {
        m_edit.GetWindowText(m_strResult);
        CDialog::OnOK();
    }
    afx_msg LRESULT OnCommandHelp(WPARAM, LPARAM) { ++m_nHelp; return TRUE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDdxDlg, CDialog)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

}  // namespace

TEST(DoModal, RunsATemplateGivenInMemoryAttachedBeforeItsFirstMessage)
{
    HRSRC hRes = FindResourceA(NULL, "NAMEDDLG", (LPCSTR)RT_DIALOG);
    ASSERT_NE(hRes, (HRSRC)NULL);
    CIndirectDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect((LPCDLGTEMPLATEA)LockResource(LoadResource(NULL, hRes))));
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDOK); } });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_order, (std::vector<UINT>{ WM_GETMINMAXINFO, WM_CREATE, WM_INITDIALOG }));
    EXPECT_TRUE(dlg.m_bAttachedAtInit);
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);

    CDialog missing("NOSUCHDLG");
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(DoModal, DataExchangeSubclassesTheTemplatesControlsIntoMembers)
{
    CDdxDlg dlg;
    bool bBound = false;
    DialogDriver driver({ [&](HWND hDlg) {
        bBound = CWnd::FromHandlePermanent(GetDlgItem(hDlg, IDC_EDIT)) == &dlg.m_edit;
        Click(hDlg, IDHELP);   // both help buttons ask the dialog with WM_COMMANDHELP
        Click(hDlg, ID_HELP);
        Click(hDlg, IDOK);
    } });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(bBound);
    EXPECT_STREQ(dlg.m_strResult, "typed");
    EXPECT_EQ(dlg.m_nHelp, 2);
    EXPECT_EQ(dlg.m_edit.m_hWnd, (HWND)NULL);   // the control lets go of its window with the dialog
}

TEST(DoModal, AFailedExchangeKeepsTheDialogOpen)
{
    CDdxDlg dlg;
    dlg.m_bBindMissing = true;
    bool bOpenAfterOk = false;
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDOK); },
                          [&](HWND hDlg) { bOpenAfterOk = IsWindow(hDlg) != FALSE; Click(hDlg, IDCANCEL); } });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(bOpenAfterOk);
}

TEST(Modeless, CreateAttachesAndDestroyWindowDetaches)
{
    CDdxDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_DDX));
    HWND hDlg = dlg.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hDlg), &dlg);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.GetDlgItem(IDC_EDIT)->m_hWnd), &dlg.m_edit);
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.m_edit.m_hWnd, (HWND)NULL);
    EXPECT_FALSE(IsWindow(hDlg));
}
