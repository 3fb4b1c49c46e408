// Data exchange through named shared memory, with the sample application as the responder in a
// process of its own. It answers with the request's bytes in reverse order.
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <algorithm>

using harness::MsgBoxCatcher;

namespace {
std::string SystemText(DWORD dwError)
{
    char sz[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, dwError, 0x400, sz, sizeof(sz), NULL);
    return sz;
}

std::string Pattern(size_t cb)
{
    std::string s(cb, '\0');
    for (size_t i = 0; i < cb; ++i)
        s[i] = (char)(1 + i * 7 % 255);
    return s;
}

ExchangeDataBlock Block(HWND hWndTarget, HWND hWndOwn, const std::string& request)
{
    ExchangeDataBlock block = {};
    block.hWndTarget = hWndTarget;
    block.hWndOwn = hWndOwn;
    block.pszMapName = "BexTestRequest";
    block.cbSend = (DWORD)request.size();
    block.pSend = request.data();
    block.cbReceived = 0xDEAD;
    block.pReceived = (BYTE*)&block;
    return block;
}

// A failed exchange leaves the outputs as they were.
void ExpectUntouched(ExchangeDataBlock& block)
{
    EXPECT_EQ(block.cbReceived, 0xDEADu);
    EXPECT_EQ(block.pReceived, (BYTE*)&block);
}
}  // namespace

TEST(ExchangeData, RoundTripsEmptyOneByteAndFullRequests)
{
    Partner partner;
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    MsgBoxCatcher catcher;
    Watchdog watchdog(30000, partner.Process());
    for (size_t cb : { 0, 1, BEX_EXCHANGE_MAX }) {
        std::string request = Pattern(cb);
        ExchangeDataBlock block = Block(partner.Hwnd(), own.Hwnd(), request);
        ASSERT_TRUE(ExchangeData(&block)) << cb;
        ASSERT_EQ(block.cbReceived, cb);
        std::string expected(request.rbegin(), request.rend());
        EXPECT_EQ(std::string((const char*)block.pReceived, cb), expected) << cb;
        // One more byte, always 0, so that a text reply can be used as it comes.
        EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block.pReceived), cb + 1);
        EXPECT_EQ(block.pReceived[cb], 0);
        HeapFree(GetProcessHeap(), 0, block.pReceived);
    }
    EXPECT_EQ(catcher.Count(), 0u);
    // Both atoms are gone: the request's (deleted once answered) and the last reply's.
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
    EXPECT_EQ(GlobalFindAtomA(("WexDemoReply." + std::to_string(partner.ProcessId()) + ".3").c_str()), 0);
}

TEST(ExchangeData, ARequestLargerThanTheMappingIsRefused)
{
    OwnWindow own;
    MsgBoxCatcher catcher;
    std::string request = Pattern(BEX_EXCHANGE_MAX + 1);
    ExchangeDataBlock block = Block(own.Hwnd(), own.Hwnd(), request);
    EXPECT_FALSE(ExchangeData(&block));
    ExpectUntouched(block);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, SystemText(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(catcher.Last().owner, own.Hwnd());
    // Nothing was sent: no request mapping was made.
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "BexTestRequest"), nullptr);
}

TEST(ExchangeData, AReplyCountBeyondTheReplyMappingIsRefused)
{
    Partner partner(WEX_RESPOND_OVERSIZE);
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    MsgBoxCatcher catcher;
    std::string request = Pattern(100);
    ExchangeDataBlock block = Block(partner.Hwnd(), own.Hwnd(), request);
    Watchdog watchdog(20000, partner.Process());
    EXPECT_FALSE(ExchangeData(&block));
    ExpectUntouched(block);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, SystemText(ERROR_INVALID_DATA));
}

TEST(ExchangeData, APartnerThatDiesWithoutAnsweringFailsTheExchange)
{
    Partner partner(WEX_RESPOND_DIE);
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    MsgBoxCatcher catcher;
    std::string request = Pattern(10);
    ExchangeDataBlock block = Block(partner.Hwnd(), own.Hwnd(), request);
    Watchdog watchdog(20000, partner.Process());
    EXPECT_FALSE(ExchangeData(&block));
    ExpectUntouched(block);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, SystemText(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(catcher.Last().caption, "System Error");
    EXPECT_EQ(catcher.Last().owner, own.Hwnd());
    EXPECT_EQ(GlobalFindAtomA("BexTestRequest"), 0);
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
    std::string request = "status?";
    ExchangeDataBlock block = Block(partner.Hwnd(), own.Hwnd(), request);
    Watchdog watchdog(20000, partner.Process());
    ASSERT_TRUE(ExchangeData(&block));
    KillTimer(NULL, idTimer);
    HeapFree(GetProcessHeap(), 0, block.pReceived);

    for (UINT uMsg : { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_PAINT })
        EXPECT_FALSE(own.Saw(uMsg)) << "message " << uMsg << " reached the window during the wait";
    EXPECT_GT(s_nTimerCalls, 0);
    // The paint validated during the wait is asked for again.
    harness::PumpFor(300);
    EXPECT_TRUE(own.Saw(WM_PAINT));
    EXPECT_FALSE(own.Saw(WM_LBUTTONDOWN));
}
