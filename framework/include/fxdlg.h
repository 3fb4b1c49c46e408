// CDialog: modal and modeless dialogs on templates found through the resource chain, or on a
// template in memory, with data exchange to member controls.
//
// The dialog object is attached to its window before the window's first message, so that
// WM_CREATE, WM_GETMINMAXINFO and WM_INITDIALOG all reach the message map and OnInitDialog.
// Buttons IDOK and IDCANCEL call OnOK and OnCancel; IDHELP and ID_HELP send WM_COMMANDHELP to
// the dialog, which a derived class answers with ON_MESSAGE(WM_COMMANDHELP, ...).
#pragma once

#include "fxwnd.h"
#include "fxexcept.h"

// Stops data exchange; thrown by CDataExchange::Fail and caught by UpdateData.
class FX_API CUserException : public CException
{
    DECLARE_DYNAMIC(CUserException)
};

// What DoDataExchange works with: the direction, and the dialog whose controls it binds.
class FX_API CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;   // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;

    // The dialog's control nIDC; a missing control fails the exchange.
    HWND PrepareCtrl(int nIDC);
    // Ends the exchange: UpdateData returns FALSE.
    [[noreturn]] void Fail();
};

// Binds the dialog's control nIDC to rControl (SubclassWindow) on the first exchange.
FX_API void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class FX_API CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    // A dialog whose template is given later by InitModalIndirect.
    CDialog();
    // The template's resource name or identifier, searched through the resource chain.
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = NULL);
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    ~CDialog() override;

    // A template in memory (DLGTEMPLATE or DLGTEMPLATEEX) for DoModal; it must outlive DoModal.
    BOOL InitModalIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd = NULL);

    // Runs the dialog (DialogBoxIndirectParamA) and returns what EndDialog was given, or -1
    // when the template is missing or the dialog could not be created. Without a parent the
    // owner is the application's main window, else the active window.
    virtual INT_PTR DoModal();
    // A modeless dialog (CreateDialogIndirectParamA). Close it with DestroyWindow: EndDialog,
    // and so the default OnOK and OnCancel, only hide a modeless dialog.
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = NULL);
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    BOOL CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd = NULL);

    // EndDialog: DoModal returns nResult once the current message is handled.
    void EndDialog(int nResult);
    // DoDataExchange in the given direction; FALSE when the exchange failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // WM_INITDIALOG: exchanges data into the controls. TRUE lets the dialog set the focus.
    virtual BOOL OnInitDialog();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // IDOK: UpdateData(TRUE), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    // IDCANCEL: EndDialog(IDCANCEL).
    virtual void OnCancel();
    // IDHELP and ID_HELP: sends WM_COMMANDHELP to the dialog.
    afx_msg void OnHelp();

    LPCSTR m_lpszTemplateName;           // name or MAKEINTRESOURCE identifier, or NULL
    LPCDLGTEMPLATEA m_lpDialogTemplate;  // a template in memory, or NULL
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    // The template and the module its controls' resources come from.
    LPCDLGTEMPLATEA FindTemplate(LPCSTR lpszTemplateName, HINSTANCE* phInst) const;
    BOOL CreateFromTemplate(LPCDLGTEMPLATEA lpTemplate, HINSTANCE hInst, CWnd* pParentWnd);
    HWND GetOwnerForModal() const;

    CString m_strTemplateName;   // keeps a template name given as text
};
