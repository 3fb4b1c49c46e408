#include "harness.h"
#include "MsgBoxWnd.h"

#include <stdio.h>
#include <map>
#include <algorithm>

namespace harness {

// ---------------------------------------------------------------------------------------------
// MsgBoxCatcher

static thread_local MsgBoxCatcher* t_pCatcher = NULL;

static thread_local BoxRefuser* t_pRefuser = NULL;

BoxRefuser::BoxRefuser()
{
    t_pRefuser = this;
    m_hHook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

BoxRefuser::~BoxRefuser()
{
    UnhookWindowsHookEx(m_hHook);
    t_pRefuser = NULL;
}

LRESULT CALLBACK BoxRefuser::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    char szClass[16];
    if (t_pRefuser && nCode == HCBT_CREATEWND && GetClassNameA((HWND)wParam, szClass, sizeof(szClass)) &&
        strcmp(szClass, "#32770") == 0)
        return ++t_pRefuser->m_nBoxes;   // not zero: the window is not created
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

MsgBoxCatcher::MsgBoxCatcher()
{
    t_pCatcher = this;
    m_hProbe = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    m_hHook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

MsgBoxCatcher::~MsgBoxCatcher()
{
    UnhookWindowsHookEx(m_hHook);
    DestroyWindow(m_hProbe);
    t_pCatcher = NULL;
}

LRESULT CALLBACK MsgBoxCatcher::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    MsgBoxCatcher* p = t_pCatcher;
    if (p && nCode == HCBT_ACTIVATE) {
        HWND hWnd = (HWND)wParam;
        // Under Wine the box's text is still empty here: read it once the dialog has initialised,
        // from a timer that fires inside the box's own modal loop.
        if (IsSystemMessageBox(hWnd) && std::find(p->m_pending.begin(), p->m_pending.end(), hWnd) == p->m_pending.end()) {
            p->m_pending.push_back(hWnd);
            SetTimer(NULL, 0, 20, TimerProc);
        }
    }
    return CallNextHookEx(p ? p->m_hHook : NULL, nCode, wParam, lParam);
}

void CALLBACK MsgBoxCatcher::TimerProc(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    MsgBoxCatcher* p = t_pCatcher;
    if (p == NULL || p->m_pending.empty())
        return;
    HWND hBox = p->m_pending.front();
    p->m_pending.erase(p->m_pending.begin());
    if (IsWindow(hBox))
        p->Handle(hBox);
}

void MsgBoxCatcher::Handle(HWND hBox)
{
    MsgBox box;
    char sz[4096];
    GetWindowTextA(hBox, sz, sizeof(sz));
    box.caption = sz;
    // The text is the static control whose id is 0xFFFF.
    if (GetDlgItemTextA(hBox, 0xFFFF, sz, sizeof(sz)))
        box.text = sz;
    box.owner = GetWindow(hBox, GW_OWNER);
    box.taskModal = !IsWindowEnabled(m_hProbe);

    auto shown = [&](int id) {
        HWND h = GetDlgItem(hBox, id);
        return h != NULL && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
    };
    if (shown(IDABORT) && shown(IDRETRY) && shown(IDIGNORE)) box.type = MB_ABORTRETRYIGNORE;
    else if (shown(IDYES) && shown(IDNO) && shown(IDCANCEL)) box.type = MB_YESNOCANCEL;
    else if (shown(IDYES) && shown(IDNO)) box.type = MB_YESNO;
    else if (shown(IDRETRY) && shown(IDCANCEL)) box.type = MB_RETRYCANCEL;
    else if (shown(IDOK) && shown(IDCANCEL)) box.type = MB_OKCANCEL;
    else box.type = MB_OK;

    HICON hIcon = NULL;
    for (HWND h = GetWindow(hBox, GW_CHILD); h && !hIcon; h = GetWindow(h, GW_HWNDNEXT))
        if ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            hIcon = (HICON)SendMessageA(h, STM_GETICON, 0, 0);
    if (hIcon == LoadIcon(NULL, IDI_HAND)) box.icon = MB_ICONHAND;
    else if (hIcon == LoadIcon(NULL, IDI_QUESTION)) box.icon = MB_ICONQUESTION;
    else if (hIcon == LoadIcon(NULL, IDI_EXCLAMATION)) box.icon = MB_ICONEXCLAMATION;
    else if (hIcon == LoadIcon(NULL, IDI_ASTERISK)) box.icon = MB_ICONASTERISK;
    m_boxes.push_back(box);
    if (m_onBox)
        m_onBox(box);

    int nAnswer = IDOK;
    if (!m_answers.empty()) {
        nAnswer = m_answers.front();
        m_answers.erase(m_answers.begin());
    } else if (box.type == MB_ABORTRETRYIGNORE) {
        nAnswer = IDIGNORE;
    } else if (box.type == MB_YESNO || box.type == MB_YESNOCANCEL) {
        nAnswer = IDNO;
    }
    PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(nAnswer, BN_CLICKED), (LPARAM)GetDlgItem(hBox, nAnswer));
}

// ---------------------------------------------------------------------------------------------
// Receiver

// All of dwData, so that bytes a 64-bit sender left unset show; the tag's own four end it.
static std::string TagOf(ULONG_PTR dwData)
{
    std::string tag((const char*)&dwData, sizeof(dwData));
    while (tag.size() > 4 && tag.back() == '\0')
        tag.pop_back();
    return tag;
}

Receiver::Receiver(const char* pszClass, bool bHang, DWORD dwTakeMs) : m_class(pszClass), m_bHang(bHang), m_dwTakeMs(dwTakeMs)
{
    m_hReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_hThread = CreateThread(NULL, 0, ThreadProc, this, 0, NULL);
    // The first window of a fresh Wine prefix can take many seconds (the desktop starts).
    WaitForSingleObject(m_hReady, 120000);
}

Receiver::~Receiver()
{
    if (m_hWnd)
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    if (m_bHang)
        TerminateThread(m_hThread, 0);
    // The window procedure uses this object: it must not outlive the thread that runs it.
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    CloseHandle(m_hReady);
}

DWORD WINAPI Receiver::ThreadProc(LPVOID pv)
{
    Receiver* p = static_cast<Receiver*>(pv);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = p->m_class.c_str();
    RegisterClassA(&wc);
    p->m_hWnd = CreateWindowExA(0, p->m_class.c_str(), "receiver", WS_OVERLAPPED, 0, 0, 10, 10,
                                NULL, NULL, wc.hInstance, p);
    SetEvent(p->m_hReady);
    if (p->m_bHang) {
        Sleep(INFINITE);   // never pumps again: a hung receiver
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    UnregisterClassA(p->m_class.c_str(), wc.hInstance);
    return 0;
}

LRESULT CALLBACK Receiver::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA*)lParam)->lpCreateParams);
    Receiver* p = (Receiver*)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
    switch (uMsg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* pcds = (const COPYDATASTRUCT*)lParam;
        Sleep(p->m_dwTakeMs);
        CopyData cd;
        cd.tag = TagOf(pcds->dwData);
        cd.bytes.assign((const char*)pcds->lpData, pcds->cbData);
        cd.wParam = wParam;
        std::lock_guard<std::mutex> lock(p->m_mutex);
        p->m_received.push_back(cd);
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

std::vector<CopyData> Receiver::Received()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

// ---------------------------------------------------------------------------------------------
// ReceiverProcess: recvhost.exe CLASS FILE [hang] (see there).

ReceiverProcess::ReceiverProcess(const char* pszClass, bool bHang) : m_dir(TempDir())
{
    std::string cmd = "\"" + ModuleDir() + "recvhost.exe\" " + pszClass + " \"" + m_dir + "received.txt\"" + (bHang ? " hang" : "");
    STARTUPINFOA si = { sizeof(si) };
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &m_pi))
        return;
    // The child is ready when its window can be found.
    for (int i = 0; i < 6000 && m_hWnd == NULL; ++i) {
        HWND h = FindWindowA(pszClass, NULL);
        DWORD pid = 0;
        if (h)
            GetWindowThreadProcessId(h, &pid);
        if (h && pid == m_pi.dwProcessId)
            m_hWnd = h;
        else
            Sleep(20);
    }
}

