// Molecule directories through GlobalGetMoleculeName. Each input is a text put into the global
// atom table and read back as a molecule, then deleted again; molecules of this process's own
// supply the pieces. A directory entry below 0x100 (no string atom is) stands for the piece of
// that number among them, so that inputs name real pieces in every run. Rules: a directory of
// ours reads as its string, a plain name as itself. Accepted: the text was read as a directory.
#include "fuzz.h"
#include "BexLib32.h"

#include <stdio.h>

namespace {

using fuzz::Fail;

struct Molecule {
    std::string text;
    ATOM nAtom;
    std::string directory;
};
std::vector<Molecule> s_molecules;
std::vector<ATOM> s_pieces;

const size_t s_acchMolecule[] = { 256, 600, 6629 };

std::string Text(size_t cch, size_t nSalt)
{
    std::string s(cch, ' ');
    for (size_t i = 0; i < cch; ++i)
        s[i] = (char)('a' + (i / 255 * 7 + i + nSalt * 3) % 26);
    return s;
}

std::string AtomName(ATOM nAtom)
{
    char sz[256] = "";
    return std::string(sz, GlobalGetAtomNameA(nAtom, sz, sizeof(sz)));
}

// The directory of a molecule of cch characters whose pieces are numbered from nFirst.
std::string Directory(size_t cch, size_t nFirst)
{
    char sz[16];
    size_t nPieces = cch / 255 + 1;
    snprintf(sz, sizeof(sz), "*%02X;%04X;", (unsigned)nPieces, (unsigned)cch);
    std::string s = sz;
    for (size_t i = 0; i < nPieces; ++i) {
        snprintf(sz, sizeof(sz), "%08lX;", (unsigned long)(nFirst + i));
        s += sz;
    }
    return s;
}

void SetUp()
{
    for (size_t i = 0; i < sizeof(s_acchMolecule) / sizeof(s_acchMolecule[0]); ++i) {
        Molecule m = { Text(s_acchMolecule[i], i), 0, "" };
        m.nAtom = GlobalAddMolecule(m.text.c_str());
        m.directory = AtomName(m.nAtom);
        for (size_t at = 9; at + 9 <= m.directory.size(); at += 9)
            s_pieces.push_back((ATOM)strtoul(m.directory.substr(at, 8).c_str(), NULL, 16));
        s_molecules.push_back(m);
    }
}

void TearDown()
{
    for (const Molecule& m : s_molecules)
        GlobalDeleteMolecule(m.nAtom);
}

std::vector<std::string> Seeds()
{
    std::vector<std::string> seeds = { "a plain name", "*02;0100;", "*1A;19E5;", "#123", "*ZZ;0100;00000000;00000001;" };
    size_t nFirst = 0;
    for (size_t cch : s_acchMolecule) {
        seeds.push_back(Directory(cch, nFirst));
        nFirst += cch / 255 + 1;
    }
    return seeds;
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    if (input.size() >= 9) {
        shape.fields.push_back({ 1, 2, fuzz::Field::Hex });
        shape.fields.push_back({ 4, 4, fuzz::Field::Hex });
    }
    for (size_t at = 9; at + 9 <= input.size(); at += 9) {
        shape.fields.push_back({ at, 8, fuzz::Field::Hex });
        shape.chunks.push_back({ at, 9 });
    }
    shape.tokens = { "*", ";", "00000000;", "0000C000;", "0000FFFF;", "FFFFFFFF;", "*01;0001;", "#" };
    return shape;
}

// The input with its small piece numbers replaced by this process's pieces.
std::string WithPieces(const std::string& input)
{
    std::string text = input.substr(0, input.find('\0'));
    for (size_t at = 9; at + 9 <= text.size(); at += 9) {
        char* pEnd = NULL;
        std::string entry = text.substr(at, 8);
        unsigned long n = strtoul(entry.c_str(), &pEnd, 16);
        if (pEnd == entry.c_str() + 8 && text[at + 8] == ';' && n < 0x100) {
            char sz[16];
            snprintf(sz, sizeof(sz), "%08lX", (unsigned long)s_pieces[n % s_pieces.size()]);
            text.replace(at, 8, sz);
        }
    }
    return text;
}

bool Run(const std::string& input)
{
    std::string text = WithPieces(input);
    fuzz::Rng rng(fuzz::Hash(input));
    // Atoms that may not exist, or belong to others, read as they are.
    static const ATOM s_anOther[] = { 0, 1, 0xBFFF, 0xC000, 0xFFFF };
    GlobalGetMoleculeName(rng.OneIn(2) ? s_anOther[rng.Below(5)] : s_pieces[rng.Below(s_pieces.size())]);

    ATOM nAtom = GlobalAddAtomA(text.c_str());
    if (nAtom == 0)
        return false;
    std::string name = AtomName(nAtom);
    CString str = GlobalGetMoleculeName(nAtom);
    for (const Molecule& m : s_molecules)
        if (text == m.directory && (LPCSTR)str != m.text)
            Fail("the directory of a molecule of %u characters read as %d characters", (unsigned)m.text.size(), str.GetLength());
    if (!text.empty() && text[0] != '*' && text[0] != '#' && _stricmp(str, text.c_str()) != 0)
        Fail("the plain name \"%s\" read as \"%s\"", text.c_str(), (LPCSTR)str);
    if (nAtom >= MAXINTATOM)
        GlobalDeleteAtom(nAtom);
    return name != (LPCSTR)str;
}

fuzz::Registrar s_molecule({ "molecule", "txt", Seeds, ShapeOf, NULL, NULL, SetUp, TearDown, Run });

}  // namespace
