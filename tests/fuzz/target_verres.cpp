// Version resources through CVersionInfo: Init on a program file whose version resource (mostly)
// or whole image (now and then) was mutated, then the string entries, the fixed file
// information, read whole, and the language. The version data lies against a no-access page.
// Accepted: Init read the resource and its translation table.
//
// The seeds are the fixture DLLs with everything after their resource section cut off and the
// section given room to grow, so that a mutated resource can be longer than the original.
#include "fuzz.h"
#include "harness.h"
#include "BexLib32.h"

#include <string.h>

namespace {

using fuzz::Fail;
using fuzz::Field;

const DWORD cbRoom = 0x1000;

template <class T> T Get(const std::string& s, size_t at)
{
    T v = T();
    if (at <= s.size() && sizeof(T) <= s.size() - at)
        memcpy(&v, s.data() + at, sizeof(T));
    return v;
}

template <class T> void Set(std::string& s, size_t at, T v)
{
    if (at <= s.size() && sizeof(T) <= s.size() - at)
        memcpy(&s[at], &v, sizeof(T));
}

// Where the parts of a program file that lead to its version resource lie.
struct Layout {
    bool bOk = false;
    size_t nSections = 0;       // file offset of the section count
    size_t nOptional = 0;       // of the optional header
    size_t nDirectories = 0;    // of the data directories
    size_t nSectionTable = 0;
    size_t nRsrcHeader = 0;     // of the resource section's header
    size_t nDataEntry = 0;      // of the version resource's IMAGE_RESOURCE_DATA_ENTRY
    size_t nResource = 0;       // of the version resource
    size_t cbResource = 0;
    size_t cbAvail = 0;         // from the resource to the end of its section's data
};

// The first entry of a resource directory, or the entry with nId when nId is not 0.
DWORD DirectoryEntry(const std::string& file, size_t nDir, DWORD nId)
{
    WORD nNamed = Get<WORD>(file, nDir + 12), nIds = Get<WORD>(file, nDir + 14);
    for (DWORD i = 0; i < (DWORD)nNamed + nIds && i < 64; ++i) {
        size_t nEntry = nDir + 16 + 8 * i;
        if (nId == 0 || Get<DWORD>(file, nEntry) == nId)
            return Get<DWORD>(file, nEntry + 4);
    }
    return 0;
}

Layout Locate(const std::string& file)
{
    Layout l;
    size_t nNt = Get<DWORD>(file, 0x3C);
    if (Get<WORD>(file, 0) != IMAGE_DOS_SIGNATURE || Get<DWORD>(file, nNt) != IMAGE_NT_SIGNATURE)
        return l;
    l.nSections = nNt + 4 + offsetof(IMAGE_FILE_HEADER, NumberOfSections);
    l.nOptional = nNt + 4 + sizeof(IMAGE_FILE_HEADER);
    bool b64 = Get<WORD>(file, l.nOptional) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    l.nDirectories = l.nOptional + (b64 ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
    l.nSectionTable = l.nOptional + Get<WORD>(file, nNt + 4 + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader));
    DWORD dwRsrc = Get<DWORD>(file, l.nDirectories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE);
    IMAGE_SECTION_HEADER sec = {};
    for (WORD i = 0; i < Get<WORD>(file, l.nSections) && i < 96; ++i) {
        sec = Get<IMAGE_SECTION_HEADER>(file, l.nSectionTable + i * sizeof(sec));
        if (dwRsrc >= sec.VirtualAddress && dwRsrc < sec.VirtualAddress + std::max(sec.Misc.VirtualSize, sec.SizeOfRawData)) {
            l.nRsrcHeader = l.nSectionTable + i * sizeof(sec);
            break;
        }
    }
    if (!l.nRsrcHeader)
        return l;
    auto offsetOf = [&](DWORD dwRva) { return (size_t)dwRva - sec.VirtualAddress + sec.PointerToRawData; };
    size_t nRoot = offsetOf(dwRsrc);
    DWORD dwType = DirectoryEntry(file, nRoot, 16), dwName = DirectoryEntry(file, nRoot + (dwType & 0x7FFFFFFF), 0);
    DWORD dwLang = DirectoryEntry(file, nRoot + (dwName & 0x7FFFFFFF), 0);
    if (!(dwType & 0x80000000) || !(dwName & 0x80000000) || (dwLang & 0x80000000) || !dwLang)
        return l;
    l.nDataEntry = nRoot + dwLang;
    l.nResource = offsetOf(Get<DWORD>(file, l.nDataEntry));
    l.cbResource = Get<DWORD>(file, l.nDataEntry + 4);
    size_t nEnd = std::min<size_t>((size_t)sec.PointerToRawData + sec.SizeOfRawData, file.size());
    if (l.nResource > nEnd || l.cbResource > nEnd - l.nResource)
        return l;
    l.cbAvail = nEnd - l.nResource;
    l.bOk = true;
    return l;
}

// The fixture cut after its resource section, which gets cbRoom more bytes.
std::string Trimmed(const std::string& file)
{
    Layout l = Locate(file);
    if (!l.bOk)
        return file;
    IMAGE_SECTION_HEADER sec = Get<IMAGE_SECTION_HEADER>(file, l.nRsrcHeader);
    std::string out = file.substr(0, sec.PointerToRawData + sec.SizeOfRawData) + std::string(cbRoom, '\0');
    sec.SizeOfRawData += cbRoom;
    sec.Misc.VirtualSize = sec.SizeOfRawData;
    Set(out, l.nRsrcHeader, sec);
    Set<WORD>(out, l.nSections, (WORD)((l.nRsrcHeader - l.nSectionTable) / sizeof(sec) + 1));
    for (int nDir : { IMAGE_DIRECTORY_ENTRY_BASERELOC, IMAGE_DIRECTORY_ENTRY_DEBUG })
        Set<ULONGLONG>(out, l.nDirectories + 8 * nDir, 0);
    size_t nFileHeader = l.nSections - offsetof(IMAGE_FILE_HEADER, NumberOfSections);
    Set<DWORD>(out, nFileHeader + offsetof(IMAGE_FILE_HEADER, PointerToSymbolTable), 0);
    Set<DWORD>(out, nFileHeader + offsetof(IMAGE_FILE_HEADER, NumberOfSymbols), 0);
    DWORD dwAlign = Get<DWORD>(out, l.nOptional + offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment));
    Set<DWORD>(out, l.nOptional + offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfImage),
               (sec.VirtualAddress + sec.Misc.VirtualSize + dwAlign - 1) / std::max<DWORD>(dwAlign, 1) * dwAlign);
    return out;
}

