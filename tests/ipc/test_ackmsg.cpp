// Acknowledged messages, with the sample application as the receiver in a process of its own.
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

TEST(PostMessageAndWaitAck, ReturnsTheAcknowledgedResultOrMinusOneWhenTheReceiverDies)
{
    for (bool bDie : { false, true }) {
        Partner partner(bDie ? WEX_RESPOND_DIE : WEX_RESPOND_NORMAL);
        ASSERT_NE(partner.Hwnd(), nullptr);
        OwnWindow own;
        ATOM nAtom = GlobalAddMolecule(std::string(42, 'k').c_str());
        Watchdog watchdog(20000, partner.Process());
        EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_LENGTH, (WPARAM)own.Hwnd(), nAtom),
                  bDie ? -1 : 42);
        GlobalDeleteMolecule(nAtom);
    }
}

TEST(PostMessageAndWaitAck, AQuitEndsTheWaitAndIsPostedAgainForTheCallersLoop)
{
    harness::Receiver silent("BexSilentReceiver");   // never acknowledges
    PostQuitMessage(7);
    Watchdog watchdog(20000, NULL);
    EXPECT_EQ(PostMessageAndWaitAck(silent.Hwnd(), WM_USER, 0, 0), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}
