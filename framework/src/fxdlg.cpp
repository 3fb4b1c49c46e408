#include "fxdlg.h"
#include "fxhandle.h"
#include "fxapp.h"

IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CDialog, CWnd)

// The dialog manager asks this procedure after the dialog's own map has seen the message, so
// it only has to turn WM_INITDIALOG into OnInitDialog.
static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT nMsg, WPARAM, LPARAM)
{
    if (nMsg != WM_INITDIALOG)
        return FALSE;
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == NULL || !pWnd->IsKindOf(RUNTIME_CLASS(CDialog))) {
        // The creation hook could not attach it: nothing would ever end this dialog.
        ::EndDialog(hWnd, -1);
        return FALSE;
    }
    return static_cast<CDialog*>(pWnd)->OnInitDialog();
}

// --- Data exchange

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    FX_ASSERT(hWndCtrl != NULL);
    if (hWndCtrl == NULL)
        Fail();
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    throw new CUserException;
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != NULL)
        return;   // bound by an earlier exchange
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl)) {
        FX_ASSERT(!"DDX_Control: the control already has an object");
        pDX->Fail();
    }
}

// --- CDialog

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_COMMAND(IDHELP, OnHelp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CDialog::CDialog() : m_lpszTemplateName(NULL), m_lpDialogTemplate(NULL), m_pParentWnd(NULL)
{
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(NULL), m_lpDialogTemplate(NULL), m_pParentWnd(pParentWnd)
{
    if (IS_INTRESOURCE(lpszTemplateName)) {
        m_lpszTemplateName = lpszTemplateName;
    } else {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_lpDialogTemplate(NULL), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd)
{
    FX_ASSERT(lpDialogTemplate != NULL);
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    return lpDialogTemplate != NULL;
}

LPCDLGTEMPLATEA CDialog::FindTemplate(LPCSTR lpszTemplateName, HINSTANCE* phInst) const
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, (LPCSTR)RT_DIALOG);
    HRSRC hResource = hInst ? ::FindResourceA(hInst, lpszTemplateName, (LPCSTR)RT_DIALOG) : NULL;
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInst, hResource) : NULL;
    *phInst = hInst;
    return hTemplate ? (LPCDLGTEMPLATEA)::LockResource(hTemplate) : NULL;
}

HWND CDialog::GetOwnerForModal() const
{
    if (m_pParentWnd != NULL)
        return m_pParentWnd->m_hWnd;
    CWnd* pMainWnd = AfxGetMainWnd();
    if (pMainWnd != NULL && ::IsWindow(pMainWnd->m_hWnd))
        return pMainWnd->m_hWnd;
    return ::GetActiveWindow();
}

INT_PTR CDialog::DoModal()
{
    FX_ASSERT(m_hWnd == NULL);
    HINSTANCE hInst = AfxGetResourceHandle();
    LPCDLGTEMPLATEA lpTemplate = m_lpDialogTemplate;
    if (lpTemplate == NULL && m_lpszTemplateName != NULL)
        lpTemplate = FindTemplate(m_lpszTemplateName, &hInst);
    FX_ASSERT(lpTemplate != NULL);
    if (lpTemplate == NULL || m_hWnd != NULL)
        return -1;

    FX_CREATEHOOK create = { this, NULL };
    AfxHookWindowCreate(&create);
    INT_PTR nResult = ::DialogBoxIndirectParamA(hInst, lpTemplate, GetOwnerForModal(), AfxDlgProc, 0);
    AfxUnhookWindowCreate(&create);
    return nResult;
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd)
{
    HINSTANCE hInst = NULL;
    LPCDLGTEMPLATEA lpTemplate = FindTemplate(lpszTemplateName, &hInst);
    FX_ASSERT(lpTemplate != NULL);
    return lpTemplate != NULL && CreateFromTemplate(lpTemplate, hInst, pParentWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd)
{
    return CreateFromTemplate(lpDialogTemplate, AfxGetResourceHandle(), pParentWnd);
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATEA lpTemplate, HINSTANCE hInst, CWnd* pParentWnd)
{
    FX_ASSERT(m_hWnd == NULL);
    if (m_hWnd != NULL)
        return FALSE;
    m_pParentWnd = pParentWnd;
    FX_CREATEHOOK create = { this, NULL };
    AfxHookWindowCreate(&create);
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpTemplate, GetSafeHwnd(pParentWnd), AfxDlgProc, 0);
    AfxUnhookWindowCreate(&create);
    if (hWnd != NULL && create.hWnd != hWnd) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return hWnd != NULL;
}

void CDialog::EndDialog(int nResult)
{
    FX_ASSERT(::IsWindow(m_hWnd));
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnHelp()
{
    SendMessage(WM_COMMANDHELP, 0, 0);
}