std::vector<std::string> Seeds()
{
    std::vector<std::string> seeds;
    for (const char* pszName : { "verfix_comma", "verfix_twolang", "verfix_novar", "verfix_nofixed", "repfix_equal" })
        seeds.push_back(Trimmed(harness::ReadFileBytes(harness::ModuleDir() + pszName + ".dll")));
    return seeds;
}

// A version resource: nodes of wLength, wValueLength and wType, a UTF-16 key, the value, children.
void ShapeNode(const std::string& res, size_t at, size_t end, int nDepth, fuzz::Shape& shape)
{
    while (at + 6 <= end && nDepth < 6 && shape.chunks.size() < 200) {
        WORD cb = Get<WORD>(res, at), cbValue = Get<WORD>(res, at + 2), wType = Get<WORD>(res, at + 4);
        if (cb < 6)
            return;
        for (size_t f = 0; f < 6; f += 2)
            shape.fields.push_back({ at + f, 2, Field::Le });
        size_t nodeEnd = std::min(at + cb, end);
        shape.chunks.push_back({ at, nodeEnd - at });
        size_t p = at + 6;
        while (p + 2 <= nodeEnd && Get<WORD>(res, p))
            p += 2;
        p = (p + 2 + 3) & ~(size_t)3;
        size_t cbVal = wType == 1 ? cbValue * 2 : cbValue;
        if (wType == 0 && cbVal >= 4)
            for (size_t f = 0; f + 4 <= cbVal && f < 64; f += 4)
                shape.fields.push_back({ p + f, 4, Field::Le });
        p = (p + cbVal + 3) & ~(size_t)3;
        ShapeNode(res, p, nodeEnd, nDepth + 1, shape);
        at = (nodeEnd + 3) & ~(size_t)3;
    }
}

std::string Wide(const char* psz)
{
    std::string s;
    for (; *psz; ++psz)
        s += std::string(1, *psz) + '\0';
    return s + std::string(2, '\0');
}

fuzz::Shape ShapeOfResource(const std::string& res)
{
    fuzz::Shape shape;
    ShapeNode(res, 0, res.size(), 0, shape);
    shape.tokens = { Wide("StringFileInfo"), Wide("VarFileInfo"), Wide("Translation"), Wide("FileVersion"), Wide("040904b0"),
                     std::string("\xbd\x04\xef\xfe", 4), std::string(4, '\xff'), std::string(2, '\0') };
    return shape;
}