ReceiverProcess::~ReceiverProcess()
{
    if (m_pi.hProcess) {
        if (m_hWnd)
            PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_pi.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(m_pi.hProcess, 1);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    RemoveTree(m_dir);
}

// ---------------------------------------------------------------------------------------------
// Child processes

static std::map<std::string, void (*)()>& Children()
{
    static std::map<std::string, void (*)()> s_children;
    return s_children;
}

void RegisterChild(const char* pszName, void (*pfn)()) { Children()[pszName] = pfn; }

bool RunChildFromCommandLine(int argc, char** argv, int* pExitCode)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--child") == 0) {
            auto it = Children().find(argv[i + 1]);
            if (it == Children().end()) {
                *pExitCode = 99;
                return true;
            }
            it->second();
            fflush(stdout);
            *pExitCode = 0;
            return true;
        }
    return false;
}

namespace {
struct PipeReader {
    HANDLE h;
    std::string* out;
    static DWORD WINAPI Run(LPVOID pv)
    {
        PipeReader* p = static_cast<PipeReader*>(pv);
        char buf[4096];
        DWORD n;
        while (ReadFile(p->h, buf, sizeof(buf), &n, NULL) && n)
            p->out->append(buf, n);
        return 0;
    }
};
}  // namespace

ChildResult RunProgram(const std::string& cmdLine, DWORD dwTimeoutMs)
{
    ChildResult r;
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hRead = NULL, hWrite = NULL;
    CreatePipe(&hRead, &hWrite, &sa, 0);
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = { sizeof(si) };
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string cmd = cmdLine;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        CloseHandle(hRead);
        CloseHandle(hWrite);
        r.exitCode = (DWORD)-1;
        return r;
    }
    CloseHandle(hWrite);
    // Read on a thread so that a child filling the pipe cannot deadlock with our wait.
    PipeReader rd = { hRead, &r.output };
    HANDLE hThread = CreateThread(NULL, 0, PipeReader::Run, &rd, 0, NULL);
    if (WaitForSingleObject(pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0) {
        r.timedOut = true;
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &r.exitCode);
    WaitForSingleObject(hThread, 5000);
    CloseHandle(hThread);
    CloseHandle(hRead);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return r;
}

