// Trace lines as the trace viewer and the project manager receive them, byte for byte.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;
using harness::Receiver;

namespace {
std::string ThreadPrefix()
{
    char sz[16];
    sprintf(sz, "%d: ", (int)LOWORD(GetCurrentThreadId()));
    return sz;
}
// Leaves a pattern in the stack below the caller, where the next call's locals will lie, so
// that a field the library leaves unset does not read as zero by chance.
__attribute__((noinline)) void PaintStack()
{
    volatile char sz[16384];
    for (size_t i = 0; i < sizeof(sz); ++i)
        sz[i] = (char)0xA5;
}
std::vector<std::string> Bytes(const std::vector<harness::CopyData>& got)
{
    std::vector<std::string> v;
    for (const harness::CopyData& cd : got)
        v.push_back(cd.bytes);
    return v;
}
}  // namespace

TEST(KelmVerbose, KindPrefixesTargetsAndLineFeeds)
{
    Receiver viewer("MfxTraceWindow");
    Receiver manager("WexWClass");
    PaintStack();
    EXPECT_TRUE(KelmVerbose(0, "value %d of %s", 5, "x"));
    EXPECT_TRUE(KelmVerbose(0x10000000, "bad"));
    EXPECT_TRUE(KelmVerbose(0x20000000 | 0x123, "odd\n"));
    EXPECT_TRUE(KelmVerbose(0x02000000, "plain"));
    PaintStack();
    EXPECT_TRUE(KelmVerbose(0x31000000, "to manager"));
    std::vector<harness::CopyData> v = viewer.Received(), m = manager.Received();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].tag, "twin");
    EXPECT_EQ(v[0].wParam, 0u);   // no application object, so no main window
    EXPECT_EQ(Bytes(v), (std::vector<std::string>{ ThreadPrefix() + "value 5 of x\n",   // cbData counts no NUL
                                                   ThreadPrefix() + "Error: bad\n",
                                                   ThreadPrefix() + "Warning: odd\n",   // no second line feed
                                                   "plain\n" }));                       // target bits 2: no prefix
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].tag, "kelm");
    EXPECT_EQ(m[0].bytes, "to manager\n");   // kind 3 adds nothing
}

// The resource overload sends its text as formatted; a line is cut at 640 characters.
TEST(KelmVerbose, ResourceTextsAndLinesCutAt640CharactersWithoutALineFeed)
{
    Receiver viewer("MfxTraceWindow");
    EXPECT_TRUE(KelmVerbose(0x02000000, (UINT)136, "a.lin"));
    EXPECT_TRUE(KelmVerbose(0x02000000, (UINT)59999));   // missing: an empty text
    std::string s638(638, 'a'), s639(639, 'b'), s2000(2000, 'c');
    for (const std::string* p : { &s638, &s639, &s2000 })
        KelmVerbose(0x02000000, "%s", p->c_str());
    EXPECT_EQ(Bytes(viewer.Received()), (std::vector<std::string>{ "Cannot open file 'a.lin'.", "",
        s638 + "\n",                  // 639 characters: the line feed still fits
        s639,                         // 639 + 1 would fill the buffer: none added
        std::string(640, 'c') }));
}

