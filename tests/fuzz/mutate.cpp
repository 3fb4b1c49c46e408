// Inputs: made from seeds by structure-aware mutation, every one from the run's seed and its index.
#include "fuzz.h"

#include <algorithm>
#include <stdio.h>

namespace fuzz {

namespace {

// Inputs are kept to a size that a reader gets through in milliseconds.
const size_t cbMaxInput = 256 * 1024;

// Words every reader of outside data should survive, whatever its format.
const char* const s_apszGeneric[] = {
    "", "\0", "\r", "\n", "\r\n", "\xff", "\x80", " ", "\t", "%s%n%s", "-1", "0", "4294967295", "99999999999999999999",
};

size_t PickSpot(const std::string& input, const Shape& shape, Rng& rng)
{
    // A chunk's edge, where the reader's idea of the structure changes, or anywhere at all.
    if (!shape.chunks.empty() && !rng.OneIn(3)) {
        const Chunk& c = shape.chunks[rng.Below(shape.chunks.size())];
        size_t n = rng.OneIn(2) ? c.offset : c.offset + c.length;
        return n <= input.size() ? n : input.size();
    }
    return rng.Below(input.size() + 1);
}

uint64_t PickValue(uint64_t nOld, size_t cbFile, Rng& rng)
{
    switch (rng.Below(12)) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 0x7FFFFFFF;
    case 3: return 0xFFFFFFFF;
    case 4: return 0x80000000;
    case 5: return 0xFFFF;
    case 6: return cbFile + rng.Between(-4, 4);
    case 7: return nOld + rng.Between(-2, 2);
    case 8: return nOld * 2;
    case 9: return nOld / 2;
    case 10: return (uint64_t)1 << rng.Below(32);
    default: return rng.Next() & 0xFFFFFFFF;
    }
}

void SetField(std::string& input, const Field& f, Rng& rng)
{
    if (f.offset + f.width > input.size() || f.width == 0)
        return;
    if (f.kind == Field::Le) {
        uint64_t nOld = 0;
        for (size_t i = 0; i < f.width && i < 8; ++i)
            nOld |= (uint64_t)(unsigned char)input[f.offset + i] << (8 * i);
        uint64_t n = PickValue(nOld, input.size(), rng);
        for (size_t i = 0; i < f.width; ++i)
            input[f.offset + i] = (char)(i < 8 ? n >> (8 * i) : 0);
        return;
    }
    std::string old = input.substr(f.offset, f.width);
    uint64_t nOld = strtoull(old.c_str(), NULL, f.kind == Field::Hex ? 16 : 10);
    uint64_t n = PickValue(nOld, input.size(), rng);
    char sz[32];
    if (f.kind == Field::Hex)
        snprintf(sz, sizeof(sz), "%0*llX", (int)f.width, (unsigned long long)(n & 0xFFFFFFFF));
    else
        snprintf(sz, sizeof(sz), rng.OneIn(8) ? "-%llu" : "%llu", (unsigned long long)n);
    input.replace(f.offset, f.width, sz);
}

// A shape's parts that lie in the input, whatever the shape function made of damaged bytes.
Shape ShapeIn(const std::string& input, ShapeFn pfnShape)
{
    Shape shape = pfnShape(input);
    std::vector<Chunk> chunks;
    for (const Chunk& c : shape.chunks)
        if (c.offset <= input.size())
            chunks.push_back({ c.offset, std::min(c.length, input.size() - c.offset) });
    shape.chunks.swap(chunks);
    return shape;
}

void MutateOnce(std::string& input, const std::string& other, ShapeFn pfnShape, Rng& rng)
{
    Shape shape = ShapeIn(input, pfnShape);
    switch (rng.Below(12)) {
    case 0:   // bit flips, near a field when there are fields
    case 1:
        for (int n = rng.Between(1, 4); n > 0 && !input.empty(); --n) {
            size_t at = !shape.fields.empty() && rng.OneIn(2) ? shape.fields[rng.Below(shape.fields.size())].offset + rng.Below(4)
                                                              : rng.Below(input.size());
            if (at < input.size())
                input[at] ^= (char)(1 << rng.Below(8));
        }
        break;
    case 2:   // boundary values in a known field
    case 3:
    case 4:
        if (!shape.fields.empty()) {
            SetField(input, shape.fields[rng.Below(shape.fields.size())], rng);
            break;
        }
        // fall through: bytes set where no field is known
    case 5:
        for (int n = rng.Between(1, 3); n > 0 && !input.empty(); --n) {
            static const char s_ach[] = { 0, 1, 0x7F, (char)0x80, (char)0xFF };
            input[rng.Below(input.size())] = rng.OneIn(2) ? s_ach[rng.Below(sizeof(s_ach))] : (char)rng.Next();
        }
        break;
    case 6:   // truncation
        input.resize(rng.OneIn(2) ? PickSpot(input, shape, rng) : rng.Below(input.size() + 1));
        break;
    case 7:   // a chunk copied in, again or elsewhere
        if (!shape.chunks.empty()) {
            const Chunk& c = shape.chunks[rng.Below(shape.chunks.size())];
            std::string copy = input.substr(c.offset, c.length);
            for (int n = rng.OneIn(4) ? rng.Between(2, 40) : 1; n > 0; --n)
                input.insert(rng.OneIn(2) ? c.offset : PickSpot(input, shape, rng), copy);
        }
        break;
    case 8:   // a chunk dropped
        if (!shape.chunks.empty()) {
            const Chunk& c = shape.chunks[rng.Below(shape.chunks.size())];
            input.erase(c.offset, c.length);
        }
        break;
    case 9: {   // a word of the format, or of any format
        std::string word;
        if (!shape.tokens.empty() && rng.OneIn(2))
            word = shape.tokens[rng.Below(shape.tokens.size())];
        else {
            size_t i = rng.Below(sizeof(s_apszGeneric) / sizeof(s_apszGeneric[0]));
            word = i == 1 ? std::string(1, '\0') : s_apszGeneric[i];
        }
        if (rng.OneIn(8))
            word = std::string(rng.Between(200, 5000), word.empty() ? 'A' : word[0]);
        input.insert(PickSpot(input, shape, rng), word);
        break;
    }
    case 10: {   // random bytes in
        std::string bytes(rng.Between(1, 32), '\0');
        for (char& ch : bytes)
            ch = (char)rng.Next();
        input.insert(PickSpot(input, shape, rng), bytes);
        break;
    }
    default: {   // splice: the head of this input, the tail of the other
        Shape shapeOther = ShapeIn(other, pfnShape);
        input = input.substr(0, PickSpot(input, shape, rng)) + other.substr(PickSpot(other, shapeOther, rng));
        break;
    }
    }
    if (input.size() > cbMaxInput)
        input.resize(cbMaxInput);
}

}  // namespace