ChildResult RunChild(const char* pszName, DWORD dwTimeoutMs)
{
    char szExe[MAX_PATH];
    GetModuleFileNameA(NULL, szExe, MAX_PATH);
    return RunProgram(std::string("\"") + szExe + "\" --child " + pszName, dwTimeoutMs);
}

// ---------------------------------------------------------------------------------------------
// GuardedBuffer

GuardedBuffer::GuardedBuffer(size_t cb) : m_cb(cb)
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    size_t page = si.dwPageSize;
    size_t cbData = (cb + page - 1) / page * page;
    m_cbAlloc = cbData + page;
    m_base = (char*)VirtualAlloc(NULL, m_cbAlloc, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD dwOld;
    VirtualProtect(m_base + cbData, page, PAGE_NOACCESS, &dwOld);
    m_p = m_base + cbData - cb;
}

GuardedBuffer::~GuardedBuffer()
{
    if (m_base)
        VirtualFree(m_base, 0, MEM_RELEASE);
}

GuardedBuffer GuardedBuffer::Text(const char* psz)
{
    size_t n = strlen(psz) + 1;
    GuardedBuffer b(n);
    memcpy(b.m_p, psz, n);
    return b;
}

// ---------------------------------------------------------------------------------------------
// Files

std::string ModuleDir()
{
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, sz, MAX_PATH);
    std::string s(sz, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string TempDir()
{
    static LONG s_n = 0;
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    for (;;) {
        char sz[MAX_PATH];
        snprintf(sz, sizeof(sz), "%sbex%lu_%ld", szTemp, GetCurrentProcessId(), InterlockedIncrement(&s_n));
        if (CreateDirectoryA(sz, NULL))
            return std::string(sz) + "\\";
    }
}

void RemoveTree(const std::string& dir)
{
    std::string base = dir;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))
                continue;
            std::string p = base + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(p);
            else {
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(p.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(base.c_str());
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD n = 0;
    if (h != INVALID_HANDLE_VALUE) {
        WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, NULL);
        CloseHandle(h);
    }
}

