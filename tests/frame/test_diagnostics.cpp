// Trace lines as the trace viewer and the project manager receive them, byte for byte.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;
using harness::Receiver;

static std::string ThreadPrefix()
{
    char sz[16];
    sprintf(sz, "%d: ", (int)LOWORD(GetCurrentThreadId()));
    return sz;
}

TEST(KelmVerbose, TraceViewerLineWithThreadPrefixAndLineFeed)
{
    Receiver viewer("MfxTraceWindow");
    EXPECT_TRUE(KelmVerbose(0, "value %d of %s", 5, "x"));
    std::vector<harness::CopyData> got = viewer.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].tag, "twin");
    EXPECT_EQ(got[0].bytes, ThreadPrefix() + "value 5 of x\n");   // cbData counts no NUL
    EXPECT_EQ(got[0].wParam, 0u);   // no application object, so no main window
}

TEST(KelmVerbose, KindPrefixesAndTargets)
{
    Receiver viewer("MfxTraceWindow");
    Receiver manager("WexWClass");
    EXPECT_TRUE(KelmVerbose(0x10000000, "bad"));
    EXPECT_TRUE(KelmVerbose(0x20000000 | 0x123, "odd\n"));
    EXPECT_TRUE(KelmVerbose(0x02000000, "plain"));
    EXPECT_TRUE(KelmVerbose(0x31000000, "to manager"));
    std::vector<harness::CopyData> v = viewer.Received();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].bytes, ThreadPrefix() + "Error: bad\n");
    EXPECT_EQ(v[1].bytes, ThreadPrefix() + "Warning: odd\n");   // no second line feed
    EXPECT_EQ(v[2].bytes, "plain\n");                           // target bits 2: no thread prefix
    std::vector<harness::CopyData> m = manager.Received();
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
    KelmVerbose(0x02000000, "%s", s638.c_str());
    KelmVerbose(0x02000000, "%s", s639.c_str());
    KelmVerbose(0x02000000, "%s", s2000.c_str());
    std::vector<harness::CopyData> v = viewer.Received();
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].bytes, "Cannot open file 'a.lin'.");
    EXPECT_EQ(v[1].bytes, "");
    EXPECT_EQ(v[2].bytes, s638 + "\n");    // 639 characters: the line feed still fits
    EXPECT_EQ(v[3].bytes, s639);           // 639 + 1 would fill the buffer: none added
    EXPECT_EQ(v[4].bytes, std::string(640, 'c'));
}

TEST(KelmVerbose, WithoutATargetReturnsFalseAndShowsNothing)
{
    MsgBoxCatcher catcher;
    EXPECT_FALSE(KelmVerbose(0, "nobody listens"));
    EXPECT_FALSE(KelmVerbose(0x01000000, "nobody"));
    EXPECT_FALSE(KelmHexDump("ab", 2));
    EXPECT_EQ(catcher.Count(), 0u);
}

TEST(KelmVerbose, CarriesTheApplicationsMainWindow)
{
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
    std::vector<harness::CopyData> v = viewer.Received();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].bytes, "0000 41 42 43 0A 45 46 47 48 49 4A 4B 4C 4D 4E 4F FF  ABC.EFGHIJKLMNO.\n");
    EXPECT_EQ(v[1].bytes, "0010 80 " + std::string(15 * 3, ' ') + " .\n");
    EXPECT_TRUE(KelmHexDump(data, 0));   // an empty dump sends nothing and succeeds
    KelmHexDump("AB\n", 3);              // the reference example
    v = viewer.Received();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[2].bytes, "0000 41 42 0A " + std::string(13 * 3, ' ') + " AB.\n");
}

TEST(KelmDebug, AnAssertionIsTracedAndShownWithTheSupportNoteOtherKindsOnlyTraced)
{
    Receiver viewer("MfxTraceWindow");
    MsgBoxCatcher catcher;
    catcher.Answer(IDRETRY);
    EXPECT_TRUE(KelmDebug((char*)"KELM_ASSERT", (char*)"p != NULL", (char*)"C:\\src\\x.cpp", 17));
    const char* szReport = "KELM_ASSERT failed at line 17 in C:\\src\\x.cpp:\n p != NULL\n";
    ASSERT_EQ(viewer.Received().size(), 1u);
    EXPECT_EQ(viewer.Received()[0].bytes, szReport);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, std::string(szReport) +
              "\nPlease report this error to KELM-Ostrand support.\n\n"
              "(press RETRY or IGNORE to ignore this error and continue)");
    EXPECT_EQ(catcher.Last().type, (UINT)MB_ABORTRETRYIGNORE);
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONHAND);
    EXPECT_TRUE(catcher.Last().taskModal);

    // Other kinds are only traced.
    EXPECT_TRUE(KelmDebug((char*)"TRACE", (char*)"x", (char*)"f.cpp", 1));
    EXPECT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(viewer.Received().size(), 2u);
}

