// bexfuzz: the driver. Usage:
//
//   bexfuzz [--seed N] [--count N] [--batch N] [--jobs N] [--timeout S] [--out DIR] [TARGET...]
//       runs N inputs (default 100000) of each target named (default all), made from seed N
//       (default 1), in batches of --batch inputs, each batch in a child process; up to --jobs
//       children at once, of different targets. A child that crashes, runs one input longer than
//       --timeout seconds, or reports a broken rule is a fault: its input is saved under DIR
//       (default "fuzz-findings" in the current directory) as DIR\TARGET\sSEED-iINDEX.EXT, and
//       the batch goes on in a new child after it. TARGET=N gives that target N inputs instead,
//       without choosing it.
//   bexfuzz --replay DIR [TARGET...]
//       runs every file of DIR\TARGET\ as an input of TARGET, in child processes the same way:
//       the committed reproducers, as a regression test.
//   bexfuzz --run TARGET FILE
//       runs one input in this process, for a debugger.
//   bexfuzz --make TARGET SEED INDEX FILE
//       writes input INDEX of a run with SEED to FILE.
//
// Exit code 0 when no fault was found, 1 when one was, 2 for a bad command line.
//
// In the children the library's heap blocks are put against no-access pages by the page heap
// (tests/harness/pageheap.h): the malloc family of the C++ runtime (every operator new), the
// framework, the library and this program, and the library's GlobalAlloc family.
#include "fuzz.h"
#include "harness.h"
#include "pageheap.h"
#include "BexLib32.h"

#include <algorithm>
#include <exception>
#include <map>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <typeinfo>

namespace fuzz {

namespace {

// What a child tells its parent, in shared memory: how far it got and what went wrong.
struct Progress {
    volatile LONG nIndex;       // the input being run; -1 before the first
    volatile LONG nDone;        // inputs run to their end
    volatile LONG nAccepted;
    volatile LONG nSetAside;
    volatile LONG bFinished;    // the whole batch was run
    volatile LONG bMaking;      // the input nIndex is being made, not run
    char szFault[1024];
};

const UINT nFaultExit = 3;

Progress* s_pProgress;          // in a child
std::string s_scratch;
harness::BoxRefuser* s_pBoxes;   // message boxes, refused as they are made, so that none waits for a user

std::vector<Target>& Registry()
{
    static std::vector<Target> s_targets;
    return s_targets;
}

const Target* FindTarget(const std::string& name)
{
    for (const Target& t : Registry())
        if (name == t.pszName)
            return &t;
    return NULL;
}

// ---------------------------------------------------------------------------------------------
// The child: faults caught and named

std::string Where(const void* pv)
{
    HMODULE hModule = NULL;
    char szPath[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, (LPCSTR)pv, &hModule))
        GetModuleFileNameA(hModule, szPath, MAX_PATH);
    const char* pszName = strrchr(szPath, '\\') ? strrchr(szPath, '\\') + 1 : szPath;
    char sz[MAX_PATH + 32];
    snprintf(sz, sizeof(sz), "%s+0x%llx", pszName, (unsigned long long)((const BYTE*)pv - (const BYTE*)hModule));
    return sz;
}

LONG CALLBACK FirstChance(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    // A touch of a no-access page of the page heap is a fault even where someone would catch it
    // (Wine's string functions catch faults and return failure).
    if (pRec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRec->NumberParameters >= 2) {
        std::string what = harness::pageheap::Describe((const void*)pRec->ExceptionInformation[1]);
        if (!what.empty())
            Fail("%s %s, at %s", pRec->ExceptionInformation[0] == 1 ? "write" : "read", what.c_str(), Where(pRec->ExceptionAddress).c_str());
    }
    if (pRec->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        Fail("stack overflow at %s", Where(pRec->ExceptionAddress).c_str());
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI Unhandled(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode == harness::pageheap::STATUS_BAD_FREE)
        Fail("a pointer freed that no block starts (%s), at %s", harness::pageheap::Describe((const void*)pRec->ExceptionInformation[0]).c_str(),
             Where(pRec->ExceptionAddress).c_str());
    if (pRec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRec->NumberParameters >= 2)
        Fail("access violation (%s of %p) at %s", pRec->ExceptionInformation[0] == 1 ? "write" : "read",
             (void*)pRec->ExceptionInformation[1], Where(pRec->ExceptionAddress).c_str());
    Fail("exception 0x%08lx at %s", (unsigned long)pRec->ExceptionCode, Where(pRec->ExceptionAddress).c_str());
}

void Terminated()
{
    std::string what = "unknown";
    try {
        if (std::current_exception())
            std::rethrow_exception(std::current_exception());
    } catch (CException* e) {
        char sz[256] = "";
        e->GetErrorMessage(sz, sizeof(sz));
        what = std::string("CException* (") + sz + ")";
    } catch (const std::exception& e) {
        what = std::string(typeid(e).name()) + " (" + e.what() + ")";
    } catch (...) {
    }
    Fail("an exception left the reader: %s", what.c_str());
}

void Aborted(int)
{
    Fail("abort()");
}

void WatchForFaults()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    AddVectoredExceptionHandler(1, FirstChance);
    SetUnhandledExceptionFilter(Unhandled);
    std::set_terminate(Terminated);
    signal(SIGABRT, Aborted);
    static harness::BoxRefuser s_boxes;   // for the life of the process
    s_pBoxes = &s_boxes;
}

bool InstallPageHeap()
{
    return harness::pageheap::InstallCrt({ "libstdc++-6.dll", "FxFrame.dll", "BexLib32.dll", NULL }) &&
           harness::pageheap::InstallGlobal("BexLib32.dll");
}

std::vector<std::string> SortedFiles(const std::string& dir)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    for (BOOL b = h != INVALID_HANDLE_VALUE; b; b = FindNextFileA(h, &fd))
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(fd.cFileName);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    std::sort(files.begin(), files.end());
    return files;
}

