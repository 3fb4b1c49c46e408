// Our archive libraries behind the wrappers: archives made by Zip come back byte for byte (and
// are checked again by Info-ZIP's unzip after this program, see check-infozip.sh), archives
// made by Info-ZIP's zip list and extract, and hostile or damaged archives write nothing they
// should not.
#include "harness.h"
#include "BexLib32.h"
#include "ZipBlocks.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <string.h>

using harness::ReadFileBytes;
using harness::RemoveTree;
using harness::WriteFileBytes;

namespace {

typedef std::map<std::string, std::string> Tree;   // relative path -> bytes

std::string FixtureDir() { return harness::ModuleDir() + "archive-fixtures\\"; }

// Archives left here are read by Info-ZIP's unzip once this program has run.
std::string MadeDir()
{
    static bool s_bCleared = false;
    std::string dir = harness::ModuleDir() + "archive-made\\";
    if (!s_bCleared) {
        RemoveTree(dir);
        CreateDirectoryA(dir.c_str(), NULL);
        s_bCleared = true;
    }
    return dir;
}

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
    if (h == INVALID_HANDLE_VALUE)
        return tree;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Tree sub = ReadTree(dir, prefix + name + "\\");
            tree.insert(sub.begin(), sub.end());
        } else {
            tree[prefix + name] = ReadFileBytes(dir + prefix + name);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return tree;
}

std::vector<std::string> List(const std::string& zip)
{
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList(zip.c_str(), arr, 1), 1) << zip;
    std::vector<std::string> names;
    for (INT_PTR i = 0; i < arr.GetSize(); ++i)
        names.push_back((LPCSTR)arr[i]);
    return names;
}

// Bytes that deflate cannot shrink.
std::string Noise(size_t cb)
{
    std::string s(cb, '\0');
    DWORD x = 12345;
    for (char& ch : s) {
        x = x * 1103515245 + 12345;
        ch = (char)(x >> 23);
    }
    return s;
}

