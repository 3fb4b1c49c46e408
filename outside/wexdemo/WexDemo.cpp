// The sample suite application: a small program on the framework whose main window has the
// suite's class "WexWClass" and which loads BexLib32.dll as every tool of the suite does.
// Each command-line verb shows one capability of the library.
#include "BexLib32.h"
#include "WexDemo.h"
#include "MsgBoxWnd.h"
#include "WexDemoRes.h"
#include <stdio.h>
#include <string.h>

class CWexDemoApp : public CWinApp
{
public:
    CWexDemoApp() : CWinApp("Wex Demo") {}
};

static CWexDemoApp theApp;

// In demo mode nobody sits at the screen: boxes are answered here, and what they said is printed.
static HHOOK s_hHook;

static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    HWND hBox = GetActiveWindow();
    if (hBox == NULL)
        return;
    char szText[1024] = "", szCaption[256] = "";
    GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof(szText));
    GetWindowTextA(hBox, szCaption, sizeof(szCaption));
    int nAnswer = GetDlgItem(hBox, IDIGNORE) ? IDIGNORE : IDOK;
    printf("(demo) box \"%s\": %s\n(demo answers %s)\n", szCaption, szText, nAnswer == IDIGNORE ? "Ignore" : "OK");
    fflush(stdout);
    PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(nAnswer, BN_CLICKED), 0);
}

// When the splash window began to close itself.
static HWND s_hSplash;
static DWORD s_dwSplashClosed;

static LRESULT CALLBACK DemoCbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE && IsSystemMessageBox((HWND)wParam))
        SetTimer(NULL, 0, 300, AnswerBox);
    if (nCode == HCBT_DESTROYWND && (HWND)wParam == s_hSplash && s_hSplash != NULL)
        s_dwSplashClosed = GetTickCount();
    return CallNextHookEx(s_hHook, nCode, wParam, lParam);
}

// As a responder the main window answers its partners (WexDemo.h); NULL otherwise.
static const char* s_pszRespondMode;
static UINT s_nMsgDataExchange;
static UINT s_nMsgDataReady;

