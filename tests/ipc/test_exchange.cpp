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

// The responder deletes the request's atom, the requester the reply's: another program's
// reference to an atom of the request's name survives every exchange.
TEST(ExchangeData, RoundTripsEmptyOneByteAndFullRequests)
{
    Partner partner;
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    harness::MsgBoxCatcher catcher;
    Watchdog watchdog(30000, partner.Process());
    ATOM nOthers = GlobalAddAtomA("BexTestRequest");
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
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), nOthers);
    GlobalDeleteAtom(nOthers);
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
    EXPECT_EQ(GlobalFindAtomA(("WexDemoReply." + std::to_string(partner.ProcessId()) + ".3").c_str()), 0);
}

TEST(ExchangeData, AResponderThatAnswersAndThenClosesStillDeliversItsReply)
{
    Partner partner(WEX_RESPOND_QUIT);
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    harness::MsgBoxCatcher catcher;
    Watchdog watchdog(20000, partner.Process());
    Request request(partner.Hwnd(), own.Hwnd(), 3);
    ASSERT_TRUE(ExchangeData(&request));
    EXPECT_EQ(std::string((const char*)request.pReceived, request.cbReceived), std::string(request.m_bytes.rbegin(), request.m_bytes.rend()));
    HeapFree(GetProcessHeap(), 0, request.pReceived);
    EXPECT_EQ(catcher.Count(), 0u);
    EXPECT_EQ(GlobalFindAtomA(("WexDemoReply." + std::to_string(partner.ProcessId()) + ".1").c_str()), 0);
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
}

// The box must stay up until the user has read it: the quit comes back only afterwards.
TEST(ExchangeData, AQuitEndsTheWaitAndIsPostedAgainAfterTheFailureBox)
{
    harness::Receiver silent("BexSilentReceiver");   // never answers
    OwnWindow own;
    harness::MsgBoxCatcher catcher;
    bool bQuitDuringBox = true;
    catcher.OnBox([&](const harness::MsgBox&) {
        MSG msg;
        bQuitDuringBox = PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    });
    Request request(silent.Hwnd(), own.Hwnd(), 8);
    PostQuitMessage(5);
    Watchdog watchdog(20000, NULL);
    EXPECT_FALSE(ExchangeData(&request));
    ASSERT_EQ(catcher.Count(), 1u);
    char sz[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, ERROR_CANCELLED, 0x400, sz, sizeof(sz), NULL);
    EXPECT_EQ(catcher.Last().text, sz);
    EXPECT_FALSE(bQuitDuringBox);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
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

// Both waits: the data exchange and the acknowledged message.
TEST(PartnerWait, WhileWaitingOwnWindowsGetNoInputAndArePaintedAgainAfterwards)
{
    for (bool bExchange : { true, false }) {
        Partner partner(WEX_RESPOND_NOISY);
        ASSERT_NE(partner.Hwnd(), nullptr);
        OwnWindow own;
        // A thread timer is no window of ours: it keeps running during the wait.
        s_nTimerCalls = 0;
        UINT_PTR idTimer = SetTimer(NULL, 0, 50, CountTimer);
        Watchdog watchdog(20000, partner.Process());
        if (bExchange) {
            Request request(partner.Hwnd(), own.Hwnd(), 8);
            ASSERT_TRUE(ExchangeData(&request));
            HeapFree(GetProcessHeap(), 0, request.pReceived);
        } else {
            ATOM nAtom = GlobalAddMolecule("seven k");
            EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_LENGTH, (WPARAM)own.Hwnd(), nAtom), 7);
            GlobalDeleteMolecule(nAtom);
        }
        KillTimer(NULL, idTimer);
        for (UINT uMsg : { WM_LBUTTONDOWN, WM_KEYDOWN, WM_CHAR, WM_PAINT })
            EXPECT_FALSE(own.Saw(uMsg)) << "message " << uMsg << " reached the window during the wait" << (bExchange ? "" : " for the acknowledge");
        EXPECT_GT(s_nTimerCalls, 0);
        // The paint validated during the wait is asked for again.
        harness::PumpFor(300);
        EXPECT_TRUE(own.Saw(WM_PAINT)) << bExchange;
    }
}
