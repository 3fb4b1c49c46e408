// bexfuzz: every reader of data from outside the process, fed mutated inputs.
//
// A target is one reader. Its inputs are made from its seeds by structure-aware mutation, each
// from the run's seed and its own index alone, so that any input can be made again. The program
// runs each target's inputs in batches in child processes of its own: a child that crashes,
// hangs or finds a reader breaking a rule names the input, which is saved as a reproducer file;
// the committed reproducers are replayed as a regression test (see bexfuzz.cpp).
#pragma once

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace fuzz {

// A small fast generator (splitmix64): the same seed, the same numbers, on every width.
class Rng
{
public:
    explicit Rng(uint64_t nSeed) : m_n(nSeed) {}
    uint64_t Next();
    // 0 to n - 1; 0 when n is 0.
    size_t Below(size_t n) { return n ? (size_t)(Next() % n) : 0; }
    bool OneIn(unsigned n) { return Below(n) == 0; }
    int Between(int nLow, int nHigh) { return nLow + (int)Below((size_t)(nHigh - nLow + 1)); }

private:
    uint64_t m_n;
};

uint64_t Hash(const std::string& bytes, uint64_t nSeed = 0);

// What the mutator knows of an input's structure.
struct Field {
    enum Kind { Le, Dec, Hex };   // little-endian binary of 1, 2 or 4 bytes; decimal or hexadecimal text
    size_t offset;
    size_t width;                 // bytes, or characters of the text as it stands
    Kind kind;
};
struct Chunk {                    // a record, a line, an entry: a unit to cut, copy or drop
    size_t offset;
    size_t length;
};
struct Shape {
    std::vector<Field> fields;
    std::vector<Chunk> chunks;
    std::vector<std::string> tokens;   // words of the format worth putting in
};

// Changes the input a few times over, knowing its shape; other is a second input to splice from.
typedef Shape (*ShapeFn)(const std::string& input);
void Mutate(std::string& input, const std::string& other, ShapeFn pfnShape, Rng& rng);

// Inputs made of several files: "BXFZ <count>\n", then for each file "<name> <length>\n", its
// bytes and "\n". A damaged container gives the files that can still be read.
struct Part {
    std::string name;
    std::string bytes;
};
std::string Pack(const std::vector<Part>& parts);
std::vector<Part> Unpack(const std::string& input);

struct Target {
    const char* pszName;
    const char* pszExt;                                 // of its reproducer files
    std::vector<std::string> (*pfnSeeds)();             // the same on every call
    ShapeFn pfnShape;
    // Optional: mutates otherwise than the whole input by its shape (one file of several).
    void (*pfnMutate)(std::string& input, const std::string& other, Rng& rng);
    // Optional: makes a mutated input consistent again (checksums) for the reader to go deeper.
    void (*pfnRepair)(std::string& input);
    // Optional: before the first input and after the last, in the process that runs them.
    void (*pfnSetUp)();
    void (*pfnTearDown)();
    // Runs the reader on the input; true when it took it, false when it refused it. A broken
    // rule is reported with Fail.
    bool (*pfnRun)(const std::string& input);
    // About how many times the others' an input of this target costs: the costly ones start first,
    // so that the others run beside them.
    int nCost = 1;
    // Run only when named on the command line.
    bool bOnRequest = false;
};

struct Registrar {
    explicit Registrar(const Target& target);
};
const std::vector<Target>& Targets();

// Input nIndex of a run with seed nSeed.
std::string MakeInput(const Target& target, const std::vector<std::string>& seeds, uint64_t nSeed, uint64_t nIndex);

// Reports that the reader broke a rule with the input being run, and ends the process.
[[noreturn]] void Fail(const char* pszFormat, ...);

// Counts the input being run as set aside: not given to the reader, because the platform below
// it is known to fail on it. Such inputs count as neither accepted nor refused.
void SetAside();

// A folder of this process's own for the files its inputs become, ending in a backslash.
std::string Scratch();

// Message boxes opened on this thread so far; they are refused as they are created, so that
// none waits for a user.
int Boxes();

}  // namespace fuzz
