// Data exchange through named shared memory, with the sample application as the responder in a
// process of its own. It answers with the request's bytes in reverse order.
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

// Non-zero bytes: the responder cannot tell trailing zeros from the mapping's padding.
struct Request : ExchangeDataBlock
{
    Request(HWND hWndTarget, HWND hWndOwn, size_t cb) : ExchangeDataBlock(), m_bytes(cb, '\0')
    {
        for (size_t i = 0; i < cb; ++i)
            m_bytes[i] = (char)(1 + i * 7 % 255);
        this->hWndTarget = hWndTarget;
        this->hWndOwn = hWndOwn;
        pszMapName = "BexTestRequest";
        cbSend = (DWORD)cb;
        pSend = m_bytes.data();
        // Left as they are by a failed exchange.
        cbReceived = 0xDEAD;
        pReceived = (BYTE*)this;
    }
    std::string m_bytes;
};

}  // namespace

TEST(ExchangeData, RoundTripsEmptyOneByteAndFullRequests)
{
    Partner partner;
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    harness::MsgBoxCatcher catcher;
    Watchdog watchdog(30000, partner.Process());
    for (size_t cb : { 0, 1, BEX_EXCHANGE_MAX }) {
        Request request(partner.Hwnd(), own.Hwnd(), cb);
        ASSERT_TRUE(ExchangeData(&request)) << cb;
        ASSERT_EQ(request.cbReceived, cb);
        EXPECT_EQ(std::string((const char*)request.pReceived, cb), std::string(request.m_bytes.rbegin(), request.m_bytes.rend()));
        // One byte more, always 0, so that a text reply can be used as it comes.
        EXPECT_EQ(HeapSize(GetProcessHeap(), 0, request.pReceived), cb + 1);
        EXPECT_EQ(request.pReceived[cb], 0);
        HeapFree(GetProcessHeap(), 0, request.pReceived);
    }
    EXPECT_EQ(catcher.Count(), 0u);
    // Neither the request's atom nor the last reply's is left.
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
    EXPECT_EQ(GlobalFindAtomA(("WexDemoReply." + std::to_string(partner.ProcessId()) + ".3").c_str()), 0);
}

TEST(ExchangeData, ATooLargeRequestADyingPartnerOrAnOverstatedReplyFailsTheExchange)
{
    const struct { const char* pszMode; size_t cb; DWORD dwError; } cases[] = {
        { NULL, BEX_EXCHANGE_MAX + 1, ERROR_INVALID_PARAMETER },
        { WEX_RESPOND_DIE, 100, ERROR_INVALID_WINDOW_HANDLE },
        { WEX_RESPOND_OVERSIZE, 100, ERROR_INVALID_DATA },   // a megabyte more than the reply mapping
    };
    for (const auto& c : cases) {
        std::unique_ptr<Partner> partner(c.pszMode ? new Partner(c.pszMode) : NULL);
        OwnWindow own;
        harness::MsgBoxCatcher catcher;
        Request request(partner ? partner->Hwnd() : own.Hwnd(), own.Hwnd(), c.cb);
        Watchdog watchdog(20000, partner ? partner->Process() : NULL);
        EXPECT_FALSE(ExchangeData(&request)) << c.dwError;
        EXPECT_TRUE(request.cbReceived == 0xDEAD && request.pReceived == (const BYTE*)&request) << c.dwError;
        ASSERT_EQ(catcher.Count(), 1u);
        char sz[512] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, c.dwError, 0x400, sz, sizeof(sz), NULL);
        EXPECT_EQ(catcher.Last().text, sz);
        EXPECT_EQ(catcher.Last().caption, "System Error");
        EXPECT_EQ(catcher.Last().owner, own.Hwnd());
        EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "BexTestRequest"), nullptr);
    }
}

namespace {
int s_nTimerCalls;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++s_nTimerCalls; }
}  // namespace

TEST(ExchangeData, WhileWaitingOwnWindowsGetNoInputAndArePaintedAgainAfterwards)
{
    Partner partner(WEX_RESPOND_NOISY);
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    // A thread timer is no window of ours: it keeps running during the wait.
    s_nTimerCalls = 0;
    UINT_PTR idTimer = SetTimer(NULL, 0, 50, CountTimer);
    Request request(partner.Hwnd(), own.Hwnd(), 8);
    Watchdog watchdog(20000, partner.Process());
    ASSERT_TRUE(ExchangeData(&request));
    KillTimer(NULL, idTimer);
    HeapFree(GetProcessHeap(), 0, request.pReceived);
    for (UINT uMsg : { WM_LBUTTONDOWN, WM_KEYDOWN, WM_CHAR, WM_PAINT })
        EXPECT_FALSE(own.Saw(uMsg)) << "message " << uMsg << " reached the window during the wait";
    EXPECT_GT(s_nTimerCalls, 0);
    // The paint validated during the wait is asked for again.
    harness::PumpFor(300);
    EXPECT_TRUE(own.Saw(WM_PAINT));
}
