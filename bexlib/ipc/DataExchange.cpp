#include "DataExchange.h"
#include "PartnerWait.h"
#include "../frame/bexlib32.h"

#include <string.h>

namespace {

// The handles of one exchange, released however it ends.
class CMapping
{
public:
    CMapping() : m_hMapping(NULL), m_pView(NULL) {}
    ~CMapping()
    {
        if (m_pView)
            UnmapViewOfFile(m_pView);
        if (m_hMapping)
            CloseHandle(m_hMapping);
    }
    BOOL Create(LPCSTR pszName, DWORD cb)
    {
        m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, cb, pszName);
        return m_hMapping != NULL;
    }
    BOOL Open(LPCSTR pszName)
    {
        m_hMapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, pszName);
        return m_hMapping != NULL;
    }
    // cb 0 maps the whole section. A section of that name that existed before with a smaller
    // size cannot be mapped for cb bytes, so nothing is written past its end.
    BYTE* Map(SIZE_T cb)
    {
        m_pView = MapViewOfFile(m_hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, cb);
        return (BYTE*)m_pView;
    }
    void Unmap()
    {
        UnmapViewOfFile(m_pView);
        m_pView = NULL;
    }
    // The bytes the view lets one read: the section's size, rounded up to whole pages.
    SIZE_T ViewSize() const
    {
        MEMORY_BASIC_INFORMATION mbi;
        return VirtualQuery(m_pView, &mbi, sizeof(mbi)) ? mbi.RegionSize : 0;
    }

private:
    CMapping(const CMapping&) = delete;
    CMapping& operator=(const CMapping&) = delete;

    HANDLE m_hMapping;
    LPVOID m_pView;
};

BOOL Fail(HWND hWndOwn, DWORD dwError)
{
    SetLastError(dwError);
    LastError(hWndOwn);
    return FALSE;
}

}  // namespace

BOOL BEXAPI ExchangeData(ExchangeDataBlock* pBlock)
{
    if (pBlock == NULL)
        return Fail(NULL, ERROR_INVALID_PARAMETER);
    HWND hWndOwn = pBlock->hWndOwn;
    // The request must fit the mapping and the name a global atom.
    if (pBlock->cbSend > BEX_EXCHANGE_MAX || (pBlock->cbSend && pBlock->pSend == NULL) ||
        pBlock->pszMapName == NULL || pBlock->pszMapName[0] == '\0')
        return Fail(hWndOwn, ERROR_INVALID_PARAMETER);

    UINT nMsgExchange = RegisterWindowMessageA("MsgDataExchange");
    UINT nMsgReady = RegisterWindowMessageA("MsgDataReady");

    CMapping request;
    if (!request.Create(pBlock->pszMapName, BEX_EXCHANGE_MAX))
        return Fail(hWndOwn, GetLastError());
    BYTE* pView = request.Map(BEX_EXCHANGE_MAX);
    if (pView == NULL)
        return Fail(hWndOwn, GetLastError());
    memset(pView, 0, BEX_EXCHANGE_MAX);
    if (pBlock->cbSend)
        memcpy(pView, pBlock->pSend, pBlock->cbSend);
    request.Unmap();

    ATOM nRequest = GlobalAddAtomA(pBlock->pszMapName);
    if (nRequest == 0)
        return Fail(hWndOwn, GetLastError());
    if (!PostMessageA(pBlock->hWndTarget, nMsgExchange, (WPARAM)hWndOwn, nRequest)) {
        DWORD dwError = GetLastError();
        GlobalDeleteAtom(nRequest);
        return Fail(hWndOwn, dwError);
    }

    MSG msg;
    CPartnerWait::Result result;
    int nQuitCode = 0;
    {
        CPartnerWait wait;
        result = wait.Wait(pBlock->hWndTarget, nMsgReady, msg);
        // A quit in the queue would close the failure box at once: it is posted after the box.
        if (result == CPartnerWait::quit)
            nQuitCode = wait.TakeQuit();
    }
    if (result != CPartnerWait::answered) {
        // An answer hands the request's atom to the responder, which deletes it; without one
        // nobody else will. Deleting it after an answer too would drop a reference that belongs
        // to another program, or to an exchange running beside this one under the same name.
        GlobalDeleteAtom(nRequest);
        Fail(hWndOwn, result == CPartnerWait::quit ? ERROR_CANCELLED : ERROR_INVALID_WINDOW_HANDLE);
        if (result == CPartnerWait::quit)
            PostQuitMessage(nQuitCode);
        return FALSE;
    }

    DWORD cbReply = (DWORD)msg.wParam;
    ATOM nReply = LOWORD(msg.lParam);
    char szReplyName[100];
    UINT cchReplyName = GlobalGetAtomNameA(nReply, szReplyName, sizeof(szReplyName));
    DWORD dwError = GetLastError();
    GlobalDeleteAtom(nReply);
    if (cchReplyName == 0)
        return Fail(hWndOwn, dwError);

    CMapping reply;
    if (!reply.Open(szReplyName))
        return Fail(hWndOwn, GetLastError());
    BYTE* pReply = reply.Map(0);
    if (pReply == NULL)
        return Fail(hWndOwn, GetLastError());
    // The count is the responder's word; the view is what there is to read.
    if (cbReply > reply.ViewSize())
        return Fail(hWndOwn, ERROR_INVALID_DATA);
    BYTE* pReceived = (BYTE*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cbReply + 1);
    if (pReceived == NULL)
        return Fail(hWndOwn, ERROR_NOT_ENOUGH_MEMORY);
    memcpy(pReceived, pReply, cbReply);
    pBlock->cbReceived = cbReply;
    pBlock->pReceived = pReceived;
    return TRUE;
}
