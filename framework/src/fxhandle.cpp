#include "fxhandle.h"

// The thread state lives in a fiber-local slot, whose callback frees it when the thread ends.
static void WINAPI FreeThreadState(PVOID pv)
{
    delete static_cast<FX_THREAD_STATE*>(pv);
}

namespace {
struct ThreadStateSlot {
    DWORD dwIndex;
    ThreadStateSlot() : dwIndex(FlsAlloc(FreeThreadState)) {}
    // Unloading the framework must not leave threads with a callback into unmapped code.
    ~ThreadStateSlot() { if (dwIndex != FLS_OUT_OF_INDEXES) FlsFree(dwIndex); }
};
}  // namespace

FX_THREAD_STATE* AfxGetThreadState()
{
    static ThreadStateSlot s_slot;
    FX_THREAD_STATE* pState = static_cast<FX_THREAD_STATE*>(FlsGetValue(s_slot.dwIndex));
    if (pState == NULL) {
        pState = new FX_THREAD_STATE;
        FlsSetValue(s_slot.dwIndex, pState);
    }
    return pState;
}

void FX_THREAD_STATE::ReleaseTemps(size_t nMark)
{
    while (m_temps.size() > nMark) {
        TEMP temp = m_temps.back();
        m_temps.pop_back();
        m_tempIndex[temp.nKind].erase(temp.h);
        temp.pfnRelease(temp.pObject);
    }
}

CObject* AfxTempFromHandle(FxTempKind nKind, HANDLE h, FX_PFN_TEMPCREATE pfnCreate, FX_PFN_TEMPRELEASE pfnRelease)
{
    FX_THREAD_STATE* pState = AfxGetThreadState();
    auto it = pState->m_tempIndex[nKind].find(h);
    if (it != pState->m_tempIndex[nKind].end())
        return pState->m_temps[it->second].pObject;
    CObject* pObject = pfnCreate(h);
    pState->m_tempIndex[nKind][h] = pState->m_temps.size();
    pState->m_temps.push_back(FX_THREAD_STATE::TEMP{ nKind, h, pObject, pfnRelease });
    return pObject;
}

void AFXAPI AfxDeleteTempMap()
{
    AfxGetThreadState()->ReleaseTemps(0);
}
