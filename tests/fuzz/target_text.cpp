// The text functions and ReadFileLine, every string and every buffer ending at a no-access page:
// each buffer is exactly as large as the function's contract says, so that a byte read or
// written beyond it faults. An input is up to four strings separated by 0x01 bytes (the text,
// a second string for delimiters, extensions and comparisons); the same bytes are a text file
// for ReadFileLine. Accepted: ReadFileLine read at least one line.
#include "fuzz.h"
#include "harness.h"
#include "BexLib32.h"

#include <string.h>

namespace {

using harness::GuardedBuffer;
using fuzz::Fail;

std::vector<std::string> Split(const std::string& input)
{
    std::vector<std::string> parts(1);
    for (char ch : input) {
        if (ch == '\x01' && parts.size() < 4)
            parts.emplace_back();
        else
            parts.back() += ch;
    }
    return parts;
}

// The text up to its first NUL, in a buffer whose NUL is the last byte before the page.
GuardedBuffer Text(const std::string& s)
{
    return GuardedBuffer::Text(s.c_str());
}

void InBuffer(const char* p, GuardedBuffer& buf, const char* pszFunction)
{
    if (p < buf.Data() || p >= buf.Data() + buf.Size())
        Fail("%s returned a pointer outside its string", pszFunction);
}

void StringFunctions(const std::string& a, const std::string& b, fuzz::Rng& rng)
{
    GuardedBuffer ga = Text(a), gb = Text(b);
    size_t cch = strlen(ga.Data());
    InBuffer(SkipSpace(ga.Data()), ga, "SkipSpace");
    InBuffer(SkipChar(ga.Data()), ga, "SkipChar");
    InBuffer(_lstrend(ga.Data()), ga, "_lstrend");
    if (LPSTR p = _lstrchr(ga.Data(), b.empty() ? 0 : b[0]))
        InBuffer(p, ga, "_lstrchr");
    _latol(ga.Data());
    _lstrtokcmpi(ga.Data(), gb.Data());
    _lstrtokcmpi(gb.Data(), ga.Data());

    UINT nCount = (UINT)rng.Below(cch + 4);
    GuardedBuffer ncpy(nCount + 1);
    if (strlen(_lstrncpy(ncpy.Data(), ga.Data(), nCount)) > nCount)
        Fail("_lstrncpy stored more than %u characters", nCount);

    int nSize = rng.Between(-2, (int)cch + 8);
    GuardedBuffer fill(nSize > 0 ? nSize : 0);
    _lstrfill(fill.Data(), nSize, b.empty() ? 'x' : b[0]);
    int nAlign = rng.OneIn(4) ? (int)rng.Next() : rng.Between(0, 2);
    _lstrformat(fill.Data(), ga.Data(), nSize, nAlign);
    if (nSize > 0 && strlen(fill.Data()) != (size_t)nSize - 1)
        Fail("_lstrformat made a field of %u characters in a width of %d", (unsigned)strlen(fill.Data()), nSize);
    _lstrtokncpy(fill.Data(), ga.Data(), nSize);

    GuardedBuffer tok(cch + 1);
    _lstrtokcpy(tok.Data(), ga.Data());

    GuardedBuffer tab = Text(a);
    _lstrtab(tab.Data());

    // The tokenizer gives at most one token per character and never more after NULL.
    GuardedBuffer text = Text(a);
    LPSTR pNext = NULL;
    size_t nTokens = 0;
    for (LPSTR p = _lstrtok(text.Data(), gb.Data(), &pNext); p; p = _lstrtok(NULL, gb.Data(), &pNext)) {
        InBuffer(p, text, "_lstrtok");
        if (++nTokens > cch)
            Fail("_lstrtok gave more tokens than the text has characters");
    }

    size_t cchExt = strlen(gb.Data());
    GuardedBuffer path(cch + cchExt + 2);
    strcpy(path.Data(), ga.Data());
    _lChangeExt(path.Data(), gb.Data());
    strcpy(path.Data(), ga.Data());
    _lAddExt(path.Data(), gb.Data());

    GuardedBuffer dir(cch + 1), file(cch + 1);
    _SeparateFile(dir.Data(), file.Data(), ga.Data());
}

// One file for every input, made once: making a file costs more under Wine than reading it.
HANDLE s_hFile = INVALID_HANDLE_VALUE;

void SetUp()
{
    s_hFile = CreateFileA((fuzz::Scratch() + "lines.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
}

void TearDown()
{
    CloseHandle(s_hFile);
}

// Every line through a buffer of one size; a line never holds a line end, and every call gets
// further into the file.
bool Lines(const std::string& input, fuzz::Rng& rng)
{
    DWORD cb = 0;
    SetFilePointer(s_hFile, 0, NULL, FILE_BEGIN);
    if (!WriteFile(s_hFile, input.data(), (DWORD)input.size(), &cb, NULL) || !SetEndOfFile(s_hFile))
        Fail("the input file cannot be written");
    SetFilePointer(s_hFile, 0, NULL, FILE_BEGIN);
    HFILE hFile = (HFILE)(INT_PTR)s_hFile;
    UINT nSize = rng.OneIn(8) ? (UINT)rng.Below(3) : rng.OneIn(3) ? (UINT)rng.Between(3, 16) : (UINT)rng.Between(17, 300);
    GuardedBuffer buf(nSize);
    size_t nLines = 0;
    while (ReadFileLine(hFile, buf.Data(), nSize)) {
        if (strlen(buf.Data()) >= nSize)
            Fail("ReadFileLine filled more than its buffer of %u bytes", nSize);
        if (strpbrk(buf.Data(), "\r\n"))
            Fail("a line from ReadFileLine holds a line end");
        if (++nLines > input.size())
            Fail("ReadFileLine does not get to the end of a file of %u bytes", (unsigned)input.size());
    }
    return nLines > 0;
}

bool Run(const std::string& input)
{
    fuzz::Rng rng(fuzz::Hash(input));
    std::vector<std::string> parts = Split(input);
    StringFunctions(parts[0], parts.size() > 1 ? parts[1] : std::string(), rng);
    if (parts.size() > 2)
        StringFunctions(parts[2], parts[parts.size() - 1], rng);
    return Lines(input, rng);
}

std::vector<std::string> Seeds()
{
    return {
        "  Abc def\x01, \t",
        "D:\\work\\a.txt\x01.new",
        "a       b\x01x\x01  ,,a,,b \x01,",
        "one\n\ntwo\r\r\nth\rree\n\r\nlast\n",
        std::string("a\0b\nc\0\0d\x01;", 11),
        "  -42x\x01+5",
        "f\x01" "doc\x01" "C:\\dir.x\\file\x01...",
        "abc   \t\x01 \t",
    };
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    size_t start = 0;
    for (size_t i = 0; i <= input.size(); ++i)
        if (i == input.size() || input[i] == '\n' || input[i] == '\x01') {
            shape.chunks.push_back({ start, i - start + (i < input.size()) });
            start = i + 1;
        }
    shape.tokens = { "\x01", "\\", ":", ".", "\t", "        ", "\r\n", "D:\\", std::string(300, 'p') };
    return shape;
}

fuzz::Registrar s_text({ "text", "txt", Seeds, ShapeOf, NULL, NULL, SetUp, TearDown, Run });

}  // namespace