// The noisy mode: what a user clicking and typing in the requester, and a window uncovering
// it, would send there while it waits.
static void DisturbRequester(HWND hWndRequester)
{
    if (strcmp(s_pszRespondMode, WEX_RESPOND_NOISY) != 0)
        return;
    PostMessageA(hWndRequester, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(hWndRequester, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageA(hWndRequester, WM_KEYDOWN, 'A', 1);
    PostMessageA(hWndRequester, WM_CHAR, 'a', 1);
    PostMessageA(hWndRequester, WM_KEYUP, 'A', 0xC0000001);
    InvalidateRect(hWndRequester, NULL, TRUE);
    // The requester's queue runs dry and its window asks for the paint before the answer comes.
    Sleep(500);
}

static void QuitAfterAnswer(HWND hWnd)
{
    if (strcmp(s_pszRespondMode, WEX_RESPOND_QUIT) == 0)
        DestroyWindow(hWnd);
}

static void AnswerExchange(HWND hWnd, HWND hWndRequester, ATOM nRequest)
{
    static BYTE s_abReply[BEX_EXCHANGE_MAX];
    DWORD cbReply = 0;
    char szName[256];
    HANDLE hRequest = GlobalGetAtomNameA(nRequest, szName, sizeof(szName)) ? OpenFileMappingA(FILE_MAP_READ, FALSE, szName) : NULL;
    const BYTE* pRequest = hRequest ? (const BYTE*)MapViewOfFile(hRequest, FILE_MAP_READ, 0, 0, BEX_EXCHANGE_MAX) : NULL;
    if (pRequest) {
        for (cbReply = BEX_EXCHANGE_MAX; cbReply > 0 && pRequest[cbReply - 1] == 0; --cbReply)
            ;
        for (DWORD i = 0; i < cbReply; ++i)
            s_abReply[i] = pRequest[cbReply - 1 - i];
        UnmapViewOfFile(pRequest);
    }
    if (hRequest)
        CloseHandle(hRequest);
    // The request's atom is the responder's once it has its name.
    GlobalDeleteAtom(nRequest);

    // An unreadable request gets an empty reply: the protocol has no way to say no, and no
    // answer at all would leave the requester waiting as long as this program runs.
    static LONG s_nReplies;
    char szReply[64];
    wsprintfA(szReply, "WexDemoReply.%lu.%ld", GetCurrentProcessId(), ++s_nReplies);
    HANDLE hReply = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, cbReply ? cbReply : 1, szReply);
    BYTE* pReply = hReply ? (BYTE*)MapViewOfFile(hReply, FILE_MAP_WRITE, 0, 0, 0) : NULL;
    if (pReply) {
        memcpy(pReply, s_abReply, cbReply);
        UnmapViewOfFile(pReply);
    }
    // The requester copies the reply after it has taken the answer; the mapping is closed later.
    if (hReply)
        SetTimer(hWnd, (UINT_PTR)hReply, 10000, NULL);
    DWORD cbClaimed = strcmp(s_pszRespondMode, WEX_RESPOND_OVERSIZE) == 0 ? cbReply + 0x100000 : cbReply;
    DisturbRequester(hWndRequester);
    PostMessageA(hWndRequester, s_nMsgDataReady, cbClaimed, GlobalAddAtomA(szReply));
    QuitAfterAnswer(hWnd);
}

static bool Respond(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hWndRequester = (HWND)wParam;
    bool bRequest = uMsg == s_nMsgDataExchange || (uMsg >= WEXM_MOLECULE_LENGTH && uMsg <= WEXM_INSTANCE);
    if (bRequest && strcmp(s_pszRespondMode, WEX_RESPOND_DIE) == 0)
        ExitProcess(3);
    if (uMsg == s_nMsgDataExchange) {
        AnswerExchange(hWnd, hWndRequester, (ATOM)lParam);
        return true;
    }
    if (uMsg == WM_TIMER) {
        KillTimer(hWnd, wParam);
        CloseHandle((HANDLE)wParam);
        return true;
    }
    if (!bRequest)
        return false;

    LPARAM lResult = 0;
    switch (uMsg) {
    case WEXM_MOLECULE_LENGTH:
        lResult = GlobalGetMoleculeName((ATOM)lParam).GetLength();
        break;
    case WEXM_MOLECULE_ADD:
        lResult = GlobalAddMolecule(GlobalGetMoleculeName((ATOM)lParam));
        break;
    case WEXM_MOLECULE_DELETE:
        GlobalDeleteMolecule((ATOM)lParam);
        lResult = 1;
        break;
    case WEXM_COMMAND_LINE:
        lResult = GlobalAddMolecule(GetCommandLineA());
        break;
    case WEXM_INSTANCE:
        lResult = (LONG)(LONG_PTR)GetModuleHandleA(NULL);
        break;
    }
    DisturbRequester(hWndRequester);
    PostAckMessage(hWndRequester, lResult);
    QuitAfterAnswer(hWnd);
    return true;
}

static LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (s_pszRespondMode && Respond(hWnd, uMsg, wParam, lParam))
        return 0;
    if (uMsg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

static HWND CreateMainWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "WexWClass";
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    RegisterClassA(&wc);
    return CreateWindowA("WexWClass", "Wex Demo", WS_OVERLAPPEDWINDOW, 100, 100, 480, 320, NULL, NULL,
                         wc.hInstance, NULL);
}

static int DemoTrace()
{
    KelmVerbose(0, "Wex Demo started, BexLib32 loaded at %p", (void*)GetModuleHandleA("BexLib32.dll"));
    KelmVerbose(KELM_VERBOSE_WARNING | 0x02000000, "project has no CPU files");
    KelmVerbose(KELM_VERBOSE_ERROR, "cannot reach controller %s", "PLC-7");
    KELM_ASSERT(GetModuleHandleA("NoSuchModule.dll") != NULL);
    static const char s_data[] = "Record\x01\x02\x03 with bytes \x80\xFF and a line feed\n";
    KelmHexDump(s_data, (int)sizeof(s_data) - 1);
    return 0;
}

// Answers partners until the main window is closed.
static int DemoRespond(HWND hWnd, const char* pszMode)
{
    s_pszRespondMode = pszMode;
    s_nMsgDataExchange = RegisterWindowMessageA("MsgDataExchange");
    s_nMsgDataReady = RegisterWindowMessageA("MsgDataReady");
    // The show command the starter asked for, as WinMain's nCmdShow would bring it.
    STARTUPINFOA si;
    GetStartupInfoA(&si);
    ShowWindow(hWnd, (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (strcmp(pszMode, WEX_RESPOND_QUIT) == 0)
        Sleep(3000);
    return 0;
}

// A second instance as partner: started with ExecApp, a block of data exchanged with it, a long
// string passed to it as a molecule and its acknowledged answer.
static int TalkToPartner(HWND hWnd)
{
    ExecAppInfo info = {};
    if (!ExecApp(0, "tools\\wexdemo", "respond", &info, SW_SHOWNOACTIVATE)) {
        fprintf(stderr, "ExecApp could not start WexDemo.exe\n");
        return 1;
    }
    char szClass[64] = "";
    GetClassNameA(info.hWndMain, szClass, sizeof(szClass));
    printf("ExecApp started process %lu; main window of class \"%s\" found: %s; running: %s\n", info.dwProcessId,
           szClass, info.hWndMain ? "yes" : "no", IsAppRunning(&info) ? "yes" : "no");
    if (info.hWndMain == NULL) {
        fprintf(stderr, "the partner's main window was not found\n");
        return 1;
    }

    static const char s_szBlock[] = "Block of data for the partner: CPU V2M15 firmware 0B0";
    ExchangeDataBlock block = {};
    block.hWndTarget = info.hWndMain;
    block.hWndOwn = hWnd;
    block.pszMapName = "WexDemoRequest";
    block.cbSend = sizeof(s_szBlock) - 1;
    block.pSend = s_szBlock;
    if (ExchangeData(&block)) {
        printf("ExchangeData sent %lu bytes: %s\n", block.cbSend, s_szBlock);
        printf("  and received %lu bytes: %s\n", block.cbReceived, (const char*)block.pReceived);
        HeapFree(GetProcessHeap(), 0, block.pReceived);
    }

    CString strLong;
    for (int i = 1; strLong.GetLength() < 1500; ++i) {
        CString strLine;
        strLine.Format("line %d of a long text that no single atom could hold; ", i);
        strLong += strLine;
    }
    ATOM nAtom = GlobalAddMolecule(strLong);
    char szDir[256] = "";
    GlobalGetAtomNameA(nAtom, szDir, sizeof(szDir));
    printf("GlobalAddMolecule stored %d characters as molecule 0x%04X, directory \"%.45s...\"\n", strLong.GetLength(),
           nAtom, szDir);
    LRESULT lLength = PostMessageAndWaitAck(info.hWndMain, WEXM_MOLECULE_LENGTH, (WPARAM)hWnd, nAtom);
    printf("PostMessageAndWaitAck: the partner read the molecule and acknowledged %ld characters\n", (long)lLength);
    GlobalDeleteMolecule(nAtom);

    PostMessageA(info.hWndMain, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsAppRunning(&info); ++i)
        Sleep(50);
    printf("partner closed; running: %s\n", IsAppRunning(&info) ? "yes" : "no");
    if (lLength != strLong.GetLength()) {
        fprintf(stderr, "the partner acknowledged %ld characters of %d\n", (long)lLength, strLong.GetLength());
        return 1;
    }
    return 0;
}

static int DemoPartner(HWND hWnd)
{
    // ExecApp starts programs from the applications directory; for the demo that is where this
    // program lies, and whatever was configured before is put back afterwards.
    char szAppsDir[MAX_PATH];
    CString strConfigured = GetBexAppsDir(szAppsDir);
    if (strConfigured.IsEmpty() || GetFileAttributesA(strConfigured + "WexDemo.exe") == INVALID_FILE_ATTRIBUTES) {
        GetModuleFileNameA(NULL, szAppsDir, MAX_PATH);
        *strrchr(szAppsDir, '\\') = '\0';
        SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "AppsDir", szAppsDir);
        printf("AppsDir set to %s for the demo\n", szAppsDir);
    }
    int nResult = TalkToPartner(hWnd);
    SetBexProfileString(HKEY_LOCAL_MACHINE, "Global", "AppsDir", strConfigured);
    return nResult;
}

// Controller identification texts decoded into type, subtype, version digit and feature mask.
static int DemoCpu(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        int nVersion, nType, nSubType;
        VekGetCpuTypeSubType(argv[i], &nVersion, &nType, &nSubType);
        printf("%-10s type %2d  subtype %3d  version %d  features 0x%02lX\n", argv[i], nType, nSubType, nVersion,
               (unsigned long)VekGetFwFeaturesEx(argv[i]));
    }
    return 0;
}

// The preview of a print job: a text file with printer commands laid out on pages of the
// screen's size and resolution, each drawn on a memory DC and saved as "pageN.bmp" in pszOutDir.
static int DemoPrint(LPCSTR pszFile, LPCSTR pszOutDir)
{
    CStdioFile file;
    if (!file.Open(pszFile, CFile::modeRead | CFile::shareDenyWrite)) {
        fprintf(stderr, "cannot open %s\n", pszFile);
        return 1;
    }
    CDC dc;
    dc.CreateCompatibleDC(NULL);
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = dc.GetDeviceCaps(HORZRES);
    bih.biHeight = dc.GetDeviceCaps(VERTRES);
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    void* pBits = NULL;
    CBitmap page;
    page.Attach(CreateDIBSection(dc, (BITMAPINFO*)&bih, DIB_RGB_COLORS, &pBits, NULL, 0));
    CBitmap* pOldBitmap = dc.SelectObject(&page);
    // The page's handle is the writer's from here on; it leaves the DC only while a page is written.
    CDIBitmap pageFile(page);
    HBITMAP hPage = (HBITMAP)page.Detach();

    CPrintInfo info;
    CPagePrinter printer;
    int nResult = 0;
    if (!printer.OnBeginPrinting(&dc, &info, &file)) {
        fprintf(stderr, "%s could not be read to its end\n", pszFile);
        nResult = 1;
    } else {
        printf("%s: %u pages on a sheet of %d x %d mm, %ld x %ld pixels\n", pszFile, info.GetMaxPage(),
               dc.GetDeviceCaps(HORZSIZE), dc.GetDeviceCaps(VERTSIZE), bih.biWidth, bih.biHeight);
        for (info.m_nCurPage = 1; info.m_nCurPage <= info.GetMaxPage(); ++info.m_nCurPage) {
            PatBlt(dc, 0, 0, bih.biWidth, bih.biHeight, WHITENESS);
            printer.PrintOnePage(&dc, &info, TRUE);
            CString strPath;
            strPath.Format("%s\\page%u.bmp", pszOutDir, info.m_nCurPage);
            dc.SelectObject(pOldBitmap);
            if (pageFile.Save(strPath, 24, CDIBitmap::uncompressed, NULL) != CDIBitmap::saveOk) {
                fprintf(stderr, "cannot write %s\n", (LPCSTR)strPath);
                nResult = 1;
            }
            dc.SelectObject(CBitmap::FromHandle(hPage));
            printf("page %u -> %s\n", info.m_nCurPage, (LPCSTR)strPath);
        }
    }
    printer.OnEndPrinting(&dc, &info);
    dc.SelectObject(pOldBitmap);
    return nResult;
}

// The same text through a printer driver: the framework's print loop as an application's view
// runs it, on the named printer (the default one when pszPrinter is NULL), its output written
// to the file pszOutput instead of the printer's port.
static int DemoPrintOnPrinter(LPCSTR pszFile, LPCSTR pszOutput, LPCSTR pszPrinter)
{
    char szDefault[MAX_PATH];
    DWORD cchDefault = sizeof(szDefault);
    if (pszPrinter == NULL && !GetDefaultPrinterA(szDefault, &cchDefault)) {
        fprintf(stderr, "no default printer\n");
        return 1;
    }
    if (pszPrinter == NULL)
        pszPrinter = szDefault;
    CStdioFile file;
    if (!file.Open(pszFile, CFile::modeRead | CFile::shareDenyWrite)) {
        fprintf(stderr, "cannot open %s\n", pszFile);
        return 1;
    }
    HDC hdc = CreateDCA(NULL, pszPrinter, NULL, NULL);
    if (hdc == NULL) {
        fprintf(stderr, "cannot open printer %s\n", pszPrinter);
        return 1;
    }
    CDC dc;
    dc.Attach(hdc);
    CPrintInfo info;
    CPagePrinter printer;
    int nResult = 1;
    if (!printer.OnBeginPrinting(&dc, &info, &file))
        fprintf(stderr, "%s could not be read to its end\n", pszFile);
    else {
        // Wine's spooler writes over an existing output file without cutting it short.
        DeleteFileA(pszOutput);
        DOCINFOA di = { sizeof(di), "Wex Demo report", pszOutput, NULL, 0 };
        if (StartDocA(hdc, &di) <= 0)
            fprintf(stderr, "printer %s refused the job\n", pszPrinter);
        else {
            nResult = 0;
            for (info.m_nCurPage = 1; info.m_nCurPage <= info.GetMaxPage() && nResult == 0; ++info.m_nCurPage) {
                if (StartPage(hdc) <= 0 || !printer.PrintOnePage(&dc, &info, TRUE) || EndPage(hdc) <= 0)
                    nResult = 1;
            }
            if (nResult == 0 && EndDoc(hdc) > 0)
                printf("%s: %u pages on %s, a sheet of %d x %d mm at %d dpi -> %s\n", pszFile, info.GetMaxPage(), pszPrinter,
                       dc.GetDeviceCaps(HORZSIZE), dc.GetDeviceCaps(VERTSIZE), dc.GetDeviceCaps(LOGPIXELSY), pszOutput);
            else {
                AbortDoc(hdc);
                fprintf(stderr, "printing on %s failed\n", pszPrinter);
                nResult = 1;
            }
        }
    }
    printer.OnEndPrinting(&dc, &info);
    dc.Detach();
    DeleteDC(hdc);
    return nResult;
}

// A resizable viewer of long tabbed lines: the list stretches with the dialog and scrolls
// sideways as far as its widest line, the address below it is a link, and the dialog comes
// back where it was last closed. In the demo it opens, grows as a user would drag it, and
// waits until the picture is taken (the file pszReady is removed) before it closes.
class CLinesDlg : public CDialog
{
public:
    explicit CLinesDlg(const char* pszReady) : CDialog(IDD_LINES), m_pszReady(pszReady), m_nWaited(0) {}

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_lines.SubclassDlgItem(IDC_LINES, this);
        m_link.SubclassDlgItem(IDC_LINES_LINK, this);
        int anTabs[] = { 36, 72, 92 };
        m_lines.SetTabStops(3, anTabs);
        m_lines.LockHExtentUpdate();
        for (int n = 1; n <= 40; ++n) {
            CString strLine;
            strLine.Format("M%d.%d\tBOOL\t1\tmotor %d running on conveyor line %d, station %s, checked at start-up "
                           "and at every change of shift",
                           n / 8, n % 8, n, n / 10 + 1, n % 3 == 0 ? "oven" : n % 3 == 1 ? "press" : "saw");
            if (n % 10 == 0)
                strLine += " -- and logged to the project's alarm history with date, time and operator";
            m_lines.AddString(strLine);
        }
        m_lines.UnlockHExtentUpdate();
        m_lines.UpdateHExtent();
        m_stretch.Init(m_hWnd, IDC_LINES);
        RestoreWindowPos(this, "LinesDlg");
        SetTimer(1, 500);
        return TRUE;
    }
    afx_msg void OnSize(UINT, int cx, int cy) { m_stretch.StretchItem(cx, cy); }
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == 1) {
            KillTimer(1);
            CRect rect;
            GetWindowRect(&rect);
            SetWindowPos(NULL, 0, 0, rect.Width() + 260, rect.Height() + 140, SWP_NOMOVE | SWP_NOZORDER);
            // Wine copies the bits of controls moved while their dialog grows from a surface that
            // the growth has just replaced, and paints them no more: draw the whole dialog anew.
            RedrawWindow(m_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            CRect rectList;
            m_lines.GetWindowRect(&rectList);
            printf("dialog resized from %d x %d to %d x %d; the list is now %d x %d and scrolls %d pixels wide\n",
                   rect.Width(), rect.Height(), rect.Width() + 260, rect.Height() + 140, rectList.Width(),
                   rectList.Height(), m_lines.GetHorizontalExtent());
            fflush(stdout);
            CFile ready;
            if (m_pszReady && ready.Open(m_pszReady, CFile::modeCreate | CFile::modeWrite))
                ready.Close();
            SetTimer(2, 200);
        } else if (m_pszReady == NULL || GetFileAttributesA(m_pszReady) == INVALID_FILE_ATTRIBUTES || ++m_nWaited > 150) {
            KillTimer(2);
            SaveWindowPos(this, "LinesDlg");
            EndDialog(IDOK);
        }
    }
    DECLARE_MESSAGE_MAP()

