// Molecules: strings of up to 6629 characters shared between processes through the global atom
// table. A string of at most 255 characters is an ordinary atom; a longer one is a chain of piece
// atoms named by one directory atom "*<count>;<length>;<atom>;<atom>;...". The molecule travels
// as that one atom and is reference counted as atoms are.
#pragma once

#include "../bexdefs.h"

// The longest string a molecule holds: a directory names at most 26 pieces, and a string of
// len characters takes len / 255 + 1 of them.
#define BEX_MOLECULE_MAX    6629

// Stores the string and returns its atom, or 0 when it is too long or the atom table refuses it.
BEXFN ATOM BEXAPI GlobalAddMolecule(LPCSTR lpszString);
// The string of a molecule or of a plain atom; empty when the atom does not exist. A molecule
// whose pieces have gone, or do not add up to its length, gives the text of the pieces found up
// to the first one missing, after an assertion report.
BEX_API CString BEXAPI GlobalGetMoleculeName(ATOM nAtom);
// Drops one reference of the molecule: of each piece and of the directory, or of the plain atom.
// A damaged molecule loses every piece that is left.
BEXFN void BEXAPI GlobalDeleteMolecule(ATOM nAtom);