// The headers that lead the loader to the resource.
fuzz::Shape ShapeOfFile(const std::string& file)
{
    fuzz::Shape shape;
    Layout l = Locate(file);
    shape.fields = { { 0x3C, 4, Field::Le } };
    if (l.nSections)
        shape.fields.insert(shape.fields.end(), { { l.nSections, 2, Field::Le }, { l.nSections + 14, 2, Field::Le },
                                                  { l.nDirectories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE, 4, Field::Le },
                                                  { l.nDirectories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE + 4, 4, Field::Le } });
    if (l.nRsrcHeader)
        for (size_t f = 8; f < 24; f += 4)
            shape.fields.push_back({ l.nRsrcHeader + f, 4, Field::Le });
    if (l.nDataEntry) {
        shape.fields.push_back({ l.nDataEntry, 4, Field::Le });
        shape.fields.push_back({ l.nDataEntry + 4, 4, Field::Le });
        shape.chunks.push_back({ l.nResource, l.cbResource });
    }
    return shape;
}

// Mostly the resource alone, written back in place with its new length; now and then the file.
void MutateFile(std::string& input, const std::string& other, fuzz::Rng& rng)
{
    Layout l = Locate(input), lOther = Locate(other);
    if (!l.bOk || rng.OneIn(8)) {
        fuzz::Mutate(input, other, ShapeOfFile, rng);
        return;
    }
    std::string res = input.substr(l.nResource, l.cbResource);
    std::string resOther = lOther.bOk ? other.substr(lOther.nResource, lOther.cbResource) : res;
    fuzz::Mutate(res, resOther, ShapeOfResource, rng);
    if (res.size() > l.cbAvail)
        res.resize(l.cbAvail);
    input.replace(l.nResource, res.size(), res);
    if (!rng.OneIn(4))
        Set<DWORD>(input, l.nDataEntry + 4, (DWORD)res.size());
}

// Wine's own readers of program files trust what the Windows loader checks: a section whose
// sizes exceed the file (its fallback reader allocates and clears that much: a hang), a resource
// whose data lies outside its section or a section outside the file (its loader reads there: a
// crash). Such files are set aside unread, and counted (see the report); everything the version
// API gets from the files that remain, the library must cope with.
bool WineTripsOver(const std::string& file)
{
    Layout l = Locate(file);
    if (!l.nSectionTable)
        return false;
    const IMAGE_SECTION_HEADER* pRsrc = NULL;
    for (WORD i = 0; i < Get<WORD>(file, l.nSections) && i < 96; ++i) {
        size_t at = l.nSectionTable + i * sizeof(IMAGE_SECTION_HEADER);
        if (at + sizeof(IMAGE_SECTION_HEADER) > file.size())
            return true;
        const IMAGE_SECTION_HEADER* pSec = (const IMAGE_SECTION_HEADER*)(file.data() + at);
        if (std::max(pSec->Misc.VirtualSize, pSec->SizeOfRawData) > file.size() ||
            (ULONGLONG)pSec->PointerToRawData + pSec->SizeOfRawData > file.size())
            return true;
        if (at == l.nRsrcHeader)
            pRsrc = pSec;
    }
    if (!pRsrc || !l.nDataEntry)
        return false;
    ULONGLONG nRva = Get<DWORD>(file, l.nDataEntry), cb = Get<DWORD>(file, l.nDataEntry + 4);
    return nRva < pRsrc->VirtualAddress || nRva + cb > (ULONGLONG)pRsrc->VirtualAddress + pRsrc->SizeOfRawData;
}

bool Run(const std::string& input)
{
    if (WineTripsOver(input)) {
        fuzz::SetAside();
        return false;
    }
    std::string path = fuzz::Scratch() + "in.dll";
    harness::WriteFileBytes(path, input);
    fuzz::Rng rng(fuzz::Hash(input));
    CVersionInfo info;
    int bOk = info.Init(path.c_str());
    if (rng.OneIn(4))
        bOk = info.Init(path.c_str());
    static const char* const s_apszKey[] = { "FileVersion", "FileDescription", "Author", "ProductVersion", "", "\\",
                                             "040904b0", "FileVersion\\x" };
    for (int n = rng.Between(1, 6); n > 0; --n) {
        CString str = info.StringFileInfo(rng.OneIn(8) ? std::string(300, 'K').c_str() : s_apszKey[rng.Below(8)]);
        if ((size_t)str.GetLength() > input.size())
            Fail("StringFileInfo gave %d characters from a file of %u bytes", str.GetLength(), (unsigned)input.size());
    }
    if (const VS_FIXEDFILEINFO* pInfo = info.GetFixedFileInfo()) {
        volatile DWORD dwSum = 0;
        const BYTE* p = (const BYTE*)pInfo;
        for (size_t i = 0; i < sizeof(*pInfo); ++i)
            dwSum += p[i];
    }
    info.Language();
    info.IsOk();
    return bOk != 0;
}

fuzz::Registrar s_verres({ "verres", "dll", Seeds, ShapeOfFile, MutateFile, NULL, NULL, NULL, Run });

}  // namespace
