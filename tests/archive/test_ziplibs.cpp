// Our archive libraries behind the wrappers: archives made by Zip come back byte for byte (and
// are checked again by Info-ZIP's unzip after this program, see check-infozip.sh), archives
// made by Info-ZIP's zip list and extract, and hostile or damaged archives write nothing they
// should not.
#include "harness.h"
#include "craftzip.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <map>

using harness::ReadFileBytes;
using harness::WriteFileBytes;

namespace {

typedef std::map<std::string, std::string> Tree;   // relative path -> bytes
typedef std::vector<std::string> Names;

std::string FixtureDir() { return harness::ModuleDir() + "archive-fixtures\\"; }

void WriteTree(const std::string& dir, const Tree& tree)
{
    for (const auto& file : tree) {
        std::string path = dir + file.first;
        for (size_t n = path.find('\\', 3); n != std::string::npos; n = path.find('\\', n + 1))
            CreateDirectoryA(path.substr(0, n).c_str(), NULL);
        WriteFileBytes(path, file.second);
    }
}

// Every file below dir, directories only as the paths of their files.
Tree ReadTree(const std::string& dir, const std::string& prefix = "")
{
    Tree tree;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + prefix + "*").c_str(), &fd);
    for (BOOL b = h != INVALID_HANDLE_VALUE; b; b = FindNextFileA(h, &fd)) {
        std::string name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            tree[prefix + name] = ReadFileBytes(dir + prefix + name);
        else if (name != "." && name != "..") {
            Tree sub = ReadTree(dir, prefix + name + "\\");
            tree.insert(sub.begin(), sub.end());
        }
    }
    FindClose(h);
    return tree;
}

Names List(const std::string& zip)
{
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList(zip.c_str(), arr, 1), 1) << zip;
    Names names;
    for (INT_PTR i = 0; i < arr.GetSize(); ++i)
        names.push_back((LPCSTR)arr[i]);
    return names;
}

// Bytes that deflate cannot shrink.
std::string Noise(size_t cb)
{
    std::string s(cb, '\0');
    DWORD x = 12345;
    for (char& ch : s)
        ch = (char)((x = x * 1103515245 + 12345) >> 23);
    return s;
}

const Tree& InfoZipSources()
{
    static Tree s_tree = ReadTree(FixtureDir() + "src\\");
    return s_tree;
}

// A fresh folder for each test, removed however the test ends. Its blank makes every path the
// wrappers hand over one that must be quoted (or, for Zip's archive, must not be).
class Archives : public testing::Test {
protected:
    Archives() { CreateDirectoryA(dir.c_str(), NULL); }
    ~Archives() override { harness::RemoveTree(root); }
    std::string root = harness::TempDir(), dir = root + "a folder\\";
};

}  // namespace

TEST_F(Archives, OurTreeComesBackByteForByteAndListsInOrder)
{
    Tree tree = {
        { "big text.txt", std::string(300 * 1024, 'x') + "end" }, { "noise.bin", Noise(100 * 1024) },
        { "empty.dat", "" }, { "sub\\page 1.bmp", "BM" + Noise(70000) }, { "sub\\deeper\\c.txt", "deep\r\n" },
    };
    Names expected = { "big text.txt", "empty.dat", "noise.bin", "sub\\page 1.bmp", "sub\\deeper\\c.txt" };
    if (GetACP() == 1252) {
        // Readers elsewhere get it as UTF-8 ("M\xc3\xa4rz.txt"), which check-infozip.sh sees.
        tree["M\xe4rz.txt"] = "March";
        expected.insert(expected.begin() + 2, "M\xe4rz.txt");
    }
    // Archives left in archive-made are read by Info-ZIP's unzip once this program has run.
    std::string made = harness::ModuleDir() + "archive-made\\";
    harness::RemoveTree(made);
    WriteTree(made + "tree\\", tree);
    std::string zip = made + "tree.zip";
    ASSERT_EQ(Zip((made + "tree\\*.*").c_str(), zip.c_str(), 1, 1, 1), 1);
    EXPECT_EQ(List(zip), expected);
    WriteFileBytes(dir + "empty.dat", "an older file of the same name");
    ASSERT_EQ(Unzip(zip.c_str(), dir.c_str(), 1), 1);
    EXPECT_TRUE(ReadTree(dir) == tree);

    // Text is deflated: the stored size is mostly that of the noise.
    EXPECT_LT(ReadFileBytes(zip).size(), 200u * 1024);
}

