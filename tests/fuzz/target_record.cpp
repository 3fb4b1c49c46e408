// Record files through the public CRecFile interface: Open, then a random walk of FindNextRec,
// Rewind, SeekToRecord at offsets good and bad, records read in random pieces into buffers of
// exactly that size and finished with ReadRecEnd; then Verify, whose box is refused as it is
// made. Rules: data that ReadRecEnd accepts matches the record's checksum; Verify shows one box
// exactly when it fails, and it fails exactly when the file opens but its chain of records is not
// sound to the end of the file. Accepted: Verify passed the file.
#include "fuzz.h"
#include "harness.h"
#include "BexLib32.h"

#include <ctype.h>
#include <memory>
#include <stdio.h>
#include <string.h>

namespace {

using fuzz::Fail;
typedef CRecFile::tagRECHDR RECHDR;

const size_t cbId = sizeof(CRecFile::m_szFileID);

// The record file's own checksum, not a copy of it.
struct RecFileAccess : CRecFile {
    using CRecFile::checksum;
};

DWORD Checksum(const std::string& data)
{
    return RecFileAccess::checksum(0, data.data(), (int)data.size());
}

std::string Record(DWORD dwType, DWORD dwVersion, const std::string& data)
{
    RECHDR hdr = { CRecFile::m_dwRecHdrID, dwType, dwVersion, (DWORD)data.size(), Checksum(data) };
    return std::string((const char*)&hdr, sizeof(hdr)) + data;
}

std::string File(DWORD dwType, DWORD dwVersion, const std::string& desc, const std::string& records)
{
    char sz[64];
    snprintf(sz, sizeof(sz), "%u\n%u\n01/02/2026 03:04:05\n", (unsigned)dwType, (unsigned)dwVersion);
    return std::string(CRecFile::m_szFileID, cbId) + Record(0, 1, sz + desc + '\n' + '\0') + records;
}

// The offsets of the record headers that follow one another from the first, as far as they fit.
std::vector<size_t> HeaderOffsets(const std::string& file)
{
    std::vector<size_t> offsets;
    for (size_t at = cbId; at + sizeof(RECHDR) <= file.size();) {
        RECHDR hdr;
        memcpy(&hdr, file.data() + at, sizeof(hdr));
        offsets.push_back(at);
        if (hdr.dwDataLength > file.size() - at - sizeof(hdr))
            break;
        at += sizeof(hdr) + hdr.dwDataLength;
    }
    return offsets;
}

// Whether every record from the header record on has its checksum, every one after it its
// marker (the header record's is not read), and the last one ends where the file does.
bool ChainSound(const std::string& file)
{
    size_t at = cbId;
    while (at < file.size()) {
        if (file.size() - at < sizeof(RECHDR))
            return false;
        RECHDR hdr;
        memcpy(&hdr, file.data() + at, sizeof(hdr));
        if ((at > cbId && hdr.dwRecID != CRecFile::m_dwRecHdrID) || hdr.dwDataLength > file.size() - at - sizeof(hdr) ||
            Checksum(file.substr(at + sizeof(hdr), hdr.dwDataLength)) != hdr.dwChecksum)
            return false;
        at += sizeof(hdr) + hdr.dwDataLength;
    }
    return at == file.size() && file.size() > cbId;
}

std::vector<std::string> Seeds()
{
    std::string big(5000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (char)(i * 7 + i / 256);
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += Record(i % 3, 1, std::string(i % 11, (char)('a' + i)));
    return {
        File(7, 2, "", ""),
        File(7, 2, "Plant 7: line\nsecond line  ", Record(1, 1, "abc") + Record(5, 2, "") + Record(5, 1, std::string(300, 'x')) + Record(2, 1, big)),
        File(0xFFFFFFFE, 0, std::string(1024, 'd'), Record(0, 1, "header-like") + Record(0xFFFFFFFF, 0xFFFFFFFF, "\n\n")),
        File(3, 1, "many", many),
    };
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    shape.chunks.push_back({ 0, std::min(cbId, input.size()) });
    std::vector<size_t> offsets = HeaderOffsets(input);
    for (size_t i = 0; i < offsets.size(); ++i) {
        size_t at = offsets[i];
        for (size_t f = 0; f < sizeof(RECHDR); f += 4)
            shape.fields.push_back({ at + f, 4, fuzz::Field::Le });
        size_t end = i + 1 < offsets.size() ? offsets[i + 1] : input.size();
        shape.chunks.push_back({ at, end - at });
    }
    // The numbers of the header record's text.
    if (offsets.size() > 1)
        for (size_t i = offsets[0] + sizeof(RECHDR); i < offsets[1]; ++i)
            if (isdigit((unsigned char)input[i]) && !isdigit((unsigned char)input[i - 1])) {
                size_t n = i;
                while (n < offsets[1] && isdigit((unsigned char)input[n]))
                    ++n;
                shape.fields.push_back({ i, n - i, fuzz::Field::Dec });
            }
    shape.tokens = { "****", "\n", "%u\n", std::string(CRecFile::m_szFileID, cbId), std::string(20, '\0') };
    return shape;
}

// Sets the checksum of every record that still has its marker and fits the file.
void Repair(std::string& input)
{
    for (size_t at : HeaderOffsets(input)) {
        RECHDR hdr;
        memcpy(&hdr, input.data() + at, sizeof(hdr));
        if ((at > cbId && hdr.dwRecID != CRecFile::m_dwRecHdrID) || hdr.dwDataLength > input.size() - at - sizeof(hdr))
            break;
        hdr.dwChecksum = Checksum(input.substr(at + sizeof(hdr), hdr.dwDataLength));
        memcpy(&input[at], &hdr, sizeof(hdr));
    }
}

// One call of the interface; a thrown exception is a failure like FALSE.
template <class F> BOOL Call(F f)
{
    try {
        return f();
    } catch (CFileException* e) {
        e->Delete();
        return FALSE;
    }
}

// GetRecHdr on a closed object raises its error too.
RECHDR* Header(CRecFile& rf)
{
    RECHDR* pHdr = NULL;
    Call([&] { return (pHdr = rf.GetRecHdr()) != NULL; });
    return pHdr;
}

// The current record, read in random pieces (sometimes one too many) into exact buffers.
void ReadInPieces(CRecFile& rf, const std::string& input, fuzz::Rng& rng)
{
    RECHDR hdr = {};
    if (!Call([&] { return rf.ReadRecBegin(&hdr); }))
        return;
    if (hdr.dwDataLength > input.size())
        Fail("a record of %lu bytes began in a file of %u bytes", (unsigned long)hdr.dwDataLength, (unsigned)input.size());
    std::string data;
    while (data.size() < hdr.dwDataLength || rng.OneIn(4)) {
        size_t cbLeft = hdr.dwDataLength - data.size();
        size_t cb = rng.OneIn(8) ? cbLeft + 1 : rng.OneIn(2) ? cbLeft : rng.Below(cbLeft + 1);
        std::unique_ptr<char[]> buf(new char[cb ? cb : 1]);
        if (!Call([&] { return rf.ReadRecData(buf.get(), (DWORD)cb); }))
            return;
        if (cb > cbLeft)
            Fail("ReadRecData read %u bytes where %u were left", (unsigned)cb, (unsigned)cbLeft);
        data.append(buf.get(), cb);
        if (cb == 0 && cbLeft == 0)
            break;
    }
    if (Call([&] { return rf.ReadRecEnd(); }) && (data.size() != hdr.dwDataLength || Checksum(data) != hdr.dwChecksum))
        Fail("ReadRecEnd accepted data that does not match the record's checksum");
}

void Walk(CRecFile& rf, const std::string& input, DWORD dwType, const std::string& path, fuzz::Rng& rng)
{
    std::vector<size_t> offsets = HeaderOffsets(input);
    for (int nStep = rng.Between(1, 40); nStep > 0; --nStep) {
        switch (rng.Below(10)) {
        case 0:
        case 1: {
            static const DWORD s_adwType[] = { 0, 1, 2, 5, 0xFFFFFFFF };
            DWORD dwRecType = rng.OneIn(3) ? s_adwType[rng.Below(5)] : 0xFFFFFFFF;
            if (Call([&] { return rf.FindNextRec(dwRecType); }) && Header(rf) == NULL)
                Fail("FindNextRec found a record but GetRecHdr gives none");
            break;
        }
        case 2:
            Call([&] { return rf.Rewind(); });
            break;
        case 3: {
            size_t cb = input.size();
            DWORD dwAt;
            switch (rng.Below(4)) {
            case 0: dwAt = offsets.empty() ? 0 : (DWORD)offsets[rng.Below(offsets.size())]; break;
            case 1: dwAt = (DWORD)rng.Below(cb + 8); break;
            case 2: { const DWORD a[] = { 0, (DWORD)cbId, (DWORD)cb, (DWORD)cb - 20, 0xFFFFFFFE, 0xFFFFFFFF, 0x7FFFFFFF }; dwAt = a[rng.Below(7)]; break; }
            default: dwAt = (DWORD)rng.Next(); break;
            }
            Call([&] { return rf.SeekToRecord(dwAt); });
            break;
        }
        case 4:
        case 5:
        case 6:
            ReadInPieces(rf, input, rng);
            break;
        case 7: {
            RECHDR* pHdr = Header(rf);
            DWORD cb = pHdr ? pHdr->dwDataLength + (rng.OneIn(4) ? (DWORD)rng.Between(-1, 1) : 0) : (DWORD)rng.Below(64);
            if (cb > input.size())
                break;
            std::unique_ptr<char[]> buf(new char[cb ? cb : 1]);
            Call([&] { return rf.ReadRec(buf.get(), cb); });
            break;
        }
        case 8: {
            CString strTime;
            DWORD dw;
            Call([&] { return rf.GetDesc() != NULL; });
            Call([&] { return rf.GetCreationTime(strTime); });
            Call([&] { return rf.GetFileType(dw) && rf.GetVersion(dw); });
            Call([&] { return rf.GetRecType() != 0xFFFFFFFF; });
            break;
        }
        default:
            // Out of order, and a closed object brought back.
            if (rng.OneIn(2))
                Call([&] { return rf.ReadRecEnd(); });
            else if (Call([&] { return rf.Close(); }) || rng.OneIn(2))
                Call([&] { return rf.Open(path.c_str(), dwType); });
            break;
        }
    }
}

bool Run(const std::string& input)
{
    std::string path = fuzz::Scratch() + "in.rec";
    harness::WriteFileBytes(path, input);
    fuzz::Rng rng(fuzz::Hash(input));
    DWORD dwType = 0xFFFFFFFF;
    if (rng.OneIn(4))
        dwType = rng.OneIn(2) ? strtoul(input.c_str() + std::min(input.size(), cbId + sizeof(RECHDR)), NULL, 10) : (DWORD)rng.Below(8);

    BOOL bOpens;
    {
        CRecFile rf(rng.OneIn(2));
        bOpens = Call([&] { return rf.Open(path.c_str(), dwType); });
        if (bOpens)
            Walk(rf, input, dwType, path, rng);
        Call([&] { return rf.Close(); });
    }

    CRecFile rf(0);
    int nBoxes = fuzz::Boxes();
    BOOL bVerified = rf.Verify(path.c_str(), dwType);
    if (fuzz::Boxes() - nBoxes != (bVerified ? 0 : 1))
        Fail("Verify returned %d and showed %d boxes", bVerified, fuzz::Boxes() - nBoxes);
    bool bSound = bOpens && ChainSound(input);
    if (bVerified && !bSound)
        Fail("Verify passed a file that %s", bOpens ? "is not sound" : "does not open");
    if (!bVerified && bSound)
        Fail("Verify failed a file that opens and is sound");
    return bVerified != FALSE;
}

fuzz::Registrar s_record({ "record", "rec", Seeds, ShapeOf, NULL, Repair, NULL, NULL, Run });

}  // namespace