TEST(KelmVerbose, WithoutATargetReturnsFalseAndShowsNothingWithOneCarriesTheMainWindow)
{
    {
        MsgBoxCatcher catcher;
        EXPECT_FALSE(KelmVerbose(0, "nobody listens"));
        EXPECT_FALSE(KelmVerbose(0x01000000, "nobody"));
        EXPECT_FALSE(KelmHexDump("ab", 2));
        EXPECT_EQ(catcher.Count(), 0u);
    }
    Receiver viewer("MfxTraceWindow");
    CWinApp app("Diag");
    CWnd wnd;
    wnd.m_hWnd = CreateWindowA("STATIC", "main", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    app.m_pMainWnd = &wnd;
    KelmVerbose(0x02000000, "x");
    app.m_pMainWnd = NULL;
    DestroyWindow(wnd.m_hWnd);
    ASSERT_EQ(viewer.Received().size(), 1u);
    EXPECT_EQ(viewer.Received()[0].wParam, (UINT_PTR)wnd.m_hWnd);
}

// Both overloads format into a box captioned with the application's title, cut at 1024 characters.
TEST(KelmMessageBox, FormatsTextOrAResourceAndCutsAt1024Characters)
{
    MsgBoxCatcher catcher;
    CWinApp app("Diag Box");
    KelmMessageBox("value %d of %s", 5, "x");
    KelmMessageBox((UINT)136, "a.lin");
    KelmMessageBox("%s", std::string(3000, 'm').c_str());
    ASSERT_EQ(catcher.Count(), 3u);
    EXPECT_EQ(catcher.Boxes()[0].text, "value 5 of x");
    EXPECT_EQ(catcher.Boxes()[0].caption, "Diag Box");
    EXPECT_EQ(catcher.Boxes()[1].text, "Cannot open file 'a.lin'.");
    EXPECT_EQ(catcher.Boxes()[2].text, std::string(1024, 'm'));
}

TEST(KelmHexDump, LayoutOfFullAndShortLines)
{
    Receiver viewer("MfxTraceWindow");
    char data[17];
    for (int i = 0; i < 16; ++i)
        data[i] = (char)(0x41 + i);
    data[3] = '\n';
    data[15] = (char)0xFF;   // bytes above 0x7F print as two digits
    data[16] = (char)0x80;
    EXPECT_TRUE(KelmHexDump(data, 17));
    EXPECT_TRUE(KelmHexDump(data, 0));   // an empty dump sends nothing and succeeds
    EXPECT_EQ(Bytes(viewer.Received()), (std::vector<std::string>{
        "0000 41 42 43 0A 45 46 47 48 49 4A 4B 4C 4D 4E 4F FF  ABC.EFGHIJKLMNO.\n",
        "0010 80 " + std::string(15 * 3, ' ') + " .\n" }));
}

TEST(KelmDebug, AnAssertionIsShownWithTheSupportNoteAndTracedOtherKindsOnlyTraced)
{
    MsgBoxCatcher catcher;
    int nLine = __LINE__ + 1;
    KELM_ASSERT(1 + 1 == 3);   // without the viewer the box still shows
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_NE(catcher.Last().text.find("failed at line " + std::to_string(nLine) + " in "), std::string::npos);
    EXPECT_NE(catcher.Last().text.find("test_diagnostics.cpp:\n 1 + 1 == 3\n"), std::string::npos);
    EXPECT_FALSE(KelmDebug((char*)"KELM_ASSERT", (char*)"x", (char*)"f", 1));

    Receiver viewer("MfxTraceWindow");
    catcher.Answer(IDRETRY);
    EXPECT_TRUE(KelmDebug((char*)"KELM_ASSERT", (char*)"p != NULL", (char*)"C:\\src\\x.cpp", 17));
    const char* szReport = "KELM_ASSERT failed at line 17 in C:\\src\\x.cpp:\n p != NULL\n";
    ASSERT_EQ(viewer.Received().size(), 1u);
    EXPECT_EQ(viewer.Received()[0].bytes, szReport);
    ASSERT_EQ(catcher.Count(), 3u);
    EXPECT_EQ(catcher.Last().text, std::string(szReport) +
              "\nPlease report this error to KELM-Ostrand support.\n\n"
              "(press RETRY or IGNORE to ignore this error and continue)");
    EXPECT_EQ(catcher.Last().type, (UINT)MB_ABORTRETRYIGNORE);
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONHAND);
    EXPECT_TRUE(catcher.Last().taskModal);
    EXPECT_TRUE(KelmDebug((char*)"TRACE", (char*)"x", (char*)"f.cpp", 1));
    EXPECT_EQ(catcher.Count(), 3u);
    EXPECT_EQ(viewer.Received().size(), 2u);
}

TEST(KelmDebug, VerificationReportsTheReasonOrTheCodeAndAnOverlongReportIsCut)
{
    Receiver viewer("MfxTraceWindow");
    MsgBoxCatcher catcher;
    char szReason[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, ERROR_ACCESS_DENIED, 0, szReason, sizeof(szReason), NULL);
    KelmDebug((char*)"KELM_VERIFY", (char*)"WriteFile(h)", (char*)"w.cpp", 9, ERROR_ACCESS_DENIED);
    KELM_VERIFY((SetLastError(0x2000ABCD), false));   // the macro passes the last error
    KelmDebug((char*)"KELM_ASSERT", (char*)std::string(1000, 'e').c_str(), (char*)"f.cpp", 3);
    std::vector<harness::CopyData> v = viewer.Received();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].bytes, std::string("KELM_VERIFY failed at line 9 in w.cpp:\nWriteFile(h)\nReason: ") + szReason + "\n");
    EXPECT_NE(v[1].bytes.find("\nCode: 2000abcd\n"), std::string::npos);
    EXPECT_EQ(v[2].bytes.size(), 639u);
    EXPECT_EQ(catcher.Last().text.size(), 639u);   // and gets no note
}

BEX_CHILD(assert_abort)
{
    MsgBoxCatcher catcher;
    catcher.Answer(IDABORT);
    KELM_ASSERT(false);
    printf("survived\n");
}

TEST(KelmDebug, AbortEndsTheProcess)
{
    harness::ChildResult r = harness::RunChild("assert_abort");
    EXPECT_EQ(r.exitCode, 3u);
    EXPECT_EQ(r.output.find("survived"), std::string::npos);
}

// A viewer the system counts as hung is not waited for; one that is only slow gets every line.
TEST(Delivery, AHungViewerIsPassedByASlowOneGetsItsLines)
{
    harness::ReceiverProcess hung("MfxTraceWindow", true);
    ASSERT_NE(hung.Hwnd(), nullptr);
    for (DWORD dwStart = GetTickCount(); !IsHungAppWindow(hung.Hwnd()) && GetTickCount() - dwStart < 20000;)
        Sleep(100);
    ASSERT_TRUE(IsHungAppWindow(hung.Hwnd()));
    DWORD t0 = GetTickCount();
    EXPECT_FALSE(KelmVerbose(0x02000000, "anyone?"));
    EXPECT_LT(GetTickCount() - t0, 2000u);
}

TEST(Delivery, ASlowViewerGetsItsLine)
{
    Receiver slow("MfxTraceWindow", false, 4000);   // longer than a viewer was once given
    EXPECT_TRUE(KelmVerbose(0x02000000, "take your time"));
    EXPECT_TRUE(KelmHexDump("ab", 2));
    EXPECT_EQ(Bytes(slow.Received()), (std::vector<std::string>{ "take your time\n", "0000 61 62 " + std::string(14 * 3, ' ') + " ab\n" }));
}