std::string ReadFileBytes(const std::string& path)
{
    std::string s;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return s;
    char buf[65536];
    DWORD n;
    while (ReadFile(h, buf, sizeof(buf), &n, NULL) && n)
        s.append(buf, n);
    CloseHandle(h);
    return s;
}

// --- Registry

std::string MissingKey(HKEY hive, const std::string& path)
{
    for (size_t nEnd = path.find('\\');; nEnd = path.find('\\', nEnd + 1)) {
        std::string key = path.substr(0, nEnd);
        HKEY h;
        if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return key;
        RegCloseKey(h);
        if (nEnd == std::string::npos)
            return "";
    }
}

// --- Help requests

std::vector<std::string> HelpRequests(const std::vector<CopyData>& received)
{
    // Wine's request block: the command at offset 2, the offsets of the file name and of the
    // data (the keyword) at 12 and 14.
    std::vector<std::string> requests;
    for (const CopyData& cd : received) {
        const std::string& b = cd.bytes;
        if (b.size() < 16)
            continue;
        WORD wFile = *(const WORD*)&b[12], wData = *(const WORD*)&b[14];
        if (wFile >= b.size() || wData >= b.size())
            continue;
        requests.push_back(std::string(b.c_str() + wFile) + "|" + (b.c_str() + wData));
    }
    return requests;
}

// --- Dialogs

static DialogDriver* s_pDriver = NULL;

