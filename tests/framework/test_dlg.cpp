// CDialog on real dialogs, driven from inside their modal loops as a user would drive them.
#include "harness.h"
#include "fxframe.h"
#include "test_framework_res.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

using harness::DialogDriver;
using harness::Click;

// A dialog template built in memory: no font, so the dialog uses the system font.
class DlgTemplate
{
public:
    DlgTemplate(DWORD dwStyle, short cx, short cy, const wchar_t* pszTitle)
    {
        AddDword(dwStyle);
        AddDword(0);
        m_nCountAt = m_words.size();
        m_words.push_back(0);
        for (short n : { (short)0, (short)0, cx, cy })
            m_words.push_back((WORD)n);
        m_words.push_back(0);   // no menu
        m_words.push_back(0);   // the standard dialog class
        AddText(pszTitle);
    }
    void AddItem(WORD wClassAtom, DWORD dwStyle, short x, short y, short cx, short cy, WORD wID, const wchar_t* pszText)
    {
        if (m_words.size() % 2)
            m_words.push_back(0);   // items start on a DWORD boundary
        AddDword(dwStyle | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        for (short n : { x, y, cx, cy })
            m_words.push_back((WORD)n);
        m_words.push_back(wID);
        m_words.push_back(0xFFFF);
        m_words.push_back(wClassAtom);
        AddText(pszText);
        m_words.push_back(0);   // no creation data
        ++m_words[m_nCountAt];
    }
    LPCDLGTEMPLATEA Get() const { return (LPCDLGTEMPLATEA)m_words.data(); }

private:
    void AddDword(DWORD dw)
    {
        m_words.push_back(LOWORD(dw));
        m_words.push_back(HIWORD(dw));
    }
    void AddText(const wchar_t* psz)
    {
        do
            m_words.push_back((WORD)*psz);
        while (*psz++);
    }
    std::vector<WORD> m_words;
    size_t m_nCountAt;
};

// --- A dialog on a template in memory

class CMemoryDlg : public CDialog
{
public:
    std::vector<UINT> m_order;
    bool m_bAttachedAtInit = false;

    BOOL OnInitDialog() override
    {
        m_order.push_back(WM_INITDIALOG);
        m_bAttachedAtInit = m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this;
        return CDialog::OnInitDialog();
    }

protected:
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

BEGIN_MESSAGE_MAP(CMemoryDlg, CDialog)
    ON_WM_GETMINMAXINFO()
    ON_WM_CREATE()
END_MESSAGE_MAP()

}  // namespace

TEST(DoModal, RunsATemplateInMemoryAttachedBeforeItsFirstMessage)
{
    DlgTemplate tmpl(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, 160, 60, L"Memory");
    tmpl.AddItem(0x0080, BS_DEFPUSHBUTTON, 10, 10, 50, 14, IDOK, L"OK");
    tmpl.AddItem(0x0080, BS_PUSHBUTTON, 70, 10, 50, 14, IDCANCEL, L"Cancel");
    CMemoryDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(tmpl.Get()));
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDOK); } });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(driver.StepsRun(), 1u);
    EXPECT_EQ(dlg.m_order, (std::vector<UINT>{ WM_GETMINMAXINFO, WM_CREATE, WM_INITDIALOG }));
    EXPECT_TRUE(dlg.m_bAttachedAtInit);
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
}

// --- A dialog from the resource chain, with data exchange

namespace {

class CUpperEdit : public CEdit
{
protected:
    afx_msg LRESULT OnChar(WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProc(WM_CHAR, (WPARAM)CharUpperA((LPSTR)wParam), lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUpperEdit, CEdit)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

class CPaintedLabel : public CStatic
{
public:
    int m_nCtlColors = 0;
protected:
    HBRUSH CtlColor(CDC*, UINT) { ++m_nCtlColors; return (HBRUSH)GetStockObject(WHITE_BRUSH); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CDdxDlg : public CDialog
{
public:
    explicit CDdxDlg(UINT nIDTemplate) : CDialog(nIDTemplate) {}
    CUpperEdit m_edit;
    CPaintedLabel m_label;
    CString m_strResult;
    int m_nHelp = 0;
    bool m_bBindMissing = false;
    CEdit m_missing;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_EDIT, m_edit);
        DDX_Control(pDX, IDC_LABEL, m_label);
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
    afx_msg LRESULT OnCommandHelp(WPARAM, LPARAM)
    {
        ++m_nHelp;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDdxDlg, CDialog)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

}  // namespace

TEST(DoModal, DataExchangeSubclassesTheTemplatesControlsIntoMembers)
{
    CDdxDlg dlg(IDD_DDX);
    bool bBound = false;
    DialogDriver driver({ [&](HWND hDlg) {
        HWND hEdit = GetDlgItem(hDlg, IDC_EDIT);
        bBound = CWnd::FromHandlePermanent(hEdit) == &dlg.m_edit &&
                 CWnd::FromHandlePermanent(GetDlgItem(hDlg, IDC_LABEL)) == &dlg.m_label;
        SendMessageA(hEdit, EM_SETSEL, 5, 5);
        SendMessageA(hEdit, WM_CHAR, 'z', 0);
        RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Click(hDlg, IDOK);
    } });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(bBound);
    EXPECT_STREQ(dlg.m_strResult, "typedZ");
    // The label's colours came from its own reflected handler, with the dialog as parent.
    EXPECT_GE(dlg.m_label.m_nCtlColors, 1);
    // The controls let go of their windows with the dialog.
    EXPECT_EQ(dlg.m_edit.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.m_label.m_hWnd, (HWND)NULL);
}

TEST(DoModal, HelpButtonsAskTheDialogWithCommandHelp)
{
    CDdxDlg dlg(IDD_DDX);
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDHELP); Click(hDlg, ID_HELP); Click(hDlg, IDCANCEL); } });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_nHelp, 2);
}

TEST(DoModal, AFailedExchangeKeepsTheDialogOpen)
{
    CDdxDlg dlg(IDD_DDX);
    dlg.m_bBindMissing = true;
    bool bOpenAfterOk = false;
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDOK); },
                          [&](HWND hDlg) { bOpenAfterOk = IsWindow(hDlg) != FALSE; Click(hDlg, IDCANCEL); } });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(bOpenAfterOk);
    EXPECT_EQ(driver.StepsRun(), 2u);
}

TEST(DoModal, FindsATemplateByNameAndFailsWithoutOne)
{
    CDialog named("NAMEDDLG");
    DialogDriver driver({ [](HWND hDlg) { Click(hDlg, IDCANCEL); } });
    EXPECT_EQ(named.DoModal(), IDCANCEL);

    CDialog missing("NOSUCHDLG");
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.m_hWnd, (HWND)NULL);
}

TEST(Modeless, CreateAttachesAndDestroyWindowDetaches)
{
    CDdxDlg dlg(IDD_DDX);
    ASSERT_TRUE(dlg.Create(IDD_DDX));
    HWND hDlg = dlg.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hDlg), &dlg);
    CString str;
    dlg.GetDlgItemText(IDC_EDIT, str);
    EXPECT_STREQ(str, "typed");   // OnInitDialog ran
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.m_edit.m_hWnd, (HWND)NULL);
    EXPECT_FALSE(IsWindow(hDlg));
}
