// The message loop in which the library waits for another application's answer. (Internal.)
#pragma once

#include "../bexdefs.h"

// While it waits, the caller's own windows stay quiet: their paints are validated without
// drawing and redone once the wait is over, and everything else addressed to them is dropped, so
// the user cannot act in the waiting application and nothing of it re-enters the caller. Thread
// messages and windows of other processes are dispatched as usual. The wait ends when the awaited
// message arrives, when the partner's window has gone (checked in short slices, so a partner that
// dies without answering is noticed) or on a quit message, which is posted again for the caller's
// own loop.
class CPartnerWait
{
public:
    enum Result { answered, partnerGone, quit };

    CPartnerWait();
    // Redraws the windows whose paints were swallowed, and posts the quit again.
    ~CPartnerWait();

    // Pumps until message nMsg is taken (into msg, undispatched), or hWndPartner is no window.
    Result Wait(HWND hWndPartner, UINT nMsg, MSG& msg);
    // The exit code of the quit that ended the wait, which the caller now posts again itself.
    int TakeQuit();

private:
    CPartnerWait(const CPartnerWait&) = delete;
    CPartnerWait& operator=(const CPartnerWait&) = delete;

    BOOL IsOwnWindow(HWND hWnd) const;
    void Swallow(const MSG& msg);

    DWORD m_dwProcessId;
    CArray<HWND, HWND> m_aPainted;
    BOOL m_bQuit;
    int m_nExitCode;
};
