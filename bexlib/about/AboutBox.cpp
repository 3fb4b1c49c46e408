#include "About.h"
#include "AboutState.h"
#include "../config/BexHelp.h"
#include "../ui/StatLink.h"
#include "../version/VersionInfoDlg.h"

BEGIN_MESSAGE_MAP(CBexAboutBox, CDialog)
    ON_WM_PAINT()
    ON_COMMAND(IDC_ABOUT_MOREINFO, OnMoreInfo)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_HELP, OnHelpKey)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

CBexAboutBox::CBexAboutBox(const BexAboutInfo* pInfo, CWnd* pParentWnd)
    : CDialog(20000, pParentWnd), m_pState(new CAboutState), m_pLink(new CStaticLink)
{
    m_pState->pInfo = pInfo;
}

CBexAboutBox::~CBexAboutBox()
{
    // The window goes first: its last messages still reach the link and the state.
    if (m_hWnd != NULL)
        DestroyWindow();
    delete m_pLink;
    delete m_pState;
}

BOOL CBexAboutBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_pState->Init(m_hWnd);
    m_pLink->SubclassDlgItem(IDC_ABOUT_LINK, this);
    return TRUE;
}

void CBexAboutBox::OnPaint()
{
    m_pState->Paint(m_hWnd);
}

void CBexAboutBox::OnMoreInfo()
{
    if (m_pState->pInfo->pfnMoreInfo != NULL)
        m_pState->pInfo->pfnMoreInfo();
    else
        DisplayTurVersionInformation();
    PostMessage(WM_CLOSE);
}

void CBexAboutBox::OnDestroy()
{
    m_pState->FreeLogo();
    CDialog::OnDestroy();
}

LRESULT CBexAboutBox::OnHelpKey(WPARAM, LPARAM)
{
    // F1 reaches the same topic as the framework's help command.
    return OnCommandHelp(0, 0);
}

LRESULT CBexAboutBox::OnCommandHelp(WPARAM, LPARAM)
{
    ShowBexHelp(BEX_HELPKEY_ABOUT);
    return TRUE;
}