// Runs inputs nFrom to nFrom + nCount - 1: made from the seed, or the files of a folder.
int RunChild(const Target& target, const char* pszShm, uint64_t nSeed, const std::string& filesDir, LONG nFrom, LONG nCount)
{
    HANDLE hMap = OpenFileMappingA(FILE_MAP_WRITE, FALSE, pszShm);
    s_pProgress = hMap ? (Progress*)MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, sizeof(Progress)) : NULL;
    if (!s_pProgress)
        return 2;
    WatchForFaults();
    if (!InstallPageHeap())
        Fail("the page heap could not be installed");
    harness::pageheap::Enable(false);
    if (target.pfnSetUp)
        target.pfnSetUp();
    std::vector<std::string> seeds, files;
    if (filesDir.empty())
        seeds = target.pfnSeeds();
    else
        files = SortedFiles(filesDir);
    for (LONG i = nFrom; i < nFrom + nCount && (filesDir.empty() || i < (LONG)files.size()); ++i) {
        InterlockedExchange(&s_pProgress->bMaking, 1);
        InterlockedExchange(&s_pProgress->nIndex, i);
        std::string input = filesDir.empty() ? MakeInput(target, seeds, nSeed, (uint64_t)i) : harness::ReadFileBytes(filesDir + files[i]);
        InterlockedExchange(&s_pProgress->bMaking, 0);
        // Only the reader's blocks need the page heap: making inputs would pay for it many times over.
        harness::pageheap::Enable(true);
        bool bAccepted = target.pfnRun(input);
        harness::pageheap::Enable(false);
        InterlockedIncrement(&s_pProgress->nDone);
        if (bAccepted)
            InterlockedIncrement(&s_pProgress->nAccepted);
    }
    if (target.pfnTearDown)
        target.pfnTearDown();
    InterlockedExchange(&s_pProgress->bFinished, 1);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The parent

// Where children make their folders. Under Wine the host's memory file system, where there is
// one, makes and truncates files many times faster than the disk, and the readers' inputs are
// files made by the thousand.
std::string ScratchRoot()
{
    DWORD dwAttr = GetFileAttributesA("Z:\\dev\\shm");
    if (dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_DIRECTORY))
        return "Z:\\dev\\shm\\";
    char sz[MAX_PATH];
    GetTempPathA(MAX_PATH, sz);
    return sz;
}

struct Options {
    uint64_t nSeed = 1;
    LONG nCount = 100000;
    LONG nBatch = 5000;
    int nJobs = 1;
    DWORD dwTimeoutMs = 30000;
    std::string out = "fuzz-findings";
    std::string replayDir;   // not empty: replay mode
    std::vector<const Target*> targets;
    std::map<const Target*, LONG> counts;   // TARGET=N on the command line
};

struct Tally {
    LONG nInputs = 0, nAccepted = 0, nSetAside = 0, nFaults = 0;
    ULONGLONG nMs = 0;
};

