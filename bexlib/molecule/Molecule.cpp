// Molecules: long strings as chains of global atoms.
#include "Molecule.h"
#include "../frame/kelmdbg.h"

#include <string.h>

namespace {

const int cchPiece = 255;         // the longest atom name
const int nMaxPieces = 26;        // as many entries as fit one atom name behind the head
const int cchDirHead = 9;         // "*%02X;%04X;"
const int cchDirEntry = 9;        // "%08lX;"
// A full directory fits one atom name, and the longest string fills all its pieces but for the
// last character, which would leave an empty piece.
static_assert(cchDirHead + nMaxPieces * cchDirEntry <= cchPiece && nMaxPieces * cchPiece - 1 == BEX_MOLECULE_MAX,
              "molecule directory");

// GlobalAddAtomA, refusing what would not read back as the string: the table answers names
// such as "#007" with the integer atom 7, whose name is "#7". Integer atoms hold no reference,
// so there is nothing to drop when one is refused.
ATOM AddStringAtom(LPCSTR lpszName)
{
    ATOM nAtom = GlobalAddAtomA(lpszName);
    return nAtom >= MAXINTATOM ? nAtom : 0;
}

void DeleteAtoms(const ATOM* pAtoms, int nCount)
{
    for (int i = 0; i < nCount; ++i)
        GlobalDeleteAtom(pAtoms[i]);
}

// nDigits hexadecimal digits of either case, and nothing else.
bool ReadHex(LPCSTR psz, int nDigits, DWORD* pdwValue)
{
    DWORD dw = 0;
    for (int i = 0; i < nDigits; ++i) {
        char ch = psz[i];
        if (ch >= '0' && ch <= '9')
            dw = dw << 4 | (ch - '0');
        else if (ch >= 'A' && ch <= 'F')
            dw = dw << 4 | (ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f')
            dw = dw << 4 | (ch - 'a' + 10);
        else
            return false;
    }
    *pdwValue = dw;
    return true;
}

// What an atom's name says about itself. A name is a directory when its text is one: the head,
// a count of 1 to 26 and exactly one well-formed entry per piece, each naming a string atom.
// A string that merely begins like a directory is plain text; taking it for a directory would
// make GlobalDeleteMolecule drop references to atoms of other programs. A directory whose pieces
// are gone, or do not add up to its length, is a damaged molecule, not text.
class CMoleculeName
{
public:
    explicit CMoleculeName(ATOM nAtom);

    BOOL Exists() const { return m_bExists; }
    BOOL IsDirectory() const { return m_nPieces > 0; }
    // Every piece found, up to the first that is gone, and they add up to the length.
    BOOL IsWhole() const { return m_bWhole; }
    LPCSTR Name() const { return m_szName; }
    // The pieces' text, up to the first that is gone.
    const CString& Text() const { return m_strText; }
    const ATOM* Pieces() const { return m_aPieces; }
    int PieceCount() const { return m_nPieces; }

private:
    BOOL ParseEntries(int nPieces);
    void ReadPieces();

    char m_szName[cchPiece + 1];
    BOOL m_bExists;
    BOOL m_bWhole;
    int m_nPieces;
    DWORD m_dwLength;
    ATOM m_aPieces[nMaxPieces];
    CString m_strText;
};

CMoleculeName::CMoleculeName(ATOM nAtom)
    : m_bExists(FALSE), m_bWhole(FALSE), m_nPieces(0), m_dwLength(0)
{
    memset(m_szName, 0, sizeof(m_szName));
    m_bExists = GlobalGetAtomNameA(nAtom, m_szName, sizeof(m_szName)) > 0;
    DWORD dwPieces;
    if (m_bExists && m_szName[0] == '*' && ReadHex(m_szName + 1, 2, &dwPieces) && m_szName[3] == ';' &&
        ReadHex(m_szName + 4, 4, &m_dwLength) && m_szName[8] == ';' && dwPieces > 0 &&
        dwPieces <= (DWORD)nMaxPieces && ParseEntries((int)dwPieces)) {
        m_nPieces = (int)dwPieces;
        ReadPieces();
    }
}

BOOL CMoleculeName::ParseEntries(int nPieces)
{
    if ((int)strlen(m_szName) != cchDirHead + nPieces * cchDirEntry)
        return FALSE;
    LPCSTR pszEntry = m_szName + cchDirHead;
    for (int i = 0; i < nPieces; ++i, pszEntry += cchDirEntry) {
        DWORD dwAtom;
        if (!ReadHex(pszEntry, 8, &dwAtom) || pszEntry[8] != ';' || dwAtom < MAXINTATOM || dwAtom > 0xFFFF)
            return FALSE;
        m_aPieces[i] = (ATOM)dwAtom;
    }
    return TRUE;
}

void CMoleculeName::ReadPieces()
{
    for (int i = 0; i < m_nPieces; ++i) {
        char szPiece[cchPiece + 1];
        int cch = GlobalGetAtomNameA(m_aPieces[i], szPiece, sizeof(szPiece));
        if (cch <= 0)
            return;
        m_strText += CString(szPiece, cch);
    }
    m_bWhole = (DWORD)m_strText.GetLength() == m_dwLength;
}

}  // namespace

ATOM BEXAPI GlobalAddMolecule(LPCSTR lpszString)
{
    if (lpszString == NULL)
        return 0;
    int nLength = lstrlenA(lpszString);
    if (nLength <= cchPiece)
        return AddStringAtom(lpszString);

    // An exact multiple of 255 ends in an empty piece, which the atom table refuses: such a
    // string is not stored, as every reader of the directory expects that many pieces.
    int nPieces = nLength / cchPiece + 1;
    if (nPieces > nMaxPieces)
        return 0;
    char szDir[cchPiece + 1];
    int cchDir = wsprintfA(szDir, "*%02X;%04X;", nPieces, nLength);
    ATOM aPieces[nMaxPieces];
    for (int i = 0; i < nPieces; ++i) {
        char szPiece[cchPiece + 1];
        lstrcpynA(szPiece, lpszString + i * cchPiece, sizeof(szPiece));
        aPieces[i] = AddStringAtom(szPiece);
        if (aPieces[i] == 0) {
            DeleteAtoms(aPieces, i);
            return 0;
        }
        cchDir += wsprintfA(szDir + cchDir, "%08lX;", (unsigned long)aPieces[i]);
    }
    ATOM nAtom = AddStringAtom(szDir);
    if (nAtom == 0)
        DeleteAtoms(aPieces, nPieces);
    return nAtom;
}

CString BEXAPI GlobalGetMoleculeName(ATOM nAtom)
{
    CMoleculeName name(nAtom);
    if (!name.IsDirectory())
        return name.Exists() ? CString(name.Name()) : CString();
    // Pieces gone from under a directory (another program deleted the molecule too soon): worth
    // a report, and the caller gets what was found.
    if (!name.IsWhole())
        KelmDebug((char*)"KELM_ASSERT", (char*)"nAtoms==0 && strString.GetLength()==len", (char*)__FILE__, __LINE__);
    return name.Text();
}

void BEXAPI GlobalDeleteMolecule(ATOM nAtom)
{
    CMoleculeName name(nAtom);
    // Every piece, including those behind one that is gone: nothing else would ever free them.
    DeleteAtoms(name.Pieces(), name.PieceCount());
    GlobalDeleteAtom(nAtom);
}