private:
    const char* m_pszReady;
    int m_nWaited;
    CHorzListBox m_lines;
    CStaticLink m_link;
    CStretchDlg m_stretch;
};

BEGIN_MESSAGE_MAP(CLinesDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_TIMER()
END_MESSAGE_MAP()

static int DemoDialog(const char* pszReady)
{
    CLinesDlg dlg(pszReady);
    return dlg.DoModal() == IDOK ? 0 : 1;
}

// A window as the screen shows it, frame and all, saved with CDIBitmap. It is read from the
// screen, where the frame is whatever draws it (a window manager, where there is one).
static int SaveWindowPicture(HWND hWnd, LPCSTR pszPath, int nBitCount, CDIBitmap::compression eCompression)
{
    CRect rc;
    GetWindowRect(hWnd, &rc);
    CWindowDC screenDC(NULL);
    CDC memDC;
    memDC.CreateCompatibleDC(&screenDC);
    CBitmap capture;
    capture.CreateCompatibleBitmap(&screenDC, rc.Width(), rc.Height());
    CBitmap* pOld = memDC.SelectObject(&capture);
    memDC.BitBlt(0, 0, rc.Width(), rc.Height(), &screenDC, rc.left, rc.top, SRCCOPY);
    memDC.SelectObject(pOld);
    CDIBitmap dib(capture);
    capture.Detach();
    return dib.Save(pszPath, nBitCount, eCompression, NULL);
}

// The main window captured (frame and all) into a CBitmap and saved at 8 and 24 bits, then
// the 24-bit file loaded back and drawn stretched to twice its size, saved as "stretched.bmp".
static int DemoCapture(HWND hWnd, LPCSTR pszOutDir)
{
    SetWindowTextA(hWnd, "Wex Demo: window capture");
    ShowWindow(hWnd, SW_SHOWNORMAL);
    UpdateWindow(hWnd);
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    {
        CClientDC dc(pWnd);
        static const COLORREF s_bars[] = { RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(255, 255, 0),
                                           RGB(0, 255, 255), RGB(255, 0, 255), RGB(128, 128, 128), RGB(0, 0, 0) };
        for (int i = 0; i < 8; ++i) {
            CBrush brush;
            brush.CreateSolidBrush(s_bars[i]);
            dc.FillRect(CRect(20 + i * 54, 90, 64 + i * 54, 250), &brush);
        }
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(20, 30, "Project PLANT7 - station press, CPU V2M150023", 45);
        dc.TextOut(20, 55, "Captured by WexDemo, saved with CDIBitmap", 41);
    }
    GdiFlush();

    CRect rc;
    GetWindowRect(hWnd, &rc);
    CWindowDC windowDC(pWnd);
    CDC memDC;
    memDC.CreateCompatibleDC(&windowDC);
    int nResult = 0;
    static const struct { int nBitCount; CDIBitmap::compression eCompression; const char* pszName; } s_saves[] = {
        { 8, CDIBitmap::uncompressed, "capture8.bmp" }, { 24, CDIBitmap::uncompressed, "capture24.bmp" },
        { 8, CDIBitmap::rle8, "capture8rle.bmp" } };
    for (const auto& save : s_saves) {
        CString strPath;
        strPath.Format("%s\\%s", pszOutDir, save.pszName);
        int nSaved = SaveWindowPicture(hWnd, strPath, save.nBitCount, save.eCompression);
        printf("%d x %d window saved at %d bits%s -> %s: result %d\n", rc.Width(), rc.Height(), save.nBitCount,
               save.eCompression == CDIBitmap::rle8 ? " run-length" : "", (LPCSTR)strPath, nSaved);
        if (nSaved != CDIBitmap::saveOk && save.eCompression == CDIBitmap::uncompressed) {
            fprintf(stderr, "cannot write %s\n", (LPCSTR)strPath);
            nResult = 1;
        }
    }

    CString strPath;
    strPath.Format("%s\\capture24.bmp", pszOutDir);
    int bLoaded = 0;
    CDIBitmapFile file(strPath, &bLoaded);
    if (!bLoaded) {
        fprintf(stderr, "cannot load %s back\n", (LPCSTR)strPath);
        return 1;
    }
    printf("loaded back: %u x %u pixels\n", file.GetWidth(), file.GetHeight());
    int cx = file.GetWidth() * 2, cy = file.GetHeight() * 2;
    CBitmap stretched;
    stretched.CreateCompatibleBitmap(&windowDC, cx, cy);
    CBitmap* pOld = memDC.SelectObject(&stretched);
    file.StretchHalftone(&memDC, 0, 0, cx, cy);
    memDC.SelectObject(pOld);
    CDIBitmap dib(stretched);
    stretched.Detach();
    strPath.Format("%s\\stretched.bmp", pszOutDir);
    int nSaved = dib.Save(strPath, 24, CDIBitmap::uncompressed, NULL);
    printf("drawn stretched to %d x %d -> %s: result %d\n", cx, cy, (LPCSTR)strPath, nSaved);
    return nSaved == CDIBitmap::saveOk ? nResult : 1;
}

// The about box, the splash window and the folder browser, each pictured once it has painted.
// The splash opens as the application starts and closes itself; in the about box the user
// presses "&More Info..." and then OK, in the folder browser OK.
static const char* s_pszPictureDir;

static void PumpFor(DWORD dwMs)
{
    DWORD dwEnd = GetTickCount() + dwMs;
    while ((LONG)(dwEnd - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(GetActiveWindow(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(10);
    }
}

static void PictureOf(HWND hWnd, LPCSTR pszName)
{
    CString strPath;
    strPath.Format("%s\\%s", s_pszPictureDir, pszName);
    char szCaption[256] = "";
    GetWindowTextA(hWnd, szCaption, sizeof(szCaption));
    printf("picture of \"%s\" -> %s: result %d\n", szCaption, (LPCSTR)strPath,
           SaveWindowPicture(hWnd, strPath, 24, CDIBitmap::uncompressed));
    fflush(stdout);
}

static void CALLBACK PictureAndMoreInfo(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    HWND hDlg = GetActiveWindow();
    PictureOf(hDlg, "about.bmp");
    SendMessageA(GetDlgItem(hDlg, 3), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
}

static void CALLBACK PictureAndOK(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    HWND hDlg = GetActiveWindow();
    PictureOf(hDlg, "browse.bmp");
    SendMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
}

static void DemoMoreInfo()
{
    printf("the application's \"More Info\" callback was called\n");
}

static int DemoAbout(HWND hWnd, LPCSTR pszOutDir, LPCSTR pszFolder)
{
    s_pszPictureDir = pszOutDir;
    BexAboutInfo info = { NULL, MAKEINTRESOURCEA(IDI_WEXDEMO), "Wex Demo", "2.0", "2026",
                          "the Tur development team", "2.0.140", NULL };
    HWND hSplash = s_hSplash = ShowBexSplashWnd(&info);
    if (hSplash == NULL) {
        fprintf(stderr, "the splash window could not be made\n");
        return 1;
    }
    DWORD dwStart = GetTickCount();
    PumpFor(500);
    PictureOf(hSplash, "splash.bmp");
    SetWindowTextA(hWnd, "Wex Demo");
    ShowWindow(hWnd, SW_SHOWNORMAL);
    while (IsWindow(hSplash) && GetTickCount() - dwStart < 10000)
        PumpFor(50);
    // The window may leave the screen later than it closed: Wine managing its windows on a
    // display without a window manager waits two seconds for the display's confirmation.
    printf("the splash window closed itself after %.1f s (gone from the screen after %.1f s)\n",
           (s_dwSplashClosed - dwStart) / 1000.0, (GetTickCount() - dwStart) / 1000.0);

    info.hWndOwner = hWnd;
    info.pfnMoreInfo = DemoMoreInfo;
    SetTimer(NULL, 0, 800, PictureAndMoreInfo);
    printf("about box result %d\n", ShowBexAboutDlgBox(&info));

    char szFolder[MAX_PATH] = "";
    SetTimer(NULL, 0, 1200, PictureAndOK);
    BOOL bChosen = BrowseForFolderDialog("Open Project Folder", "Project folder:", pszFolder, szFolder, 0);
    printf("folder browser: %s %s\n", bChosen ? "chose" : "cancelled", szFolder);
    fflush(stdout);
    return bChosen ? 0 : 1;
}

static const char s_szUsage[] =
    "usage: WexDemo trace | quit-viewer | respond [normal|oversize|die|noisy|quit] | partner | cpu ID...\n"
    "       WexDemo print FILE OUTDIR | printer FILE OUTPUT [PRINTER]\n"
    "       WexDemo dialog [READYFILE] | capture OUTDIR | about OUTDIR FOLDER\n";

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(s_szUsage, stdout);
        return 0;
    }
    static CWnd s_mainWnd;
    s_mainWnd.m_hWnd = CreateMainWindow();
    theApp.m_pMainWnd = &s_mainWnd;
    s_hHook = SetWindowsHookExA(WH_CBT, DemoCbtProc, NULL, GetCurrentThreadId());

    const char* pszVerb = argc > 1 ? argv[1] : "";
    int nResult = 2;
    if (strcmp(pszVerb, "trace") == 0)
        nResult = DemoTrace();
    else if (strcmp(pszVerb, "quit-viewer") == 0) {
        HWND hViewer = FindWindowA("MfxTraceWindow", NULL);
        if (hViewer)
            PostMessageA(hViewer, WM_CLOSE, 0, 0);
        nResult = hViewer ? 0 : 1;
        if (hViewer == NULL)
            fprintf(stderr, "no trace viewer is running\n");
    } else if (strcmp(pszVerb, "respond") == 0)
        nResult = DemoRespond(s_mainWnd.m_hWnd, argc > 2 ? argv[2] : WEX_RESPOND_NORMAL);
    else if (strcmp(pszVerb, "print") == 0 && argc > 3)
        nResult = DemoPrint(argv[2], argv[3]);
    else if (strcmp(pszVerb, "printer") == 0 && argc > 3)
        nResult = DemoPrintOnPrinter(argv[2], argv[3], argc > 4 ? argv[4] : NULL);
    else if (strcmp(pszVerb, "partner") == 0)
        nResult = DemoPartner(s_mainWnd.m_hWnd);
    else if (strcmp(pszVerb, "cpu") == 0)
        nResult = DemoCpu(argc - 2, argv + 2);
    else if (strcmp(pszVerb, "dialog") == 0)
        nResult = DemoDialog(argc > 2 ? argv[2] : NULL);
    else if (strcmp(pszVerb, "capture") == 0 && argc > 2)
        nResult = DemoCapture(s_mainWnd.m_hWnd, argv[2]);
    else if (strcmp(pszVerb, "about") == 0 && argc > 3)
        nResult = DemoAbout(s_mainWnd.m_hWnd, argv[2], argv[3]);
    else
        fputs(s_szUsage, stderr);

    UnhookWindowsHookEx(s_hHook);
    DestroyWindow(s_mainWnd.m_hWnd);
    theApp.m_pMainWnd = NULL;
    return nResult;
}