TEST_F(Archives, ZipsArgumentsChooseNamesAndDepth)
{
    std::string data = dir + "data\\";
    WriteTree(data, { { "a.txt", "a" }, { "b.log", "b" }, { "sub\\b.txt", "sb" }, { "sub\\deep\\c.txt", "c" } });
    const struct { std::string items; int nPaths, nRecurse; Names names; } cases[] = {
        { data + "*.txt", 1, 0, { "a.txt" } },
        { data + "*.txt", 1, 1, { "a.txt", "sub\\b.txt", "sub\\deep\\c.txt" } },
        { data + "*.txt", 0, 1, { "a.txt", "b.txt", "c.txt" } },
        // A directory goes in under its own name, a file under its file name.
        { data + "sub", 1, 0, { "sub\\b.txt", "sub\\deep\\c.txt" } },
        { "\"" + data + "b.log\" \"" + data + "sub\\deep\"", 1, 0, { "b.log", "deep\\c.txt" } },
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Zip(c.items.c_str(), (dir + "x.zip").c_str(), c.nPaths, c.nRecurse, 1), 1) << c.items;
        EXPECT_EQ(List(dir + "x.zip"), c.names) << c.items;
    }
    // An archive inside the folder it packs is not packed into itself, nor is its temporary file.
    ASSERT_EQ(Zip((data + "*.*").c_str(), (data + "self.zip").c_str(), 1, 0, 1), 1);
    EXPECT_EQ(List(data + "self.zip"), Names({ "a.txt", "b.log" }));
}

TEST_F(Archives, EveryItemMustMatchAndAFailureLeavesNoArchive)
{
    Tree tree = { { "a\\x.txt", "1" }, { "b\\x.txt", "2" } };
    WriteTree(dir, tree);
    std::string zip = dir + "new.zip";
    EXPECT_EQ(Zip((dir + "*.none").c_str(), zip.c_str(), 1, 1, 1), 0);
    // A missing item among others is not silently left out.
    EXPECT_EQ(Zip(("\"" + dir + "a\\x.txt\" \"" + dir + "missing.txt\"").c_str(), zip.c_str(), 1, 0, 1), 0);
    // With the directories dropped, the two x.txt would collide.
    EXPECT_EQ(Zip((dir + "*.txt").c_str(), zip.c_str(), 0, 1, 1), 0);
    EXPECT_EQ(Zip((dir + "*.txt").c_str(), (dir + "no such folder\\x.zip").c_str(), 1, 1, 1), 0);
    EXPECT_EQ(ReadTree(dir), tree);
}

TEST_F(Archives, InfoZipsArchivesListInOrderAndExtract)
{
    const Tree& src = InfoZipSources();
    ASSERT_GT(src.at("big.txt").size(), 65536u);
    EXPECT_EQ(List(FixtureDir() + "stored.zip"), Names({ "dir\\a.txt", "b.txt" }));
    EXPECT_EQ(List(FixtureDir() + "deflated.zip"), Names({ "dir\\a.txt", "b.txt", "big.txt", "empty.txt", "dir\\name with spaces.txt" }));
    Names tree = List(FixtureDir() + "tree.zip");
    EXPECT_EQ(std::count(tree.begin(), tree.end(), "dir\\"), 1);   // a directory's own entry
    // Streamed: sizes and CRC follow the data in descriptors. The destination does not exist yet.
    for (auto c : std::map<std::string, size_t>{ { "stored.zip", 2 }, { "deflated.zip", 5 }, { "tree.zip", 3 }, { "streamed.zip", 2 } }) {
        const std::string& name = c.first;
        std::string out = dir + name + "\\new\\";
        ASSERT_EQ(Unzip((FixtureDir() + name).c_str(), out.c_str(), 1), 1) << name;
        Tree got = ReadTree(out);
        EXPECT_EQ(got.size(), c.second) << name;
        for (const auto& file : got)
            EXPECT_TRUE(file.second == src.at(file.first)) << name << ": " << file.first;
    }
}

