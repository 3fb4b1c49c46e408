// The sample suite application: a small program on the framework whose main window has the
// suite's class "WexWClass" and which loads BexLib32.dll as every tool of the suite does.
// Each command-line verb shows one capability of the library.
#include "BexLib32.h"
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

static LRESULT CALLBACK DemoCbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE) {
        char szClass[16];
        if (GetClassNameA((HWND)wParam, szClass, sizeof(szClass)) && strcmp(szClass, "#32770") == 0)
            SetTimer(NULL, 0, 300, AnswerBox);
    }
    return CallNextHookEx(s_hHook, nCode, wParam, lParam);
}

static LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
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

int main(int argc, char** argv)
{
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
    } else
        fprintf(stderr, "usage: WexDemo trace|quit-viewer\n");

    UnhookWindowsHookEx(s_hHook);
    DestroyWindow(s_mainWnd.m_hWnd);
    theApp.m_pMainWnd = NULL;
    return nResult;
}