TEST(KelmDebug, WithoutTheViewerTheBoxStillShowsAndTheResultIsFalse)
{
    MsgBoxCatcher catcher;
    int nBefore = __LINE__ + 1;
    KELM_ASSERT(1 + 1 == 3);
    ASSERT_EQ(catcher.Count(), 1u);
    char szLine[32];
    sprintf(szLine, "failed at line %d in ", nBefore);
    EXPECT_NE(catcher.Last().text.find(szLine), std::string::npos);
    EXPECT_NE(catcher.Last().text.find("test_diagnostics.cpp:\n 1 + 1 == 3\n"), std::string::npos);
    EXPECT_FALSE(KelmDebug((char*)"KELM_ASSERT", (char*)"x", (char*)"f", 1));
}

TEST(KelmDebug, VerificationReportsTheReasonOrTheCode)
{
    Receiver viewer("MfxTraceWindow");
    MsgBoxCatcher catcher;
    char szReason[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, ERROR_ACCESS_DENIED, 0, szReason, sizeof(szReason), NULL);
    KelmDebug((char*)"KELM_VERIFY", (char*)"WriteFile(h)", (char*)"w.cpp", 9, ERROR_ACCESS_DENIED);
    KelmDebug((char*)"KELM_VERIFY", (char*)"Odd()", (char*)"w.cpp", 10, 0x2000ABCD);
    std::vector<harness::CopyData> v = viewer.Received();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].bytes, std::string("KELM_VERIFY failed at line 9 in w.cpp:\nWriteFile(h)\nReason: ") + szReason + "\n");
    EXPECT_EQ(v[1].bytes, "KELM_VERIFY failed at line 10 in w.cpp:\nOdd()\nCode: 2000abcd\n");
    EXPECT_EQ(catcher.Count(), 2u);
    // The macro passes the last error.
    KELM_VERIFY((SetLastError(0x2000ABCD), false));
    v = viewer.Received();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NE(v[2].bytes.find("Code: 2000abcd"), std::string::npos);
}

TEST(KelmDebug, AnOverlongReportIsCutAndGetsNoNote)
{
    Receiver viewer("MfxTraceWindow");
    MsgBoxCatcher catcher;
    std::string expr(1000, 'e');
    KelmDebug((char*)"KELM_ASSERT", (char*)expr.c_str(), (char*)"f.cpp", 3);
    ASSERT_EQ(viewer.Received().size(), 1u);
    EXPECT_EQ(viewer.Received()[0].bytes.size(), 639u);
    EXPECT_EQ(catcher.Last().text.size(), 639u);
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
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 3u);
    EXPECT_EQ(r.output.find("survived"), std::string::npos);
}

TEST(Delivery, CrossProcessLinesArriveByteForByte)
{
    harness::ReceiverProcess viewer("MfxTraceWindow");
    harness::ReceiverProcess manager("WexWClass");
    ASSERT_NE(viewer.Hwnd(), nullptr);
    ASSERT_NE(manager.Hwnd(), nullptr);
    EXPECT_TRUE(KelmVerbose(0x02000000, "\x01\x7f\xff end"));
    EXPECT_TRUE(KelmVerbose(0x01000000, "pm"));
    EXPECT_TRUE(KelmHexDump("\x00\x01", 2));
    std::vector<harness::CopyData> v = viewer.Finish();
    std::vector<harness::CopyData> m = manager.Finish();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].tag, "twin");
    EXPECT_EQ(v[0].bytes, "\x01\x7f\xff end\n");
    EXPECT_EQ(v[1].bytes, "0000 00 01 " + std::string(14 * 3, ' ') + " ..\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].tag, "kelm");
    EXPECT_EQ(m[0].bytes, "pm\n");
}

TEST(Delivery, AHungViewerMakesTheCallReturnFalse)
{
    // The watchdog is CTest's time-out: before the fix a hung viewer blocked this call forever.
    harness::ReceiverProcess viewer("MfxTraceWindow", true);
    ASSERT_NE(viewer.Hwnd(), nullptr);
    DWORD t0 = GetTickCount();
    EXPECT_FALSE(KelmVerbose(0x02000000, "anyone?"));
    EXPECT_LT(GetTickCount() - t0, 60000u);
}