uint64_t Rng::Next()
{
    uint64_t z = (m_n += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Hash(const std::string& bytes, uint64_t nSeed)
{
    uint64_t h = 0xCBF29CE484222325ull ^ nSeed;
    for (unsigned char ch : bytes)
        h = (h ^ ch) * 0x100000001B3ull;
    return h;
}

void Mutate(std::string& input, const std::string& other, ShapeFn pfnShape, Rng& rng)
{
    for (int n = rng.OneIn(3) ? rng.Between(2, 6) : 1; n > 0; --n)
        MutateOnce(input, other, pfnShape, rng);
}

std::string Pack(const std::vector<Part>& parts)
{
    std::string s = "BXFZ " + std::to_string(parts.size()) + "\n";
    for (const Part& p : parts)
        s += p.name + " " + std::to_string(p.bytes.size()) + "\n" + p.bytes + "\n";
    return s;
}

std::vector<Part> Unpack(const std::string& input)
{
    std::vector<Part> parts;
    size_t n = 0, at = input.find('\n');
    if (input.compare(0, 5, "BXFZ ") != 0 || at == std::string::npos)
        return parts;
    n = strtoul(input.c_str() + 5, NULL, 10);
    for (++at; parts.size() < n && at < input.size();) {
        size_t nl = input.find('\n', at), sp = input.find(' ', at);
        if (nl == std::string::npos || sp == std::string::npos || sp > nl)
            break;
        size_t cb = strtoul(input.c_str() + sp + 1, NULL, 10);
        if (cb > input.size() - nl - 1)
            break;
        parts.push_back(Part{ input.substr(at, sp - at), input.substr(nl + 1, cb) });
        at = nl + 1 + cb + 1;
    }
    return parts;
}

namespace {

std::string Generate(const Target& target, const std::vector<std::string>& seeds, uint64_t nSeed, uint64_t nIndex, int nDepth)
{
    Rng rng(Hash(target.pszName, nSeed) ^ (nIndex * 0x9E3779B97F4A7C15ull));
    // A quarter of the inputs build on an earlier one, a few generations deep, so that changes
    // pile up without a corpus to keep.
    std::string input = nIndex > 0 && nDepth < 3 && rng.OneIn(4) ? Generate(target, seeds, nSeed, rng.Below((size_t)nIndex), nDepth + 1)
                                                                 : seeds[rng.Below(seeds.size())];
    const std::string& other = seeds[rng.Below(seeds.size())];
    if (target.pfnMutate)
        target.pfnMutate(input, other, rng);
    else
        Mutate(input, other, target.pfnShape, rng);
    if (target.pfnRepair && rng.OneIn(2))
        target.pfnRepair(input);
    return input;
}

}  // namespace

std::string MakeInput(const Target& target, const std::vector<std::string>& seeds, uint64_t nSeed, uint64_t nIndex)
{
    return Generate(target, seeds, nSeed, nIndex, 0);
}

}  // namespace fuzz