TEST_F(Archives, NamesThatLeaveTheDestinationAreRefusedAndTheRestExtracted)
{
    std::string zip = dir + "evil.zip";
    WriteFileBytes(zip, CraftedZip({ { "../x", "1" }, { "..\\y", "2" }, { "/abs.txt", "3" }, { "\\abs2.txt", "4" },
                                     { "C:z.txt", "5" }, { "C:/z2.txt", "6" }, { "ok/../../w.txt", "7" }, { "ok/.. /v.txt", "8" },
                                     { "ok/.../u.txt", "9" }, { "ok/NUL.txt", "10" }, { "com1", "11" }, { "a.txt:stream", "12" },
                                     { "ok/good.txt", "fine" } }));
    std::string out = dir + "out\\";
    EXPECT_EQ(Unzip(zip.c_str(), out.c_str(), 1), 0);
    EXPECT_EQ(ReadTree(out), Tree({ { "ok\\good.txt", "fine" } }));
    EXPECT_EQ(ReadTree(root).size(), 2u);
    EXPECT_EQ(List(zip).at(0), "..\\x");   // the listing shows them as they are
}

TEST_F(Archives, TruncatedAtEveryLengthFailsCleanly)
{
    WriteTree(dir + "src\\", { { "a.txt", "alpha alpha alpha alpha" }, { "b.bin", Noise(300) } });
    ASSERT_EQ(Zip((dir + "src\\*.*").c_str(), (dir + "whole.zip").c_str(), 1, 0, 1), 1);
    std::string whole = ReadFileBytes(dir + "whole.zip"), cut = dir + "cut.zip", out = dir + "out\\";
    HMODULE hLib = LoadLibraryA("DUNZIP32.dll");   // loaded once: the loop stays quick
    CStringArray arr;
    for (size_t cb = 0; cb < whole.size(); ++cb) {
        WriteFileBytes(cut, whole.substr(0, cb));
        ASSERT_EQ(ZipGetFileList(cut.c_str(), arr, 1), 0) << cb;
        ASSERT_EQ(Unzip(cut.c_str(), out.c_str(), 1), 0) << cb;
        ASSERT_TRUE(ReadTree(out).empty()) << cb;
    }
    FreeLibrary(hLib);
}

TEST_F(Archives, ADamagedEntryIsNotWrittenAndKeepsAnOlderFile)
{
    std::string zip = dir + "bad.zip", out = dir + "out\\";
    std::string bytes = ReadFileBytes(FixtureDir() + "deflated.zip");
    size_t nBig = bytes.find("big.txt");   // then a byte in the middle of its deflated data
    ASSERT_NE(nBig, std::string::npos);
    bytes[nBig + 7 + 5000] ^= 0x55;
    WriteFileBytes(zip, bytes);
    WriteTree(out, { { "big.txt", "the older big.txt" } });
    EXPECT_EQ(Unzip(zip.c_str(), out.c_str(), 1), 0);
    Tree got = ReadTree(out);
    EXPECT_EQ(got["big.txt"], "the older big.txt");
    EXPECT_EQ(got.size(), 5u);   // the other four, and no temporary file

    // A stored entry whose bytes no longer match its CRC-32.
    bytes = ReadFileBytes(FixtureDir() + "stored.zip");
    bytes[bytes.find("bravo")] = 'B';
    WriteFileBytes(zip, bytes);
    EXPECT_EQ(Unzip(zip.c_str(), (dir + "out2").c_str(), 1), 0);
    EXPECT_EQ(ReadTree(dir + "out2\\"), Tree({ { "dir\\a.txt", InfoZipSources().at("dir\\a.txt") } }));
}

TEST_F(Archives, OffsetsBeyondTheFileAreRefused)
{
    std::string zip = dir + "x.zip", good = CraftedZip({ { "a.txt", "alpha" }, { "b.txt", "bravo" } }), bytes = good;
    bytes[good.size() - 22 + 19] = 0x7F;   // the directory far past the end of the file
    WriteFileBytes(zip, bytes);
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList(zip.c_str(), arr, 1), 0);
    bytes = good;
    bytes[good.find("PK\x01\x02") + 42 + 3] = 0x40;   // the first entry's data far past the end
    WriteFileBytes(zip, bytes);
    EXPECT_EQ(Unzip(zip.c_str(), (dir + "out").c_str(), 1), 0);
    EXPECT_EQ(ReadTree(dir + "out\\"), Tree({ { "b.txt", "bravo" } }));
}
