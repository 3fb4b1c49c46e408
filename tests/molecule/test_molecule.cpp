// Global molecules: long strings in the global atom table, within this process and across
// processes (the sample application as the other process).
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <stdio.h>

namespace {

// n lower-case letters that differ from piece to piece, so that a piece out of place shows;
// texts of different salts share no piece (atom names compare without case).
std::string LongText(size_t n, int nSalt)
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

std::string Molecule(ATOM nAtom) { return std::string(GlobalGetMoleculeName(nAtom)); }

bool AtomExists(const std::string& name) { return GlobalFindAtomA(name.c_str()) != 0; }

}  // namespace

TEST(Molecules, ShortStringsArePlainAtomsLongOnesChainsOfUpTo26PiecesCountedByReference)
{
    std::string s255 = LongText(255, 0), s256 = LongText(256, 1), sMax = LongText(6629, 2);
    // The text is read from a buffer that ends at a no-access page.
    harness::GuardedBuffer guarded = harness::GuardedBuffer::Text(s256.c_str());
    ATOM nPlain = GlobalAddMolecule(s255.c_str()), nChain = GlobalAddMolecule(guarded.Data());
    ATOM nMax = GlobalAddMolecule(sMax.c_str());
    EXPECT_EQ(AtomName(nPlain), s255);
    EXPECT_EQ(AtomName(nChain).substr(0, 9), "*02;0100;");
    EXPECT_EQ(Molecule(nChain), s256);
    EXPECT_EQ(AtomName(nMax).substr(0, 9), "*1A;19E5;");
    EXPECT_EQ(Molecule(nMax), sMax);
    EXPECT_EQ(GlobalAddMolecule(LongText(6630, 3).c_str()), 0);
    EXPECT_EQ(GlobalAddMolecule(NULL), 0);
    EXPECT_EQ(GlobalAddMolecule(s256.c_str()), nChain);   // a second reference
    for (ATOM nAtom : { nPlain, nChain, nMax })
        GlobalDeleteMolecule(nAtom);
    EXPECT_EQ(Molecule(nChain), s256);
    GlobalDeleteMolecule(nChain);
    EXPECT_FALSE(AtomExists(s255));
    EXPECT_FALSE(AtomExists(s256.substr(255)));
    EXPECT_EQ(Molecule(nChain), "");
}

TEST(Molecules, AStringTheTableWouldAlterIsRefusedAndNothingIsLeftBehind)
{
    // "#007" is answered with the integer atom 7, whose name reads "#7"; so is a last piece of
    // that form. An exact multiple of 255 ends in an empty piece, which the table refuses.
    std::string sIntPiece = LongText(255, 4) + "#12", s510 = LongText(510, 5);
    EXPECT_EQ(GlobalAddMolecule("#007"), 0);
    EXPECT_EQ(GlobalAddMolecule(sIntPiece.c_str()), 0);
    EXPECT_EQ(GlobalAddMolecule(s510.c_str()), 0);
    EXPECT_FALSE(AtomExists(sIntPiece.substr(0, 255)));
    EXPECT_FALSE(AtomExists(s510.substr(0, 255)));
}

TEST(Molecules, OnlyAWellFormedDirectoryIsTakenAsOne)
{
    ATOM nVictim = GlobalAddAtomA("victim");
    char sz[64];
    sprintf(sz, "*01;0006;%08X;", nVictim);
    ATOM nDir = GlobalAddMolecule(sz);
    EXPECT_EQ(Molecule(nDir), "victim");   // whoever wrote it
    GlobalDeleteAtom(nDir);
    // Look-alikes are plain text, read without a report, and deleting one drops no reference of
    // the atom it names.
    harness::MsgBoxCatcher catcher;
    for (const char* pszFormat : { "*1B;0006;%08X;", "*01;0006;%08X;%08X;", "*02;0006;%08X;00000007;", "*01;0006;%08X" }) {
        sprintf(sz, pszFormat, nVictim, nVictim);
        ATOM nAtom = GlobalAddMolecule(sz);
        EXPECT_EQ(Molecule(nAtom), sz);
        EXPECT_EQ(catcher.Count(), 0u) << sz;
        GlobalDeleteMolecule(nAtom);
        EXPECT_EQ(AtomName(nVictim), "victim") << sz;
        EXPECT_FALSE(AtomExists(sz));
    }
    GlobalDeleteAtom(nVictim);
}

// Pieces deleted too soon by another program, or a length that does not add up: the reader gets
// what was found with a report, and deleting frees every piece that is left.
TEST(Molecules, ADamagedMoleculeReadsWhatIsFoundAndIsDeletedWhole)
{
    std::string s = LongText(700, 8);   // three pieces
    for (bool bPieceGone : { true, false }) {
        ATOM nAtom = GlobalAddMolecule(s.c_str());
        std::string dir = AtomName(nAtom);
        ATOM aPieces[3];
        for (int i = 0; i < 3; ++i)
            aPieces[i] = (ATOM)strtoul(dir.substr(9 + 9 * i, 8).c_str(), NULL, 16);
        ATOM nDamaged = nAtom;
        if (bPieceGone) {
            GlobalDeleteAtom(aPieces[1]);
        } else {
            nDamaged = GlobalAddAtomA(("*03;02BD;" + dir.substr(9)).c_str());   // 701 characters
            GlobalDeleteAtom(nAtom);
        }
        {
            harness::MsgBoxCatcher catcher;
            EXPECT_EQ(Molecule(nDamaged), bPieceGone ? s.substr(0, 255) : s);
            ASSERT_EQ(catcher.Count(), 1u);
            EXPECT_NE(catcher.Last().text.find("nAtoms==0 && strString.GetLength()==len"), std::string::npos);
        }
        GlobalDeleteMolecule(nDamaged);
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(AtomExists(s.substr(255 * i, 255))) << i << bPieceGone;
        EXPECT_EQ(AtomName(nDamaged), "");
    }
}

TEST(Molecules, AreSharedWithAnotherProcessAndCountedAcrossIt)
{
    Partner partner;
    ASSERT_NE(partner.Hwnd(), nullptr);
    OwnWindow own;
    Watchdog watchdog(30000, partner.Process());
    std::string s = LongText(6000, 7);
    ATOM nAtom = GlobalAddMolecule(s.c_str());
    WPARAM wOwn = (WPARAM)own.Hwnd();
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_LENGTH, wOwn, nAtom), 6000);
    // The other process stores the string it read: the very same atoms, a second reference.
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_ADD, wOwn, nAtom), nAtom);
    GlobalDeleteMolecule(nAtom);
    EXPECT_EQ(Molecule(nAtom), s);
    EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_DELETE, wOwn, nAtom), 1);
    EXPECT_EQ(Molecule(nAtom), "");
    EXPECT_FALSE(AtomExists(s.substr(0, 255)));
}
