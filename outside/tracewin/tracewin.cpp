// The trace viewer stand-in: a top-level window of class "MfxTraceWindow" that prints every line
// it receives to standard output, as "[tag] text". WM_CLOSE ends it. It takes no arguments.
#include <windows.h>
#include <stdio.h>
#include <string.h>

static LRESULT CALLBACK TraceWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* pcds = (const COPYDATASTRUCT*)lParam;
        char tag[5] = {};
        memcpy(tag, &pcds->dwData, 4);
        printf("[%s] ", tag);
        fwrite(pcds->lpData, 1, pcds->cbData, stdout);
        if (pcds->cbData == 0 || ((const char*)pcds->lpData)[pcds->cbData - 1] != '\n')
            putchar('\n');
        fflush(stdout);
        return TRUE;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

static const char s_szUsage[] = "usage: tracewin    (prints what the trace window receives until it is closed)\n";

int main(int argc, char** argv)
{
    if (argc > 1) {
        bool bHelp = argc == 2 && strcmp(argv[1], "--help") == 0;
        fputs(s_szUsage, bHelp ? stdout : stderr);
        return bHelp ? 0 : 2;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TraceWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "MfxTraceWindow";
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    if (!RegisterClassA(&wc)) {
        fprintf(stderr, "tracewin: the window class cannot be registered (error %lu)\n", GetLastError());
        return 1;
    }
    HWND hWnd = CreateWindowA("MfxTraceWindow", "Trace viewer", WS_OVERLAPPEDWINDOW, 40, 40, 500, 300,
                              NULL, NULL, wc.hInstance, NULL);
    if (hWnd == NULL) {
        fprintf(stderr, "tracewin: the window cannot be made (error %lu)\n", GetLastError());
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