// One child at a time per target; a target's batches follow one another in its slot.
class Slot
{
public:
    Slot(const Options& opt, const Target& target, int nSlot)
        : m_opt(opt), m_target(target), m_nEnd(opt.counts.count(&target) ? opt.counts.at(&target) : opt.nCount), m_nSlot(nSlot)
    {
        if (!opt.replayDir.empty()) {
            m_filesDir = opt.replayDir + target.pszName + "\\";
            m_files = SortedFiles(m_filesDir);
            m_nEnd = (LONG)m_files.size();
        }
    }
    ~Slot() { Close(); }
    bool Done() const { return m_nNext >= m_nEnd && !m_pi.hProcess; }
    HANDLE Process() const { return m_pi.hProcess; }
    const Tally& Totals() const { return m_tally; }
    const Target& TargetOf() const { return m_target; }
    // Starts the next batch when none runs; checks the running one for a hang. False when a
    // fault was found.
    bool Poll();

private:
    bool Start();
    bool Finish(bool bHung);
    void Close();
    void Fault(LONG nIndex, const std::string& what, bool bSave);

    const Options& m_opt;
    const Target& m_target;
    LONG m_nNext = 0, m_nEnd, m_nBatchEnd = 0;
    int m_nSlot, m_nChild = 0;
    std::string m_filesDir, m_scratch;
    std::vector<std::string> m_files, m_seeds;
    PROCESS_INFORMATION m_pi = {};
    HANDLE m_hMap = NULL;
    Progress* m_pProgress = NULL;
    LONG m_nLastIndex = -2;
    ULONGLONG m_nLastChange = 0, m_nStarted = 0;
    Tally m_tally;
    std::map<std::string, int> m_seen;   // faults by their text, so that one bug is saved a few times only
};

bool Slot::Start()
{
    char szName[64], szTemp[MAX_PATH];
    snprintf(szName, sizeof(szName), "Local\\bexfuzz-%lu-%d", GetCurrentProcessId(), m_nSlot);
    m_hMap = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(Progress), szName);
    m_pProgress = (Progress*)MapViewOfFile(m_hMap, FILE_MAP_WRITE, 0, 0, sizeof(Progress));
    memset((void*)m_pProgress, 0, sizeof(Progress));
    m_pProgress->nIndex = -1;
    LONG nCount = std::min(m_opt.nBatch, m_nEnd - m_nNext);
    m_nBatchEnd = m_nNext + nCount;

    // Everything the child writes goes below a folder of its own, removed when it ends.
    GetTempPathA(MAX_PATH, szTemp);
    m_scratch = ScratchRoot() + "bexfuzz-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(m_nSlot) + "-" +
                std::to_string(++m_nChild) + "\\";
    CreateDirectoryA(m_scratch.c_str(), NULL);
    std::string cmd = "\"" + harness::ModuleDir() + "bexfuzz.exe\" --child " + m_target.pszName + " --shm " + szName +
                      " --from " + std::to_string(m_nNext) + " --count " + std::to_string(nCount);
    // Without its backslash: before a closing quote it would escape the quote.
    cmd += m_filesDir.empty() ? " --seed " + std::to_string(m_opt.nSeed) : " --files \"" + m_filesDir.substr(0, m_filesDir.size() - 1) + "\"";
    SetEnvironmentVariableA("TEMP", m_scratch.c_str());
    SetEnvironmentVariableA("TMP", m_scratch.c_str());
    STARTUPINFOA si = { sizeof(si) };
    BOOL bStarted = CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &m_pi);
    SetEnvironmentVariableA("TEMP", szTemp);
    SetEnvironmentVariableA("TMP", szTemp);
    if (!bStarted) {
        fprintf(stderr, "cannot start %s (error %lu)\n", cmd.c_str(), GetLastError());
        m_nNext = m_nEnd;
        return false;
    }
    m_nStarted = m_nLastChange = GetTickCount64();
    m_nLastIndex = -2;
    return true;
}