DWORD Crc32(const std::string& data)
{
    DWORD crc = 0xFFFFFFFF;
    for (unsigned char ch : data) {
        crc ^= ch;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void Put16(std::string& s, WORD w) { s += (char)w; s += (char)(w >> 8); }
void Put32(std::string& s, DWORD dw) { Put16(s, LOWORD(dw)); Put16(s, HIWORD(dw)); }

// A stored archive with the given entries, names exactly as given.
std::string CraftedZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string body, dir;
    for (const auto& e : entries) {
        DWORD dwOffset = (DWORD)body.size();
        std::string head;
        Put32(head, 0x04034b50); Put16(head, 10); Put16(head, 0); Put16(head, 0); Put32(head, 0x00210000);
        Put32(head, Crc32(e.second)); Put32(head, (DWORD)e.second.size()); Put32(head, (DWORD)e.second.size());
        Put16(head, (WORD)e.first.size()); Put16(head, 0);
        body += head + e.first + e.second;
        Put32(dir, 0x02014b50); Put16(dir, 20); Put16(dir, 10); Put16(dir, 0); Put16(dir, 0); Put32(dir, 0x00210000);
        Put32(dir, Crc32(e.second)); Put32(dir, (DWORD)e.second.size()); Put32(dir, (DWORD)e.second.size());
        Put16(dir, (WORD)e.first.size()); Put16(dir, 0); Put16(dir, 0); Put16(dir, 0); Put16(dir, 0); Put32(dir, 0);
        Put32(dir, dwOffset);
        dir += e.first;
    }
    std::string end;
    Put32(end, 0x06054b50); Put16(end, 0); Put16(end, 0); Put16(end, (WORD)entries.size()); Put16(end, (WORD)entries.size());
    Put32(end, (DWORD)dir.size()); Put32(end, (DWORD)body.size()); Put16(end, 0);
    return body + dir + end;
}

// The libraries called directly, for what the wrappers do not show: codes, methods, the listing.
class CDunzip
{
public:
    CDunzip() : m_hLib(LoadLibraryA("DUNZIP32.dll")), m_pfn((DUNZIPPROC)GetProcAddress(m_hLib, "dunzip")) {}
    ~CDunzip() { FreeLibrary(m_hLib); }

    int Open(const std::string& zip, DWORD* pdwCount)
    {
        DUNZIPCMD cmd = Block(DUNZIP_CMD_OPEN, zip);
        cmd.dwEntries = 0xDEAD;
        int n = m_pfn(&cmd);
        *pdwCount = cmd.dwEntries;
        return n;
    }
    int Next(DUNZIPENTRY* pEntry)
    {
        DUNZIPCMD cmd = Block(DUNZIP_CMD_NEXT, "");
        cmd.lpEntry = pEntry;
        return m_pfn(&cmd);
    }
    int Extract(const std::string& zip, const std::string& dest)
    {
        DUNZIPCMD cmd = Block(DUNZIP_CMD_EXTRACT, zip);
        cmd.lpszDestDir = dest.c_str();
        cmd.bOverwrite = 1;
        return m_pfn(&cmd);
    }

private:
    DUNZIPCMD Block(DWORD dwCommand, const std::string& zip)
    {
        DUNZIPCMD cmd = {};
        cmd.cbSize = sizeof(cmd);
        cmd.dwCommand = dwCommand;
        m_zip = zip;
        cmd.lpszZipFile = m_zip.c_str();
        cmd.lpszFileSpec = "*.*";
        cmd.bQuiet = 1;
        cmd.bUsePaths = 1;
        return cmd;
    }

    HMODULE m_hLib;
    DUNZIPPROC m_pfn;
    std::string m_zip;
};

int Dzip(const std::string& items, const std::string& zip, BOOL bRecurse = 0, BOOL bJunkPaths = 0)
{
    DZIPCMD cmd = {};
    cmd.cbSize = sizeof(cmd);
    cmd.dwCommand = DZIP_CMD_ZIP;
    cmd.lpszZipFile = zip.c_str();
    cmd.lpszItems = items.c_str();
    cmd.dwLevel = 9;
    cmd.bQuiet = 1;
    cmd.bRecurse = bRecurse;
    cmd.bJunkPaths = bJunkPaths;
    HMODULE hLib = LoadLibraryA("DZIP32.dll");
    int n = ((DZIPPROC)GetProcAddress(hLib, "dzip"))(&cmd);
    FreeLibrary(hLib);
    return n;
}

const Tree& InfoZipSources()
{
    static Tree s_tree = ReadTree(FixtureDir() + "src\\");
    return s_tree;
}

// A fresh folder for each test, removed however the test ends.
class InFolder : public testing::Test {
protected:
    ~InFolder() override { RemoveTree(dir); }
    std::string dir = harness::TempDir();
};
using ZipRoundTrip = InFolder;
using ZipFailures = InFolder;
using InfoZipArchives = InFolder;
using HostileArchives = InFolder;
using DamagedArchives = InFolder;
using ZipListing = InFolder;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Our own archives

TEST_F(ZipRoundTrip, ATreeComesBackByteForByteAndListsInOrder)
{
    Tree tree = {
        { "big text.txt", std::string(300 * 1024, 'x') + "end" },
        { "noise.bin", Noise(100 * 1024) },
        { "empty.dat", "" },
        { "sub\\page 1.bmp", "BM" + Noise(70000) },
        { "sub\\deeper\\c.txt", "deep\r\n" },
    };
    std::vector<std::string> expected = { "big text.txt", "empty.dat", "noise.bin", "sub\\page 1.bmp", "sub\\deeper\\c.txt" };
    if (GetACP() == 1252) {
        // Readers elsewhere get it as UTF-8 ("M\xc3\xa4rz.txt"), which check-infozip.sh sees.
        tree["M\xe4rz.txt"] = "March";
        expected.insert(expected.begin() + 2, "M\xe4rz.txt");
    }
    std::string src = MadeDir() + "tree\\";
    WriteTree(src, tree);
    std::string zip = MadeDir() + "tree.zip";
    ASSERT_EQ(Zip((src + "*.*").c_str(), zip.c_str(), 1, 1, 1), 1);
    EXPECT_EQ(List(zip), expected);

    WriteFileBytes(dir + "empty.dat", "an older file of the same name");
    ASSERT_EQ(Unzip(zip.c_str(), dir.c_str(), 1), 1);
    EXPECT_TRUE(ReadTree(dir) == tree);

    // Text is deflated; what does not shrink, and what is empty, is stored.
    CDunzip lib;
    DWORD dwCount = 0;
    ASSERT_EQ(lib.Open(zip, &dwCount), ZIPERR_OK);
    std::map<std::string, DUNZIPENTRY> entries;
    DUNZIPENTRY entry;
    for (DWORD i = 0; i < dwCount && lib.Next(&entry) == ZIPERR_OK; ++i)
        entries[entry.szName] = entry;
    EXPECT_EQ(entries["big text.txt"].wMethod, 8);
    EXPECT_LT(entries["big text.txt"].dwCompressedSize, 10000u);
    EXPECT_EQ(entries["noise.bin"].wMethod, 0);
    EXPECT_EQ(entries["noise.bin"].dwCompressedSize, 100u * 1024);
    EXPECT_EQ(entries["empty.dat"].wMethod, 0);
    EXPECT_EQ(entries["sub/deeper/c.txt"].dwCrc32, Crc32("deep\r\n"));
}

TEST_F(ZipRoundTrip, TheThirdAndFourthArgumentsChooseNamesAndDepth)
{
    WriteTree(dir + "data\\", { { "a.txt", "a" }, { "b.log", "b" }, { "sub\\b.txt", "sb" }, { "sub\\deep\\c.txt", "c" } });
    std::string zip = dir + "x.zip";
    std::string data = dir + "data\\";

    ASSERT_EQ(Zip((data + "*.txt").c_str(), zip.c_str(), 1, 0, 1), 1);
    EXPECT_EQ(List(zip), std::vector<std::string>({ "a.txt" }));
    ASSERT_EQ(Zip((data + "*.txt").c_str(), zip.c_str(), 1, 1, 1), 1);
    EXPECT_EQ(List(zip), std::vector<std::string>({ "a.txt", "sub\\b.txt", "sub\\deep\\c.txt" }));
    ASSERT_EQ(Zip((data + "*.txt").c_str(), zip.c_str(), 0, 1, 1), 1);
    EXPECT_EQ(List(zip), std::vector<std::string>({ "a.txt", "b.txt", "c.txt" }));
    // A directory goes in under its own name, a file under its file name.
    ASSERT_EQ(Zip((data + "sub").c_str(), zip.c_str(), 1, 0, 1), 1);
    EXPECT_EQ(List(zip), std::vector<std::string>({ "sub\\b.txt", "sub\\deep\\c.txt" }));
    std::string list = "\"" + data + "b.log\" \"" + data + "sub\\deep\"";
    ASSERT_EQ(Zip(list.c_str(), zip.c_str(), 1, 0, 1), 1);
    EXPECT_EQ(List(zip), std::vector<std::string>({ "b.log", "deep\\c.txt" }));
    // An archive inside the folder it packs is not packed into itself, nor is its temporary file.
    ASSERT_EQ(Zip((data + "*.*").c_str(), (data + "self.zip").c_str(), 1, 0, 1), 1);
    ASSERT_EQ(Dzip("\"" + data + "*.*\"", data + "self.zip"), ZIPERR_OK);
    EXPECT_EQ(List(data + "self.zip"), std::vector<std::string>({ "a.txt", "b.log" }));
}

TEST_F(ZipFailures, EveryItemMustMatchAndAFailureKeepsAnOlderArchive)
{
    // Zip deletes the old archive itself; the library alone keeps it when it fails.
    Tree tree = { { "old.zip", "PK older archive" }, { "a\\x.txt", "1" }, { "b\\x.txt", "2" } };
    WriteTree(dir, tree);
    std::string zip = dir + "old.zip";
    EXPECT_EQ(Dzip("\"" + dir + "*.none\"", zip, 1), ZIPERR_NOMATCH);
    // A missing item among others is not silently left out.
    EXPECT_EQ(Dzip("\"" + dir + "a\\x.txt\" \"" + dir + "missing.txt\"", zip), ZIPERR_NOMATCH);
    // With the directories dropped, the two x.txt would collide.
    EXPECT_EQ(Dzip("\"" + dir + "*.txt\"", zip, 1, 1), ZIPERR_NAME);
    EXPECT_EQ(ReadTree(dir), tree);
    EXPECT_EQ(Zip((dir + "*.txt").c_str(), (dir + "no such folder\\x.zip").c_str(), 1, 1, 1), 0);
    EXPECT_EQ(Zip((dir + "missing.txt").c_str(), zip.c_str(), 1, 1, 1), 0);
    EXPECT_FALSE(ReadTree(dir).count("old.zip"));
}

// ---------------------------------------------------------------------------------------------
// Info-ZIP's archives

TEST_F(InfoZipArchives, StoredAndDeflatedListInArchiveOrderAndExtract)
{
    for (const char* name : { "stored.zip", "deflated.zip" }) {
        SCOPED_TRACE(name);
        std::vector<std::string> names = List(FixtureDir() + name);
        ASSERT_GE(names.size(), 2u);
        EXPECT_EQ(names[0], "dir\\a.txt");
        EXPECT_EQ(names[1], "b.txt");

        std::string out = dir + name + "\\";
        CreateDirectoryA(out.c_str(), NULL);
        ASSERT_EQ(Unzip((FixtureDir() + name).c_str(), out.c_str(), 1), 1);
        Tree got = ReadTree(out);
        EXPECT_EQ(got.size(), names.size());
        for (const std::string& entry : names)
            EXPECT_TRUE(got[entry] == InfoZipSources().at(entry)) << entry;
    }
    EXPECT_EQ(List(FixtureDir() + "deflated.zip"),
              std::vector<std::string>({ "dir\\a.txt", "b.txt", "big.txt", "empty.txt", "dir\\name with spaces.txt" }));
    EXPECT_GT(InfoZipSources().at("big.txt").size(), 65536u);
}

TEST_F(InfoZipArchives, DirectoryEntriesAndDataDescriptorsAreRead)
{
    std::vector<std::string> names = List(FixtureDir() + "tree.zip");
    EXPECT_EQ(std::count(names.begin(), names.end(), "dir\\"), 1);
    ASSERT_EQ(Unzip((FixtureDir() + "tree.zip").c_str(), dir.c_str(), 1), 1);
    EXPECT_EQ(ReadTree(dir), Tree({ { "dir\\a.txt", InfoZipSources().at("dir\\a.txt") },
                                    { "dir\\name with spaces.txt", InfoZipSources().at("dir\\name with spaces.txt") },
                                    { "b.txt", "bravo\n" } }));

    ASSERT_EQ(Unzip((FixtureDir() + "streamed.zip").c_str(), (dir + "new\\deeper").c_str(), 1), 1);
    EXPECT_EQ(ReadTree(dir + "new\\deeper\\"), Tree({ { "dir\\a.txt", InfoZipSources().at("dir\\a.txt") },
                                                      { "big.txt", InfoZipSources().at("big.txt") } }));
}

// ---------------------------------------------------------------------------------------------
// Hostile and damaged archives

TEST_F(HostileArchives, NamesThatLeaveTheDestinationAreRefusedAndTheRestExtracted)
{
    std::string zip = dir + "evil.zip";
    WriteFileBytes(zip, CraftedZip({ { "../x", "1" }, { "..\\y", "2" }, { "/abs.txt", "3" }, { "\\abs2.txt", "4" },
                                     { "C:z.txt", "5" }, { "C:/z2.txt", "6" }, { "ok/../../w.txt", "7" }, { "ok/.. /v.txt", "8" },
                                     { "ok/.../u.txt", "9" }, { "ok/NUL.txt", "10" }, { "com1", "11" }, { "a.txt:stream", "12" },
                                     { "ok/good.txt", "fine" } }));
    std::string out = dir + "out\\";
    EXPECT_EQ(Unzip(zip.c_str(), out.c_str(), 1), 0);
    EXPECT_EQ(ReadTree(out), Tree({ { "ok\\good.txt", "fine" } }));
    EXPECT_EQ(ReadTree(dir).size(), 2u);

    // The listing shows them as they are.
    std::vector<std::string> names = List(zip);
    ASSERT_EQ(names.size(), 13u);
    EXPECT_EQ(names[0], "..\\x");
    EXPECT_EQ(names[2], "\\abs.txt");

    CDunzip lib;
    EXPECT_EQ(lib.Extract(zip, out), ZIPERR_NAME);
}

TEST_F(DamagedArchives, TruncatedArchivesFailCleanly)
{
    WriteTree(dir + "src\\", { { "a.txt", "alpha alpha alpha alpha" }, { "b.bin", Noise(300) } });
    ASSERT_EQ(Zip((dir + "src\\*.*").c_str(), (dir + "whole.zip").c_str(), 1, 0, 1), 1);
    std::string whole = ReadFileBytes(dir + "whole.zip");
    std::string cut = dir + "cut.zip", out = dir + "out\\";
    // Every length, straight to the library (loaded once: the loop stays quick)...
    CDunzip lib;
    DWORD dwCount = 0;
    for (size_t cb = 0; cb < whole.size(); ++cb) {
        WriteFileBytes(cut, whole.substr(0, cb));
        ASSERT_NE(lib.Open(cut, &dwCount), ZIPERR_OK) << cb;
        ASSERT_NE(lib.Extract(cut, out), ZIPERR_OK) << cb;
        ASSERT_TRUE(ReadTree(out).empty()) << cb;
    }
    // ...and some through the wrappers.
    for (size_t cb : { (size_t)0, (size_t)21, whole.size() / 2, whole.size() - 1 }) {
        WriteFileBytes(cut, whole.substr(0, cb));
        CStringArray arr;
        EXPECT_EQ(ZipGetFileList(cut.c_str(), arr, 1), 0) << cb;
        EXPECT_EQ(Unzip(cut.c_str(), out.c_str(), 1), 0) << cb;
    }
}

TEST_F(DamagedArchives, ADamagedEntryIsNotWrittenAndKeepsAnOlderFile)
{
    std::string zip = dir + "bad.zip", out = dir + "out\\";
    std::string bytes = ReadFileBytes(FixtureDir() + "deflated.zip");
    // A byte in the middle of big.txt's deflated data.
    size_t nBig = bytes.find("big.txt");
    ASSERT_NE(nBig, std::string::npos);
    bytes[nBig + 7 + 5000] ^= 0x55;
    WriteFileBytes(zip, bytes);
    WriteTree(out, { { "big.txt", "the older big.txt" } });
    EXPECT_EQ(Unzip(zip.c_str(), out.c_str(), 1), 0);
    Tree got = ReadTree(out);
    EXPECT_EQ(got["big.txt"], "the older big.txt");
    EXPECT_EQ(got["b.txt"], "bravo\n");
    EXPECT_EQ(got.size(), 5u);   // the other four, and no temporary file

    // A stored entry whose bytes no longer match its CRC-32.
    bytes = ReadFileBytes(FixtureDir() + "stored.zip");
    size_t nBravo = bytes.find("bravo");
    ASSERT_NE(nBravo, std::string::npos);
    bytes[nBravo] = 'B';
    WriteFileBytes(zip, bytes);
    CDunzip lib;
    EXPECT_EQ(lib.Extract(zip, dir + "out2"), ZIPERR_DATA);
    EXPECT_EQ(ReadTree(dir + "out2\\"), Tree({ { "dir\\a.txt", InfoZipSources().at("dir\\a.txt") } }));
}

TEST_F(DamagedArchives, OffsetsAndCountsBeyondTheFileAreRefused)
{
    std::string zip = dir + "x.zip";
    std::string good = CraftedZip({ { "a.txt", "alpha" }, { "b.txt", "bravo" } });
    size_t nEnd = good.size() - 22;
    CDunzip lib;
    DWORD dwCount = 0;

    std::string bytes = good;
    bytes[nEnd + 10] = 3;   // three entries in a directory of two
    bytes[nEnd + 8] = 3;
    WriteFileBytes(zip, bytes);
    EXPECT_EQ(lib.Open(zip, &dwCount), ZIPERR_FORMAT);

    bytes = good;
    bytes[nEnd + 19] = 0x7F;   // the directory far past the end of the file
    WriteFileBytes(zip, bytes);
    EXPECT_EQ(lib.Open(zip, &dwCount), ZIPERR_FORMAT);

    bytes = good;
    size_t nCentral = good.find("PK\x01\x02");
    bytes[nCentral + 42 + 3] = 0x40;   // the first entry's data far past the end of the file
    WriteFileBytes(zip, bytes);
    EXPECT_EQ(lib.Open(zip, &dwCount), ZIPERR_OK);
    EXPECT_EQ(lib.Extract(zip, dir + "out"), ZIPERR_FORMAT);
    EXPECT_EQ(ReadTree(dir + "out\\"), Tree({ { "b.txt", "bravo" } }));
}

// ---------------------------------------------------------------------------------------------
// The listing

TEST_F(ZipListing, EveryOpenStartsAFreshListing)
{
    WriteFileBytes(dir + "three.zip", CraftedZip({ { "1", "" }, { "2", "" }, { "3", "" } }));
    WriteFileBytes(dir + "two.zip", CraftedZip({ { "x", "" }, { "y", "" } }));
    WriteFileBytes(dir + "bad.zip", "PK\x05\x06 not an archive");
    CDunzip lib;
    DWORD dwCount = 0;
    DUNZIPENTRY entry = {};
    EXPECT_EQ(lib.Next(&entry), ZIPERR_END);
    ASSERT_EQ(lib.Open(dir + "three.zip", &dwCount), ZIPERR_OK);
    EXPECT_EQ(dwCount, 3u);
    ASSERT_EQ(lib.Next(&entry), ZIPERR_OK);
    EXPECT_STREQ(entry.szName, "1");
    ASSERT_EQ(lib.Open("\"" + dir + "two.zip\"", &dwCount), ZIPERR_OK);
    EXPECT_EQ(dwCount, 2u);
    ASSERT_EQ(lib.Next(&entry), ZIPERR_OK);
    EXPECT_STREQ(entry.szName, "x");
    ASSERT_EQ(lib.Next(&entry), ZIPERR_OK);
    EXPECT_STREQ(entry.szName, "y");
    EXPECT_EQ(lib.Next(&entry), ZIPERR_END);
    // A failed open leaves nothing of the last listing behind.
    ASSERT_EQ(lib.Open(dir + "three.zip", &dwCount), ZIPERR_OK);
    EXPECT_EQ(lib.Open(dir + "bad.zip", &dwCount), ZIPERR_FORMAT);
    EXPECT_EQ(dwCount, 0u);
    EXPECT_EQ(lib.Next(&entry), ZIPERR_END);
}
