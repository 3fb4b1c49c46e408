// The test harness: real tools on the real Win32 API (as Wine implements it), shared by every suite.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include <functional>
#include <mutex>

namespace harness {

// ---------------------------------------------------------------------------------------------
// Message boxes. While a catcher lives, every message box that the code under test opens on the
// catcher's thread is recorded and answered with the next button the test queued (IDOK when the
// queue is empty, or the box's only button).
struct MsgBox {
    std::string text;
    std::string caption;
    UINT type = 0;        // MB_OK, MB_ABORTRETRYIGNORE, ... read from the buttons it shows
    UINT icon = 0;        // MB_ICONHAND, MB_ICONEXCLAMATION, ... read from the icon it shows
    bool taskModal = false;  // the thread's other windows were disabled while it was up
    HWND owner = NULL;
};

class MsgBoxCatcher {
public:
    MsgBoxCatcher();
    ~MsgBoxCatcher();
    void Answer(int nButton) { m_answers.push_back(nButton); }
    // Called with each box while it is still up, before it is answered.
    void OnBox(std::function<void(const MsgBox&)> fn) { m_onBox = fn; }
    const std::vector<MsgBox>& Boxes() const { return m_boxes; }
    size_t Count() const { return m_boxes.size(); }
    const MsgBox& Last() const { return m_boxes.back(); }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void Handle(HWND hBox);

    HHOOK m_hHook;
    HWND m_hProbe;        // a window of this thread: disabled means the box is task-modal
    std::vector<int> m_answers;
    std::vector<MsgBox> m_boxes;
    std::vector<HWND> m_pending;
    std::function<void(const MsgBox&)> m_onBox;
};

// While a refuser lives, every dialog (message boxes among them) that code on its thread tries to
// create is refused as it is created and counted: for runs of thousands of damaged inputs, where a
// box on the screen for each would cost far more than the input.
class BoxRefuser {
public:
    BoxRefuser();
    ~BoxRefuser();
    int Count() const { return m_nBoxes; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook;
    int m_nBoxes = 0;
};

// ---------------------------------------------------------------------------------------------
// Receiver windows: a top-level window of a given class that records every WM_COPYDATA it gets.
struct CopyData {
    std::string tag;      // dwData as characters in memory order (four, unless more are set)
    std::string bytes;    // exactly cbData bytes
    UINT_PTR wParam = 0;
};

// In this process, on a thread of its own, so that a SendMessage to it is a real cross-thread call.
class Receiver {
public:
    // bHang: the thread never takes a message; dwTakeMs: each WM_COPYDATA takes that long.
    explicit Receiver(const char* pszClass, bool bHang = false, DWORD dwTakeMs = 0);
    ~Receiver();
    HWND Hwnd() const { return m_hWnd; }
    std::vector<CopyData> Received();

private:
    static DWORD WINAPI ThreadProc(LPVOID pv);
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