void Slot::Close()
{
    if (m_pi.hProcess) {
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    m_pi = PROCESS_INFORMATION();
    if (m_pProgress)
        UnmapViewOfFile((void*)m_pProgress);
    if (m_hMap)
        CloseHandle(m_hMap);
    m_pProgress = NULL;
    m_hMap = NULL;
    if (!m_scratch.empty())
        harness::RemoveTree(m_scratch);
    m_scratch.clear();
}

void Slot::Fault(LONG nIndex, const std::string& what, bool bSave)
{
    ++m_tally.nFaults;
    std::string label = m_filesDir.empty() ? "input " + std::to_string(nIndex)
                                           : "file " + (nIndex >= 0 && nIndex < (LONG)m_files.size() ? m_files[nIndex] : "?");
    printf("FAULT %s %s: %s\n", m_target.pszName, label.c_str(), what.c_str());
    if (!bSave || nIndex < 0 || !m_filesDir.empty() || ++m_seen[what] > 3) {
        fflush(stdout);
        return;
    }
    if (m_seeds.empty())
        m_seeds = m_target.pfnSeeds();
    std::string dir = m_opt.out + "\\" + m_target.pszName + "\\";
    CreateDirectoryA(m_opt.out.c_str(), NULL);
    CreateDirectoryA(dir.c_str(), NULL);
    std::string path = dir + "s" + std::to_string(m_opt.nSeed) + "-i" + std::to_string(nIndex) + "." + m_target.pszExt;
    harness::WriteFileBytes(path, MakeInput(m_target, m_seeds, m_opt.nSeed, (uint64_t)nIndex));
    printf("      saved %s\n", path.c_str());
    fflush(stdout);
}

bool Slot::Finish(bool bHung)
{
    DWORD dwExit = 0;
    GetExitCodeProcess(m_pi.hProcess, &dwExit);
    Progress p;
    memcpy(&p, (const void*)m_pProgress, sizeof(p));
    p.szFault[sizeof(p.szFault) - 1] = '\0';
    m_tally.nInputs += p.nDone;
    m_tally.nAccepted += p.nAccepted;
    m_tally.nSetAside += p.nSetAside;
    m_tally.nMs += GetTickCount64() - m_nStarted;
    bool bOk = !bHung && p.bFinished && dwExit == 0;
    if (bOk) {
        m_nNext = m_nBatchEnd;
    } else {
        char sz[128];
        snprintf(sz, sizeof(sz), "the child ended with exit code 0x%lx", (unsigned long)dwExit);
        std::string what = bHung ? "no end after " + std::to_string(m_opt.dwTimeoutMs / 1000) + " s (a hang)"
                                 : p.szFault[0] ? std::string(p.szFault) : std::string(sz);
        // A fault of this program while it made the input: there is no input to save.
        Fault(p.nIndex, p.bMaking ? "while making the input: " + what : what, !p.bMaking);
        // The batch goes on after the input that failed.
        m_nNext = p.nIndex >= m_nNext && !p.bMaking ? p.nIndex + 1 : m_nBatchEnd;
    }
    Close();
    return bOk;
}

bool Slot::Poll()
{
    if (!m_pi.hProcess)
        return m_nNext >= m_nEnd || Start();
    if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0)
        return Finish(false);
    ULONGLONG nNow = GetTickCount64();
    if (m_pProgress->nIndex != m_nLastIndex) {
        m_nLastIndex = m_pProgress->nIndex;
        m_nLastChange = nNow;
    } else if (nNow - m_nLastChange > m_opt.dwTimeoutMs) {
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, 5000);
        return Finish(true);
    }
    return true;
}

int RunParent(const Options& opt)
{
    ULONGLONG nStart = GetTickCount64();
    std::vector<Slot*> active;
    std::vector<std::pair<const Target*, Tally>> done;
    size_t nQueued = 0;
    bool bFault = false;
    while (nQueued < opt.targets.size() || !active.empty()) {
        while ((int)active.size() < opt.nJobs && nQueued < opt.targets.size()) {
            active.push_back(new Slot(opt, *opt.targets[nQueued], (int)nQueued));
            ++nQueued;
        }
        std::vector<HANDLE> handles;
        for (size_t i = 0; i < active.size();) {
            bFault = !active[i]->Poll() || bFault;
            if (active[i]->Done()) {
                done.push_back({ &active[i]->TargetOf(), active[i]->Totals() });
                delete active[i];
                active.erase(active.begin() + i);
                continue;
            }
            if (active[i]->Process())
                handles.push_back(active[i]->Process());
            ++i;
        }
        if (!handles.empty())
            WaitForMultipleObjects((DWORD)handles.size(), handles.data(), FALSE, 100);
    }
    printf("%-10s %8s %9s %8s %6s %7s %9s\n", "target", "inputs", "accepted", "refused", "aside", "faults", "seconds");
    for (const auto& d : done)
        printf("%-10s %8ld %9ld %8ld %6ld %7ld %9.1f\n", d.first->pszName, d.second.nInputs, d.second.nAccepted,
               d.second.nInputs - d.second.nAccepted - d.second.nSetAside, d.second.nSetAside, d.second.nFaults, d.second.nMs / 1000.0);
    printf("%.1f s in all, seed %llu\n", (GetTickCount64() - nStart) / 1000.0, (unsigned long long)opt.nSeed);
    return bFault ? 1 : 0;
}

