// Inside the window layer: each thread's state (the messages it is handling, the object waiting
// for the window being created, its temporary wrappers) and the window-creation hook.
#pragma once

#include "fxwnd.h"
#include <unordered_map>
#include <vector>

// One message being handled; the innermost is the thread's current message.
struct FX_MSGFRAME
{
    MSG msg;
    BOOL bReflected;   // a child handling its own notification: nothing to pass on
    FX_MSGFRAME* pPrev;
};

// The creation hook: the next window created on this thread is attached to pWnd and subclassed
// before its first message. hWnd tells which window that was (NULL: none).
struct FX_CREATEHOOK
{
    CWnd* pWnd;
    HWND hWnd;
};

enum FxTempKind { fxTempWnd, fxTempDC, fxTempGdi, fxTempFont, fxTempBitmap, fxTempKindCount };

typedef CObject* (*FX_PFN_TEMPCREATE)(HANDLE h);
typedef void (*FX_PFN_TEMPRELEASE)(CObject* pObject);   // forgets the handle, then deletes

struct FX_THREAD_STATE
{
    FX_MSGFRAME* m_pMsgFrame = NULL;
    FX_CREATEHOOK* m_pCreateHook = NULL;   // the creation waiting for its window
    HHOOK m_hHookCbt = NULL;

    struct TEMP
    {
        FxTempKind nKind;
        HANDLE h;
        CObject* pObject;
        FX_PFN_TEMPRELEASE pfnRelease;
    };
    // In order of creation, so that each message handler releases exactly what it added.
    std::vector<TEMP> m_temps;
    std::unordered_map<HANDLE, size_t> m_tempIndex[fxTempKindCount];

    ~FX_THREAD_STATE() { ReleaseTemps(0); }
    // Releases the temporaries made since m_temps had nMark entries.
    void ReleaseTemps(size_t nMark);
};

FX_THREAD_STATE* AfxGetThreadState();

// The calling thread's temporary wrapper of h of the given kind, made by pfnCreate if needed.
CObject* AfxTempFromHandle(FxTempKind nKind, HANDLE h, FX_PFN_TEMPCREATE pfnCreate, FX_PFN_TEMPRELEASE pfnRelease);

// Hooks the creation of the next window of this thread; unhook after the creating call.
void AfxHookWindowCreate(FX_CREATEHOOK* pCreate);
void AfxUnhookWindowCreate(FX_CREATEHOOK* pCreate);
