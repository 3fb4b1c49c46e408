// Global molecules: long strings in the global atom table, within this process and across
// processes (the sample application as the other process).
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <stdio.h>

using harness::MsgBoxCatcher;

namespace {

// A text of n lower-case letters that differs from piece to piece, so that a piece out of place
// shows; texts of different salts share no piece (atom names compare without case).
std::string LongText(size_t n, int nSalt = 0)
{
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i)
        s[i] = (char)('a' + (i / 255 + i + nSalt) % 26);
    return s;
}

std::string AtomName(ATOM nAtom)
{
    char sz[256] = "";
    GlobalGetAtomNameA(nAtom, sz, sizeof(sz));
    return sz;
}

bool AtomExists(const std::string& name) { return GlobalFindAtomA(name.c_str()) != 0; }

}  // namespace

TEST(GlobalAddMolecule, ShortStringsArePlainAtomsAndLongOnesChains)
{
    std::string s255 = LongText(255);
    ATOM nPlain = GlobalAddMolecule(s255.c_str());
    ASSERT_NE(nPlain, 0);
    EXPECT_EQ(AtomName(nPlain), s255);

    std::string s256 = LongText(256, 1);
    ATOM nChain = GlobalAddMolecule(s256.c_str());
    ASSERT_NE(nChain, 0);
    std::string dir = AtomName(nChain);
    EXPECT_EQ(dir.substr(0, 9), "*02;0100;");
    EXPECT_EQ(dir.size(), 9u + 2 * 9);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nChain)), s256);
    EXPECT_TRUE(AtomExists(s256.substr(255)));

    GlobalDeleteMolecule(nPlain);
    GlobalDeleteMolecule(nChain);
    EXPECT_FALSE(AtomExists(s255));
    EXPECT_FALSE(AtomExists(s256.substr(0, 255)));
    EXPECT_FALSE(AtomExists(s256.substr(255)));
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nChain)), "");
}

TEST(GlobalAddMolecule, HoldsUpTo6629Characters)
{
    std::string sMax = LongText(6629, 6);
    ATOM nAtom = GlobalAddMolecule(sMax.c_str());
    ASSERT_NE(nAtom, 0);
    EXPECT_EQ(AtomName(nAtom).substr(0, 9), "*1A;19E5;");
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nAtom)), sMax);
    GlobalDeleteMolecule(nAtom);
    EXPECT_EQ(GlobalAddMolecule(LongText(6630, 7).c_str()), 0);
    EXPECT_EQ(GlobalAddMolecule(NULL), 0);
}

TEST(GlobalAddMolecule, AStringTheTableWouldAlterIsRefusedAndNothingIsLeftBehind)
{
    // "#007" is answered with the integer atom 7, whose name reads "#7".
    EXPECT_EQ(GlobalAddMolecule("#007"), 0);
    // So is a last piece of that form; the pieces before it are taken back.
    std::string sIntPiece = LongText(255, 2) + "#12";
    EXPECT_EQ(GlobalAddMolecule(sIntPiece.c_str()), 0);
    EXPECT_FALSE(AtomExists(sIntPiece.substr(0, 255)));
    // An exact multiple of 255 ends in an empty piece, which the table refuses.
    std::string s510 = LongText(510, 3);
    EXPECT_EQ(GlobalAddMolecule(s510.c_str()), 0);
    EXPECT_FALSE(AtomExists(s510.substr(0, 255)));
    EXPECT_FALSE(AtomExists(s510.substr(255)));
}

TEST(GlobalAddMolecule, TheSameStringTwiceIsOneMoleculeWithTwoReferences)
{
    std::string s = LongText(1000, 4);
    ATOM nFirst = GlobalAddMolecule(s.c_str());
    ATOM nSecond = GlobalAddMolecule(s.c_str());
    ASSERT_NE(nFirst, 0);
    EXPECT_EQ(nFirst, nSecond);
    GlobalDeleteMolecule(nFirst);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nFirst)), s);
    GlobalDeleteMolecule(nFirst);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nFirst)), "");
    EXPECT_FALSE(AtomExists(s.substr(0, 255)));
}