bool ParseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool bValue = i + 1 < argc;
        if (arg == "--seed" && bValue)
            opt.nSeed = _strtoui64(argv[++i], NULL, 10);
        else if (arg == "--count" && bValue)
            opt.nCount = atol(argv[++i]);
        else if (arg == "--batch" && bValue)
            opt.nBatch = std::max(1L, atol(argv[++i]));
        else if (arg == "--jobs" && bValue)
            opt.nJobs = std::max(1, atoi(argv[++i]));
        else if (arg == "--timeout" && bValue)
            opt.dwTimeoutMs = (DWORD)atol(argv[++i]) * 1000;
        else if (arg == "--out" && bValue)
            opt.out = argv[++i];
        else if (arg == "--replay" && bValue)
            opt.replayDir = std::string(argv[++i]) + "\\";
        else if (const Target* pTarget = FindTarget(arg.substr(0, arg.find('=')))) {
            if (arg.find('=') == std::string::npos)
                opt.targets.push_back(pTarget);
            else
                opt.counts[pTarget] = atol(arg.c_str() + arg.find('=') + 1);
        }
        else {
            fprintf(stderr, "unknown argument: %s\n", arg.c_str());
            return false;
        }
    }
    if (opt.targets.empty()) {
        for (const Target& t : Registry())
            if (!t.bOnRequest)
                opt.targets.push_back(&t);
        std::stable_sort(opt.targets.begin(), opt.targets.end(), [](const Target* a, const Target* b) { return a->nCost > b->nCost; });
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

Registrar::Registrar(const Target& target)
{
    Registry().push_back(target);
}

const std::vector<Target>& Targets()
{
    return Registry();
}

void Fail(const char* pszFormat, ...)
{
    char sz[sizeof(Progress().szFault)];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(sz, sizeof(sz), pszFormat, args);
    va_end(args);
    if (s_pProgress)
        memcpy(s_pProgress->szFault, sz, sizeof(sz));
    else
        fprintf(stderr, "FAULT: %s\n", sz);
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), nFaultExit);
    for (;;)
        Sleep(INFINITE);
}

std::string Scratch()
{
    if (s_scratch.empty()) {
        char sz[MAX_PATH];
        GetTempPathA(MAX_PATH, sz);
        s_scratch = std::string(sz) + "in\\";
        CreateDirectoryA(s_scratch.c_str(), NULL);
    }
    return s_scratch;
}

int Boxes()
{
    return s_pBoxes ? s_pBoxes->Count() : 0;
}

void SetAside()
{
    if (s_pProgress)
        InterlockedIncrement(&s_pProgress->nSetAside);
}

}  // namespace fuzz

int main(int argc, char** argv)
{
    using namespace fuzz;
    if (argc >= 3 && strcmp(argv[1], "--child") == 0) {
        const Target* pTarget = FindTarget(argv[2]);
        const char* pszShm = NULL;
        uint64_t nSeed = 0;
        std::string files;
        LONG nFrom = 0, nCount = 0;
        for (int i = 3; i + 1 < argc; i += 2) {
            if (!strcmp(argv[i], "--shm")) pszShm = argv[i + 1];
            else if (!strcmp(argv[i], "--seed")) nSeed = _strtoui64(argv[i + 1], NULL, 10);
            else if (!strcmp(argv[i], "--from")) nFrom = atol(argv[i + 1]);
            else if (!strcmp(argv[i], "--count")) nCount = atol(argv[i + 1]);
            else if (!strcmp(argv[i], "--files")) files = std::string(argv[i + 1]) + "\\";
        }
        return pTarget && pszShm ? RunChild(*pTarget, pszShm, nSeed, files, nFrom, nCount) : 2;
    }
    if (argc == 6 && strcmp(argv[1], "--make") == 0) {
        const Target* pTarget = FindTarget(argv[2]);
        if (!pTarget)
            return 2;
        harness::WriteFileBytes(argv[5], MakeInput(*pTarget, pTarget->pfnSeeds(), _strtoui64(argv[3], NULL, 10), _strtoui64(argv[4], NULL, 10)));
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "--run") == 0) {
        const Target* pTarget = FindTarget(argv[2]);
        if (!pTarget)
            return 2;
        WatchForFaults();
        InstallPageHeap();
        if (pTarget->pfnSetUp)
            pTarget->pfnSetUp();
        bool bAccepted = pTarget->pfnRun(harness::ReadFileBytes(argv[3]));
        if (pTarget->pfnTearDown)
            pTarget->pfnTearDown();
        printf("%s\n", bAccepted ? "accepted" : "refused");
        return 0;
    }
    Options opt;
    if (!ParseArgs(argc, argv, opt))
        return 2;
    return RunParent(opt);
}
