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

struct CNamedDlg : CDialog {
    CNamedDlg() : CDialog("NAMEDDLG") {}
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
BEGIN_MESSAGE_MAP(CNamedDlg, CDialog)
    ON_WM_GETMINMAXINFO()
    ON_WM_CREATE()
END_MESSAGE_MAP()

struct CDdxDlg : CDialog {
    CDdxDlg() : CDialog(IDD_DDX) {}
    CEdit m_edit, m_missing;
    bool m_bBindMissing = false;
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_EDIT, m_edit);
        if (m_bBindMissing)
            DDX_Control(pDX, 999, m_missing);
    }
};

}  // namespace

TEST(DoModal, FindsATemplateByNameAndAttachesBeforeItsFirstMessage)
{
    CNamedDlg dlg;
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDOK); } });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_order, (std::vector<UINT>{ WM_GETMINMAXINFO, WM_CREATE, WM_INITDIALOG }));
    EXPECT_TRUE(dlg.m_bAttachedAtInit);
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);

    CDialog missing("NOSUCHDLG");
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(DoModal, DataExchangeBindsControlsAndAFailedExchangeKeepsTheDialogOpen)
{
    CDdxDlg dlg;
    dlg.m_bBindMissing = true;
    bool bBound = false, bOpenAfterOk = false;
    DialogDriver driver({ [&](HWND hDlg) {
                              bBound = CWnd::FromHandlePermanent(GetDlgItem(hDlg, IDC_EDIT)) == &dlg.m_edit;
                              Click(hDlg, IDOK);
                          },
                          [&](HWND hDlg) { bOpenAfterOk = IsWindow(hDlg) != FALSE; Click(hDlg, IDCANCEL); } });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(bBound);
    EXPECT_TRUE(bOpenAfterOk);
    EXPECT_EQ(dlg.m_edit.m_hWnd, (HWND)NULL);   // the control lets go of its window with the dialog
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
