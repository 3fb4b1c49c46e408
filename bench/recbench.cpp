// Record files and CRC-16 against the plainest code that moves the same bytes, each figure a
// ratio of two times taken in this run (absolute times under Wine are too noisy to compare).
//
//   recbench [DIR]     DIR for the scratch files, the temporary directory by default
#include "BexLib32.h"
#include "benchtime.h"
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const int nRecords = 10000;
// Each time is the best of at least this many rounds, and of as many as fit in a quarter of a
// second, so that the short baselines are not one lucky or unlucky call.
const int nRounds = 3;
const double dMinSeconds = 0.25;

template <class F>
double Best(F fn)
{
    return bench::Best(fn, nRounds, dMinSeconds);
}

void Fail(const char* pszWhat)
{
    fprintf(stderr, "recbench: %s failed: %lu\n", pszWhat, GetLastError());
    ExitProcess(1);
}

void WriteRecords(const std::string& path, const std::vector<char>& data, DWORD cbRecord)
{
    CRecFile file(FALSE);
    if (!file.Create(path.c_str(), 1, 1, "bench"))
        Fail("Create");
    for (int i = 0; i < nRecords; ++i)
        if (!file.WriteRec(2, 1, cbRecord, &data[(size_t)i * cbRecord]))
            Fail("WriteRec");
    file.Close();
}

void ReadRecords(const std::string& path, std::vector<char>& data, DWORD cbRecord)
{
    CRecFile file(FALSE);
    if (!file.Open(path.c_str(), 1))
        Fail("Open");
    for (int i = 0; i < nRecords; ++i)
        if (!file.FindNextRec(2) || !file.ReadRec(&data[(size_t)i * cbRecord], cbRecord))
            Fail("ReadRec");
    file.Close();
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cb;
    if (h == INVALID_HANDLE_VALUE || !WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, NULL))
        Fail("WriteFile");
    CloseHandle(h);
}

void ReadWhole(const std::string& path, std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    DWORD cb;
    if (h == INVALID_HANDLE_VALUE || !ReadFile(h, &bytes[0], (DWORD)bytes.size(), &cb, NULL))
        Fail("ReadFile");
    CloseHandle(h);
}

void RecordFiles(const std::string& dir, DWORD cbRecord)
{
    std::vector<char> data((size_t)nRecords * cbRecord);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (char)(i * 131 + i / 977);
    std::string recPath = dir + "bench.rec", rawPath = dir + "bench.raw";

    double dWriteRec = Best([&] { WriteRecords(recPath, data, cbRecord); });
    // The baseline moves the very bytes of the record file in one call each way.
    HANDLE h = CreateFileA(recPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    std::string image(GetFileSize(h, NULL), '\0');
    CloseHandle(h);
    ReadWhole(recPath, image);
    double dWriteRaw = Best([&] { WriteWhole(rawPath, image); });

    std::vector<char> back(data.size());
    double dReadRec = Best([&] { ReadRecords(recPath, back, cbRecord); });
    if (back != data)
        Fail("reading back");
    std::string raw(image.size(), '\0');
    double dReadRaw = Best([&] { ReadWhole(rawPath, raw); });

    printf("%5d records of %4lu bytes (%7.2f MiB): write %7.1f x one WriteFile, read %7.1f x one ReadFile\n",
           nRecords, cbRecord, image.size() / 1048576.0, dWriteRec / dWriteRaw, dReadRec / dReadRaw);
    DeleteFileA(recPath.c_str());
    DeleteFileA(rawPath.c_str());
}

void Crc()
{
    std::vector<BYTE> data(64u << 20);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 2654435761u >> 24);
    // The baseline: the same table, built here, in the plainest loop.
    static WORD s_awTable[256];
    for (int i = 0; i < 256; ++i) {
        WORD w = (WORD)(i << 8);
        for (int b = 0; b < 8; ++b)
            w = (w & 0x8000) ? (WORD)((w << 1) ^ 0x1021) : (WORD)(w << 1);
        s_awTable[i] = w;
    }
    WORD wLib = 0, wPlain = 0;
    double dLib = Best([&] { wLib = CrcCalc(0, data.data(), (UINT)data.size()); });
    double dPlain = Best([&] {
        WORD w = 0;
        for (BYTE b : data)
            w = (WORD)(s_awTable[(w >> 8) ^ b] ^ (w << 8));
        wPlain = w;
    });
    if (wLib != wPlain)
        Fail("CRC comparison");
    printf("CrcCalc over 64 MiB: %.2f x a plain byte-table loop (%.0f MiB/s)\n", dLib / dPlain, 64 / dLib);
}

}  // namespace

int main(int argc, char** argv)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string dir = argc > 1 ? std::string(argv[1]) + "\\" : szTemp;
    printf("best of at least %d rounds each\n", nRounds);
    RecordFiles(dir, 64);
    RecordFiles(dir, 4096);
    Crc();
    return 0;
}
