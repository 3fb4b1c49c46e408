// Record files and the two checksums against the plainest code that does the same work, each
// figure a ratio of two times taken in this run (absolute times under Wine are too noisy to
// compare), printed beside the figure it should reach.
//
//   recbench [DIR]     DIR for the scratch files, the temporary directory by default
#include "BexLib32.h"
#include "files/Crc16.h"
#include "files/RotXor.h"
#include "benchtime.h"
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const int nRecords = 10000;
// Verify reads a file of this many records of 1 MiB.
const int nBigRecords = 64;
const DWORD cbBigRecord = 1 << 20;
const size_t cbChecksummed = 64u << 20;
// Each time is the best of at least this many rounds, and of as many as fit in a second, so
// that the short baselines are not one lucky or unlucky call. The library and its baseline take
// turns.
const int nRounds = 9;
const double dMinSeconds = 1.0;

void Best(std::function<void()> fnLib, std::function<void()> fnBase, double* pdLib, double* pdBase)
{
    std::vector<double> best = bench::BestInTurns({ fnLib, fnBase }, nRounds, dMinSeconds);
    *pdLib = best[0];
    *pdBase = best[1];
}

void Fail(const char* pszWhat)
{
    fprintf(stderr, "recbench: %s failed: %lu\n", pszWhat, GetLastError());
    ExitProcess(1);
}

void WriteRecords(const std::string& path, const std::vector<char>& data, DWORD cbRecord, int nCount)
{
    CRecFile file(FALSE);
    if (!file.Create(path.c_str(), 1, 1, "bench"))
        Fail("Create");
    for (int i = 0; i < nCount; ++i)
        if (!file.WriteRec(2, 1, cbRecord, &data[(size_t)i * cbRecord]))
            Fail("WriteRec");
    if (!file.Close())
        Fail("Close");
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

std::string FileImage(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    std::string image(GetFileSize(h, NULL), '\0');
    CloseHandle(h);
    ReadWhole(path, image);
    return image;
}

std::vector<char> Sample(size_t cb)
{
    std::vector<char> data(cb);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (char)(i * 131 + i / 977);
    return data;
}

void RecordFiles(const std::string& dir, DWORD cbRecord, double dGoal)
{
    std::vector<char> data = Sample((size_t)nRecords * cbRecord);
    std::string recPath = dir + "bench.rec";

    // The baseline moves the very bytes of the record file in one call each way, to and from the
    // same file: a file system that frees and finds room for two files of this size at once is
    // less predictable than for one.
    WriteRecords(recPath, data, cbRecord, nRecords);
    std::string image = FileImage(recPath);
    double dWriteRec, dWriteRaw;
    Best([&] { WriteRecords(recPath, data, cbRecord, nRecords); }, [&] { WriteWhole(recPath, image); }, &dWriteRec,
         &dWriteRaw);

    std::vector<char> back(data.size());
    std::string raw(image.size(), '\0');
    double dReadRec, dReadRaw;
    Best([&] { ReadRecords(recPath, back, cbRecord); }, [&] { ReadWhole(recPath, raw); }, &dReadRec, &dReadRaw);
    if (back != data)
        Fail("reading back");

    printf("%d records of %lu bytes (%.2f MiB, one WriteFile %.2f ms):\n", nRecords, cbRecord,
           image.size() / 1048576.0, dWriteRaw * 1e3);
    printf("  write %7.2f x one WriteFile (goal <= %.1f)\n", dWriteRec / dWriteRaw, dGoal);
    printf("  read  %7.2f x one ReadFile  (goal <= %.1f)\n", dReadRec / dReadRaw, dGoal);
    DeleteFileA(recPath.c_str());
}

void VerifyBig(const std::string& dir)
{
    std::vector<char> data = Sample((size_t)nBigRecords * cbBigRecord);
    std::string recPath = dir + "bench.rec";
    WriteRecords(recPath, data, cbBigRecord, nBigRecords);
    std::string image = FileImage(recPath);
    BOOL bSound = TRUE;
    double dVerify, dRead;
    Best(
        [&] {
            CRecFile file(FALSE);
            bSound &= file.Verify(recPath.c_str(), 1);
        },
        [&] { ReadWhole(recPath, image); }, &dVerify, &dRead);
    if (!bSound)
        Fail("Verify");
    printf("Verify of %d records of 1 MiB: %.2f x one ReadFile (goal <= 1.5)\n", nBigRecords, dVerify / dRead);
    DeleteFileA(recPath.c_str());
}

std::vector<BYTE> ChecksumSample()
{
    std::vector<BYTE> data(cbChecksummed);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 2654435761u >> 24);
    return data;
}

void Crc(const std::vector<BYTE>& data)
{
    // The baseline: the same table, built here, in the plainest loop.
    static WORD s_awTable[256];
    for (int i = 0; i < 256; ++i) {
        WORD w = (WORD)(i << 8);
        for (int b = 0; b < 8; ++b)
            w = (w & 0x8000) ? (WORD)((w << 1) ^ 0x1021) : (WORD)(w << 1);
        s_awTable[i] = w;
    }
    WORD wLib = 0, wPlain = 0, wSlices = 0;
    Crc16BuildTables();
    std::vector<double> best = bench::BestInTurns(
        { [&] { wLib = CrcCalc(0, data.data(), (UINT)data.size()); },
          [&] {
              WORD w = 0;
              for (BYTE b : data)
                  w = (WORD)(s_awTable[(w >> 8) ^ b] ^ (w << 8));
              wPlain = w;
          },
          [&] { wSlices = Crc16Slice8(0, data.data(), data.size()); } },
        nRounds, dMinSeconds);
    if (wLib != wPlain || wSlices != wPlain)
        Fail("CRC comparison");
    printf("CrcCalc over 64 MiB: %.2f x the speed of a byte-table loop (goal >= 10), %.0f MiB/s\n", best[1] / best[0],
           64 / best[0]);
    printf("  where the processor cannot fold, by slices: %.2f x\n", best[1] / best[2]);
}

void RotXor(const std::vector<BYTE>& data)
{
    DWORD dwLib = 0, dwPlain = 0, dwDwords = 0;
    std::vector<double> best = bench::BestInTurns(
        { [&] { dwLib = RotateXor(0, data.data(), data.size()); },
          [&] {
              DWORD dw = 0;
              for (BYTE b : data)
                  dw = ((dw ^ b) << 1) | ((dw ^ b) >> 31);
              dwPlain = dw;
          },
          [&] { dwDwords = RotateXorDwords(0, data.data(), data.size()); } },
        nRounds, dMinSeconds);
    if (dwLib != dwPlain || dwDwords != dwPlain)
        Fail("rotate-XOR comparison");
    printf("Rotate-XOR over 64 MiB: %.2f x the speed of a byte loop (goal >= 10), %.0f MiB/s\n", best[1] / best[0],
           64 / best[0]);
    printf("  where the processor has no SSE2, in DWORDs: %.2f x\n", best[1] / best[2]);
}

}  // namespace

int main(int argc, char** argv)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string dir = argc > 1 ? std::string(argv[1]) + "\\" : szTemp;
    printf("best of at least %d rounds each, %d-bit build\n", nRounds, (int)sizeof(void*) * 8);
    RecordFiles(dir, 64, 3.0);
    RecordFiles(dir, 4096, 1.6);
    VerifyBig(dir);
    std::vector<BYTE> data = ChecksumSample();
    Crc(data);
    RotXor(data);
    return 0;
}