DialogDriver::DialogDriver(std::vector<Step> steps, DWORD dwStepMs) : m_steps(std::move(steps)), m_dwStepMs(dwStepMs)
{
    s_pDriver = this;
    m_hHook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

DialogDriver::~DialogDriver()
{
    UnhookWindowsHookEx(m_hHook);
    if (m_nTimer)
        KillTimer(NULL, m_nTimer);
    s_pDriver = NULL;
}

LRESULT CALLBACK DialogDriver::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    DialogDriver* p = s_pDriver;
    char szClass[16];
    if (p && nCode == HCBT_ACTIVATE && p->m_hDlg == NULL && !IsSystemMessageBox((HWND)wParam) &&
        GetClassNameA((HWND)wParam, szClass, sizeof(szClass)) && strcmp(szClass, "#32770") == 0) {
        p->m_hDlg = (HWND)wParam;
        p->m_nTimer = SetTimer(NULL, 0, p->m_dwStepMs, TimerProc);
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

void CALLBACK DialogDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver* p = s_pDriver;
    // A step that opens a message box or a nested dialog runs this timer again inside that
    // modal loop: the next step waits until this one has returned.
    // A message box answered during the dialog's initialisation activates the dialog before
    // the modal loop has shown it; a user could not act on it yet.
    if (p == NULL || p->m_bInStep || p->m_nNext >= p->m_steps.size() || !IsWindowVisible(p->m_hDlg))
        return;
    if (p->m_nNext + 1 == p->m_steps.size()) {
        KillTimer(NULL, p->m_nTimer);
        p->m_nTimer = 0;
    }
    p->m_bInStep = true;
    p->m_steps[p->m_nNext++](p->m_hDlg);
    p->m_bInStep = false;
}

void Click(HWND hDlg, int nID)
{
    SendMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

UINT HitTest(HWND hWnd, int x, int y)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    POINT pt = { x < 0 ? rc.right + x : x, y < 0 ? rc.bottom + y : y };
    ClientToScreen(hWnd, &pt);
    return (UINT)SendMessageA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

// --- Children run through Unix programs (under Wine only)

namespace {

std::string DosName(const char* pszUnix)
{
    typedef LPWSTR(CDECL * PFNDOSNAME)(LPCSTR);
    PFNDOSNAME pfn = (PFNDOSNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    LPWSTR pwsz = pfn ? pfn(pszUnix) : NULL;
    if (pwsz == NULL)
        return "";
    char sz[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, pwsz, -1, sz, MAX_PATH, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pwsz);
    return sz;
}

std::string UnixName(const std::string& path)
{
    typedef LPSTR(CDECL * PFNUNIXNAME)(LPCWSTR);
    PFNUNIXNAME pfn = (PFNUNIXNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wsz[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wsz, MAX_PATH);
    LPSTR psz = pfn ? pfn(wsz) : NULL;
    if (psz == NULL)
        return "";
    std::string s = psz;
    HeapFree(GetProcessHeap(), 0, psz);
    return s;
}

// Runs the shell script through /bin/sh. Wine gives a Unix program no handle to wait on: the
// script, or the program it starts, ends its report "out.txt" in dir with "end\n". The report,
// or "" when this is not Wine or no report ended within two minutes.
std::string RunShellScript(const std::string& script, const std::string& dir)
{
    std::string shell = DosName("/bin/sh"), file = UnixName(dir + "run.sh");
    if (shell.empty() || file.empty())
        return "";
    WriteFileBytes(dir + "run.sh", script);
    std::string cmd = "\"" + shell + "\" \"" + file + "\"";
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi = {};
    std::string out;
    if (CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        auto ended = [&]() { return out.size() >= 4 && out.compare(out.size() - 4, 4, "end\n") == 0; };
        for (int i = 0; i < 1200 && !ended(); ++i, Sleep(100))
            out = ReadFileBytes(dir + "out.txt");
    }
    return out;
}

// A text as one word of the shell.
std::string Quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ThisProgram()
{
    char szExe[MAX_PATH] = {};
    GetModuleFileNameA(NULL, szExe, MAX_PATH);
    return szExe;
}

}  // namespace

std::string RunChildUnderFileLimit(const char* pszName, const char* pszLoader, const std::string& dir, int nBlocks)
{
    if (pszLoader == NULL || *pszLoader == '\0')
        return "";
    SetEnvironmentVariableA("BEX_CHILD_DIR", dir.c_str());
    std::string out = RunShellScript("trap '' XFSZ; ulimit -f " + std::to_string(nBlocks) + "; exec " + Quoted(pszLoader) +
                                     " " + Quoted(ThisProgram()) + " --child " + pszName + "\n", dir);
    SetEnvironmentVariableA("BEX_CHILD_DIR", NULL);
    return out;
}

std::string RunChildInOwnWine(const char* pszName, const char* pszLoader, const char* pszDesktopSize)
{
    if (pszLoader == NULL || *pszLoader == '\0')
        return "";
    std::string dir = TempDir(), report = UnixName(dir) + "/out.txt", drive = UnixName("C:\\");
    if (drive.empty()) {
        RemoveTree(dir);
        return "";
    }
    // A copy of this session's prefix takes a second, where a new prefix would take Wine's whole
    // set-up. The copy's server and its processes are ended, and the copy removed, before the
    // report ends.
    std::string script =
        "loader=" + Quoted(pszLoader) + "\n"
        "server=\"$(dirname \"$loader\")/wineserver\"; [ -x \"$server\" ] || server=wineserver\n"
        "if own=$(mktemp -d); then\n"
        "  cp -a \"$(cd -P " + Quoted(drive) + "/.. && pwd)/.\" \"$own\" &&\n"
        "  WINEPREFIX=\"$own\" timeout 90 \"$loader\" explorer.exe /desktop=BexOwnWine," + pszDesktopSize + " " +
        Quoted(ThisProgram()) + " --child " + pszName + " >" + Quoted(report) + " 2>/dev/null\n"
        "  WINEPREFIX=\"$own\" \"$server\" -k\n"
        "  WINEPREFIX=\"$own\" \"$server\" -w\n"
        "  rm -rf \"$own\"\n"
        "fi\n"
        "echo end >>" + Quoted(report) + "\n";
    std::string out = RunShellScript(script, dir);
    RemoveTree(dir);
    return out.substr(0, out.size() >= 4 ? out.size() - 4 : 0);
}

void PumpFor(DWORD nMs)
{
    DWORD dwEnd = GetTickCount() + nMs;
    while ((LONG)(dwEnd - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace harness