    std::string m_class;
    bool m_bHang;
    DWORD m_dwTakeMs;
    HANDLE m_hThread = NULL;
    HANDLE m_hReady = NULL;
    HWND m_hWnd = NULL;
    std::mutex m_mutex;
    std::vector<CopyData> m_received;
};

// The WinHelpA requests among what an "MS_WINHELP" receiver got, each as "file|keyword".
std::vector<std::string> HelpRequests(const std::vector<CopyData>& received);

// In a child process (recvhost.exe), for the cross-process path; ended with the object.
class ReceiverProcess {
public:
    explicit ReceiverProcess(const char* pszClass, bool bHang = false);
    ~ReceiverProcess();
    HWND Hwnd() const { return m_hWnd; }

private:
    std::string m_dir;    // where the child writes, removed with the object
    PROCESS_INFORMATION m_pi = {};
    HWND m_hWnd = NULL;
};

// ---------------------------------------------------------------------------------------------
// Child processes: this test program run again with "--child NAME", for paths that end the
// process. A child scenario is a function registered with BEX_CHILD(NAME).
struct ChildResult {
    DWORD exitCode = 0;
    std::string output;   // what the child wrote to standard output
    bool timedOut = false;
};
ChildResult RunChild(const char* pszName, DWORD dwTimeoutMs = 30000);
ChildResult RunProgram(const std::string& cmdLine, DWORD dwTimeoutMs = 30000);

// Runs child scenario pszName of this program under a Unix file-size limit of nBlocks 512-byte
// blocks, through /bin/sh and Wine's loader pszLoader; the shell ignores the signal, so the
// program sees a short write. The child gets dir in BEX_CHILD_DIR and ends its report "out.txt"
// there with "end\n" (Wine gives a Unix program no handle to wait on). Returns the report, or ""
// when the program could not be started this way (not under Wine).
std::string RunChildUnderFileLimit(const char* pszName, const char* pszLoader, const std::string& dir, int nBlocks);

// Runs child scenario pszName of this program in a Wine session of its own, on a virtual desktop
// of pszDesktopSize ("400x8"), as explorer's "/desktop=" makes one: for a scenario that changes
// what a session shares with every program in it (its display, its desktops). The session runs on
// a copy of this one's prefix; the copy and its wineserver are gone when the call returns. Returns
// what the child wrote to its standard output, or "" when it could not run (not under Wine).
std::string RunChildInOwnWine(const char* pszName, const char* pszLoader, const char* pszDesktopSize);

void RegisterChild(const char* pszName, void (*pfn)());
struct ChildRegistrar {
    ChildRegistrar(const char* pszName, void (*pfn)()) { RegisterChild(pszName, pfn); }
};
#define BEX_CHILD(name) \
    static void child_##name(); \
    static harness::ChildRegistrar s_child_##name(#name, child_##name); \
    static void child_##name()

// Runs the registered child named on the command line, if any; returns false when none was.
bool RunChildFromCommandLine(int argc, char** argv, int* pExitCode);

// ---------------------------------------------------------------------------------------------
// Memory placed against a no-access page: a byte read or written past the end faults at once.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t cb);
    ~GuardedBuffer();
    char* Data() { return m_p; }
    size_t Size() const { return m_cb; }
    // A copy of the text whose terminating NUL is the last byte before the no-access page.
    static GuardedBuffer Text(const char* psz);
    GuardedBuffer(GuardedBuffer&& o) noexcept : m_base(o.m_base), m_p(o.m_p), m_cb(o.m_cb), m_cbAlloc(o.m_cbAlloc) { o.m_base = NULL; }

private:
    char* m_base;
    char* m_p;
    size_t m_cb;
    size_t m_cbAlloc;
};

// ---------------------------------------------------------------------------------------------
// Files and folders.
std::string TempDir();                  // a fresh directory for this test, removed by RemoveTree
void RemoveTree(const std::string& dir);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
std::string ModuleDir();                // the directory of the running test program

// ---------------------------------------------------------------------------------------------
// Registry. The outermost key of path that does not exist, or "" when all of it does: what a
// write below path creates, and what a RegDeleteTree of it takes away again.
std::string MissingKey(HKEY hive, const std::string& path);

// ---------------------------------------------------------------------------------------------
// Dialogs. Plays the user of the next dialog this thread opens: once the dialog is active, runs
// one step per timer tick inside its modal loop, so that each step sees what the previous one
// caused. The steps run on the thread that opened the dialog, one at a time: a step that opens a
// nested modal loop must close it itself (a message box is answered by a MsgBoxCatcher).
class DialogDriver {
public:
    typedef std::function<void(HWND)> Step;
    explicit DialogDriver(std::vector<Step> steps, DWORD dwStepMs = 30);
    ~DialogDriver();
    HWND Dialog() const { return m_hDlg; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> m_steps;
    DWORD m_dwStepMs;
    size_t m_nNext = 0;
    bool m_bInStep = false;
    HHOOK m_hHook = NULL;
    UINT_PTR m_nTimer = 0;
    HWND m_hDlg = NULL;
};

// BM_CLICK on the dialog's button nID.
void Click(HWND hDlg, int nID);

// The window's WM_NCHITTEST answer at client point (x, y); a negative coordinate counts back
// from the client area's right or bottom edge.
UINT HitTest(HWND hWnd, int x, int y);

// Pumps this thread's messages for about nMs milliseconds.
void PumpFor(DWORD nMs);

}  // namespace harness
