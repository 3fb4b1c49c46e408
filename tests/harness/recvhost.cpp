// recvhost CLASS FILE [hang]: a top-level window of class CLASS in its own process that appends
// each WM_COPYDATA it receives to FILE as "<tag> <wParam hex> <bytes hex>". With "hang" it
// creates the window and then never pumps messages again.
#include <windows.h>
#include <stdio.h>
#include <string.h>

static FILE* s_pFile;

static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COPYDATA) {
        const COPYDATASTRUCT* pcds = (const COPYDATASTRUCT*)lParam;
        char tag[5] = {};
        memcpy(tag, &pcds->dwData, 4);
        for (int i = 0; i < 4; ++i)
            if (tag[i] == '\0' || tag[i] == ' ' || tag[i] == '\n')
                tag[i] = '?';
        fprintf(s_pFile, "%s %llx ", tag, (unsigned long long)wParam);
        for (DWORD i = 0; i < pcds->cbData; ++i)
            fprintf(s_pFile, "%02x", ((const unsigned char*)pcds->lpData)[i]);
        fprintf(s_pFile, "\n");
        fflush(s_pFile);
        return TRUE;
    }
    if (uMsg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    s_pFile = fopen(argv[2], "wb");
    if (!s_pFile)
        return 3;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = argv[1];
    RegisterClassA(&wc);
    CreateWindowExA(0, argv[1], "recvhost", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
    if (argc > 3 && strcmp(argv[3], "hang") == 0)
        Sleep(INFINITE);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    fclose(s_pFile);
    return 0;
}