TEST(GlobalAddMolecule, ReadsTheStringNoFurtherThanItsEnd)
{
    harness::GuardedBuffer text = harness::GuardedBuffer::Text(LongText(300, 8).c_str());
    ATOM nAtom = GlobalAddMolecule(text.Data());
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nAtom)), text.Data());
    GlobalDeleteMolecule(nAtom);
}

TEST(GlobalGetMoleculeName, AnAtomThatDoesNotExistIsEmpty)
{
    ATOM nAtom = GlobalAddAtomA("BexMoleculeGone");
    GlobalDeleteAtom(nAtom);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nAtom)), "");
    EXPECT_EQ(std::string(GlobalGetMoleculeName(0)), "");
}

TEST(GlobalGetMoleculeName, AConsistentDirectoryIsReadWhoeverWroteIt)
{
    ATOM nPiece = GlobalAddAtomA("victim");
    char szDir[64];
    sprintf(szDir, "*01;0006;%08X;", nPiece);
    ATOM nDir = GlobalAddAtomA(szDir);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nDir)), "victim");
    GlobalDeleteAtom(nDir);
    GlobalDeleteAtom(nPiece);
}

TEST(GlobalDeleteMolecule, AStringThatOnlyLooksLikeADirectoryDropsNobodyElsesAtom)
{
    ATOM nVictim = GlobalAddAtomA("victim");
    char szFake[64];
    // The length does not match the piece.
    sprintf(szFake, "*01;0005;%08X;", nVictim);
    ATOM nFake = GlobalAddMolecule(szFake);
    ASSERT_NE(nFake, 0);
    {
        // Read back as the plain string it is, with a report: a molecule whose pieces do not add
        // up is what a molecule deleted too soon by another program looks like.
        MsgBoxCatcher catcher;
        EXPECT_EQ(std::string(GlobalGetMoleculeName(nFake)), szFake);
        ASSERT_EQ(catcher.Count(), 1u);
        EXPECT_NE(catcher.Last().text.find("nAtoms==0 && strString.GetLength()==len"), std::string::npos) << catcher.Last().text;
    }
    GlobalDeleteMolecule(nFake);
    EXPECT_EQ(AtomName(nVictim), "victim");
    EXPECT_EQ(GlobalFindAtomA(szFake), 0);
    // Nor does a count beyond 26, a name longer than its count, or an entry that is no atom.
    for (const char* pszFormat : { "*1B;0006;%08X;", "*01;0006;%08X;%08X;", "*02;0006;%08X;00000007;" }) {
        sprintf(szFake, pszFormat, nVictim, nVictim);
        nFake = GlobalAddMolecule(szFake);
        GlobalDeleteMolecule(nFake);
        EXPECT_EQ(AtomName(nVictim), "victim") << szFake;
        EXPECT_EQ(GlobalFindAtomA(szFake), 0);
    }
    GlobalDeleteAtom(nVictim);
}

TEST(Molecules, AreSharedWithAnotherProcessAndCountedAcrossIt)
{
    Partner partner;
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    Watchdog watchdog(30000, partner.Process());
    std::string s = LongText(6000, 5);
    ATOM nAtom = GlobalAddMolecule(s.c_str());
    ASSERT_NE(nAtom, 0);
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_LENGTH, (WPARAM)own.Hwnd(), nAtom), 6000);

    // The other process stores the string it read: the very same atoms, a second reference.
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_ADD, (WPARAM)own.Hwnd(), nAtom), nAtom);
    GlobalDeleteMolecule(nAtom);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nAtom)), s);
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_DELETE, (WPARAM)own.Hwnd(), nAtom), 1);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nAtom)), "");
    EXPECT_FALSE(AtomExists(s.substr(0, 255)));
}
