// Archives through ZipGetFileList and Unzip into DUNZIP32.dll. The extraction goes to a scratch
// folder; afterwards nothing may have appeared outside it: no file beside the archive, and none
// at any place an entry's name leads to when it is taken as a path. Accepted: Unzip succeeded.
#include "fuzz.h"
#include "harness.h"
#include "BexLib32.h"
#include "../archive/craftzip.h"

#include <set>
#include <zlib.h>

namespace {

using fuzz::Fail;
using fuzz::Field;

HMODULE s_hDunzip;

std::string Deflated(const std::string& data)
{
    z_stream zs = {};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, (uLong)data.size()), '\0');
    zs.next_in = (Bytef*)data.data();
    zs.avail_in = (uInt)data.size();
    zs.next_out = (Bytef*)&out[0];
    zs.avail_out = (uInt)out.size();
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::vector<std::string> Seeds()
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + " of a text that deflates well\r\n";
    auto stored = [](const char* name, const std::string& data) { return CraftedEntry{ name, data, data, 0 }; };
    auto deflated = [](const char* name, const std::string& data) { return CraftedEntry{ name, data, Deflated(data), 8 }; };
    return {
        CraftedZip({ { "a.txt", "alpha" }, { "dir/b.txt", "bravo" }, { "dir/", "" } }),
        CraftedPackedZip({ deflated("big.txt", text), deflated("empty.txt", ""), stored("sub/dir/c.bin", std::string(100, '\x01')) }),
        CraftedPackedZip({ deflated("x.txt", "x"), deflated("dir/y.txt", text.substr(0, 700)) }),
        // Names that lead out, and names no file may have.
        CraftedZip({ { "../up.txt", "1" }, { "..\\up2.txt", "2" }, { "/abs.txt", "3" }, { "C:abs.txt", "4" }, { "ok/../../w.txt", "5" },
                     { "ok/.. /v.txt", "6" }, { "NUL.txt", "7" }, { "a.txt:stream", "8" }, { "ok/good.txt", "9" } }),
        CraftedZip({ { std::string(300, 'n') + ".txt", "long" }, { "M\xe4rz.txt", "umlaut" }, { "dir\\back\\slash.txt", "bs" } }),
    };
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    const BYTE* p = (const BYTE*)input.data();
    for (size_t at = 0; at + 4 <= input.size(); ++at) {
        DWORD dwSig = p[at] | p[at + 1] << 8 | p[at + 2] << 16 | (DWORD)p[at + 3] << 24;
        if (dwSig == 0x04034b50 && at + 30 <= input.size()) {          // local header: sizes, name and extra lengths
            for (size_t f : { 8, 14, 18, 22 })
                shape.fields.push_back({ at + f, f == 8 ? 2u : 4u, Field::Le });
            shape.fields.push_back({ at + 26, 2, Field::Le });
            shape.fields.push_back({ at + 28, 2, Field::Le });
            shape.chunks.push_back({ at, 30 });
        } else if (dwSig == 0x02014b50 && at + 46 <= input.size()) {   // central header
            for (size_t f : { 10, 20, 24, 42 })
                shape.fields.push_back({ at + f, f == 10 ? 2u : 4u, Field::Le });
            for (size_t f : { 28, 30, 32 })
                shape.fields.push_back({ at + f, 2, Field::Le });
            size_t cbName = p[at + 28] | p[at + 29] << 8;
            shape.chunks.push_back({ at, 46 + cbName });
        } else if (dwSig == 0x06054b50 && at + 22 <= input.size()) {   // end record
            for (size_t f : { 8, 10, 20 })
                shape.fields.push_back({ at + f, 2, Field::Le });
            shape.fields.push_back({ at + 12, 4, Field::Le });
            shape.fields.push_back({ at + 16, 4, Field::Le });
            shape.chunks.push_back({ at, 22 });
        }
    }
    shape.tokens = { "../", "..\\", "/", "C:", "CON", "dir/", ":", std::string(260, 'p'), "PK\x05\x06", "PK\x01\x02" };
    return shape;
}

// Entry names as the central directory gives them.
std::vector<std::string> Names(const std::string& input)
{
    std::vector<std::string> names;
    for (size_t at = input.find("PK\x01\x02"); at != std::string::npos && at + 46 <= input.size(); at = input.find("PK\x01\x02", at + 4)) {
        size_t cb = (BYTE)input[at + 28] | (BYTE)input[at + 29] << 8;
        names.push_back(input.substr(at + 46, cb));
    }
    return names;
}

// Without a trailing backslash, so that a folder compares as itself.
std::string FullPath(const std::string& path)
{
    char sz[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, sz, NULL);
    std::string full = n && n < MAX_PATH ? std::string(sz, n) : std::string();
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return full;
}

bool Exists(const std::string& path)
{
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every file and folder below dir, as full paths.
void Tree(const std::string& dir, std::vector<std::string>& paths)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    for (BOOL b = h != INVALID_HANDLE_VALUE; b; b = FindNextFileA(h, &fd)) {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        paths.push_back(dir + name);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Tree(dir + name + "\\", paths);
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

bool Run(const std::string& input)
{
    fuzz::Rng rng(fuzz::Hash(input));
    // Blanks in both paths: the wrappers quote them for the library.
    std::string root = fuzz::Scratch() + "arc hive\\", zip = root + "in put.zip", dest = root + "out dir\\dest";
    CreateDirectoryA(root.c_str(), NULL);
    harness::WriteFileBytes(zip, input);

    // Where the names lead when taken as paths, outside the destination, and not there before;
    // the destination and the folders above it are made by the extraction itself.
    std::set<std::string> escapes;
    for (std::string name : Names(input)) {
        for (char& ch : name)
            if (ch == '/')
                ch = '\\';
        for (const std::string& path : { FullPath(name), FullPath(dest + "\\" + name) })
            if (!path.empty() && _strnicmp(path.c_str(), (dest + "\\").c_str(), dest.size() + 1) != 0 &&
                _strnicmp((dest + "\\").c_str(), (path + "\\").c_str(), path.size() + 1) != 0 && !Exists(path))
                escapes.insert(path);
    }

    int bQuiet = rng.OneIn(4) ? 0 : 1;
    CStringArray files;
    ZipGetFileList(zip.c_str(), files, bQuiet);
    if (files.GetSize() > 0xFFFF)
        Fail("the listing has %d entries", (int)files.GetSize());
    bool bOk = Unzip(zip.c_str(), dest.c_str(), bQuiet) == 1;

    std::vector<std::string> paths;
    Tree(root, paths);
    for (const std::string& path : paths)
        if (path != zip && path != root + "out dir" && path != dest && _strnicmp(path.c_str(), (dest + "\\").c_str(), dest.size() + 1) != 0)
            Fail("extraction wrote %s outside its destination", path.c_str());
    for (const std::string& path : escapes)
        if (Exists(path))
            Fail("extraction made %s, outside its destination", path.c_str());
    harness::RemoveTree(root + "out dir");
    return bOk;
}

// Loaded once for the whole run: the wrappers' own loads then only count references.
void SetUp()
{
    s_hDunzip = LoadLibraryA("DUNZIP32.dll");
}

void TearDown()
{
    FreeLibrary(s_hDunzip);
}

fuzz::Registrar s_dunzip({ "dunzip", "zip", Seeds, ShapeOf, NULL, NULL, SetUp, TearDown, Run });

}  // namespace
