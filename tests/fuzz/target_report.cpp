// The files the version report reads, through WriteTurVersionReport over a temporary suite
// installation: the installation list, the add-on list, the options file, the project and two
// of its CPU files, and two library description files. An input holds these files (any may be
// missing); "$ROOT$" in them stands for the installation's folder. The program files of the
// applications directory are fixture DLLs, the same for every input. Rule: the report is whole,
// its sections in order. Accepted: the installation list was read without a warning.
#include "fuzz.h"
#include "harness.h"
#include "installation.h"
#include "BexLib32.h"

#include <ctype.h>
#include <string.h>

namespace {

using fuzz::Fail;
using fuzz::Part;

const char* const s_apszFile[] = {
    "Apps\\FileList.txt", "Local\\WexAddOns.ini", "Local\\WexOptions.ini", "Projects\\Plant7\\Plant7.wpj",
    "Projects\\Plant7\\CpuA\\CpuA.qhw", "Projects\\Plant7\\CpuB\\CpuB.qhw", "Libs\\Std\\Base.lin", "Libs\\Usr\\Extra.lin",
};
// Few, since the report loads each program file's image twice for its version resource: one
// that a record can match in every way, and one of the tool table that is no program at all.
const char* const s_apszProgram[][2] = {
    { "Equal.exe", "repfix_equal" }, { "WexLoad.exe", NULL },
};
const char szRoot[] = "$ROOT$";

Installation* s_pInst;

std::string Program(const char* pszFixture)
{
    return pszFixture ? harness::ReadFileBytes(harness::ModuleDir() + pszFixture + ".dll") : "MZ, but no program";
}

void SetUp()
{
    s_pInst = new Installation;
    for (const auto& p : s_apszProgram)
        harness::WriteFileBytes(s_pInst->apps + p[0], Program(p[1]));
    s_pInst->stdLib.Set(s_pInst->libs + "Std\\");
    s_pInst->appLib.Set(s_pInst->libs + "App");
    s_pInst->usrLib.Set(s_pInst->libs + "Usr");
    s_pInst->active.Set(s_pInst->project);
}

void TearDown()
{
    delete s_pInst;
}

std::vector<std::string> Seeds()
{
    std::string list = "Tur installation list\r\n\r\n" + Record("2.0.140", Program("repfix_equal"), "Equal.exe") +
                       Record("2.0.139", Program("repfix_equal"), "EQUAL.EXE") + Record("1.0", Program(NULL), "WexLoad.exe") +
                       Record("1.0", "", "Missing.dll") + "7 W 1.0 0 0\r\n" + Record("1.0", "", "AfterShort.dll");
    std::string addOns = "[Equal]\r\nEditorPath=<$AppsDir>\\Equal.exe\r\n[Local]\r\nEditorPath=<$LocalDir>\\..\\Apps\\WexLoad.exe\r\n"
                         "[Programs]\r\nEditorPath=<$ProgramsDir>\\none.exe\r\n[Gone]\r\nEditorPath=C:\\nowhere\\Gone.exe\r\n[No path]\r\nOther=1\r\n";
    std::string options = "[KELM Project Manager Options - DO NOT EDIT]\r\nAdditionalLibs=3\r\nAddLib1=$ROOT$\\Libs\\Std\r\nAddLib3=$ROOT$\\Libs\\Usr\\\r\n";
    std::string project = "[KELM Tur Project File - DO NOT EDIT]\r\nNumberOfCpus=3\r\n[Cpu1]\r\nPath=CpuA\r\n[Cpu2]\r\nPath=CpuB\r\n[Cpu3]\r\nPath=CpuC\r\n";
    std::string cpuA = "[Directories]\r\nUseDirectories=1\r\nStdLibDir=$ROOT$\\Libs\\Usr\r\nFBDir=$ROOT$\\LIBS\\STD\\\r\n";
    std::string cpuB = "[Directories]\r\nUseDirectories=0\r\nStdLibDir=$ROOT$\\Libs\\Other\r\n";
    std::string base = "[About]\r\nName=Basic functions\r\nVersion=2.1.0, build 7\r\nAuthor=KELM\r\nDistributed=with the suite\r\n";
    std::string extra = "[About]\r\nName=Extras\r\nVersion=1.0\r\nAuthor=Ostrand && co\r\n";
    std::string all[] = { list, addOns, options, project, cpuA, cpuB, base, extra };
    std::vector<Part> parts, few;
    for (size_t i = 0; i < 8; ++i) {
        parts.push_back(Part{ s_apszFile[i], all[i] });
        if (i % 3 == 0)
            few.push_back(Part{ s_apszFile[i], all[i] + std::string(400, 'x') + "\r\n" });
    }
    return { fuzz::Pack(parts), fuzz::Pack(few), fuzz::Pack({}) };
}

fuzz::Shape ShapeOfText(const std::string& text)
{
    fuzz::Shape shape;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            shape.chunks.push_back({ start, i - start + (i < text.size()) });
            start = i + 1;
        }
        // Numbers, and the checksums of the installation list.
        if (i < text.size() && isxdigit((unsigned char)text[i]) && (i == 0 || !isalnum((unsigned char)text[i - 1])) &&
            shape.fields.size() < 64) {
            size_t n = i;
            bool bHex = false;
            for (; n < text.size() && isxdigit((unsigned char)text[n]); ++n)
                bHex |= !isdigit((unsigned char)text[n]);
            if (n == text.size() || !isalnum((unsigned char)text[n]))
                shape.fields.push_back({ i, n - i, bHex ? fuzz::Field::Hex : fuzz::Field::Dec });
        }
    }
    shape.tokens = { "<$AppsDir>", "<$LocalDir>", "<$ProgramsDir>", szRoot, "\\..\\", "[About]", "Name=", "Version=",
                     "[Directories]", "UseDirectories=1", "AdditionalLibs=", "AddLib2=", "NumberOfCpus=", "Path=",
                     "EditorPath=", "\t", "Equal.exe", "*.exe", "[", "]", "=", ", ", std::string(60, ' ') };
    return shape;
}

// One of the files changed, or one dropped or put in another's place.
void MutateParts(std::string& input, const std::string& other, fuzz::Rng& rng)
{
    std::vector<Part> parts = fuzz::Unpack(input), others = fuzz::Unpack(other);
    if (parts.empty() || rng.OneIn(16)) {
        parts.push_back(Part{ s_apszFile[rng.Below(8)], others.empty() ? std::string() : others[rng.Below(others.size())].bytes });
    } else if (rng.OneIn(16)) {
        parts.erase(parts.begin() + rng.Below(parts.size()));
    } else {
        Part& part = parts[rng.Below(parts.size())];
        std::string otherBytes = part.bytes;
        for (const Part& p : others)
            if (p.name == part.name)
                otherBytes = p.bytes;
        fuzz::Mutate(part.bytes, otherBytes, ShapeOfText, rng);
    }
    input = fuzz::Pack(parts);
}

fuzz::Shape ShapeOf(const std::string&)
{
    return fuzz::Shape();
}

bool Run(const std::string& input)
{
    std::string root = s_pInst->root.substr(0, s_pInst->root.size() - 1);
    for (const char* pszFile : s_apszFile)
        DeleteFileA((s_pInst->root + pszFile).c_str());
    // Only the report's own files are written, whatever else an input names.
    for (Part& part : fuzz::Unpack(input)) {
        for (const char* pszFile : s_apszFile)
            if (part.name == pszFile) {
                for (size_t at; (at = part.bytes.find(szRoot)) != std::string::npos;)
                    part.bytes.replace(at, strlen(szRoot), root);
                harness::WriteFileBytes(s_pInst->root + pszFile, part.bytes);
            }
    }
    struct Output : CReportOutput {
        std::string text;
        int nWarnings = 0;
        void AppendText(const char* pszText) override { text += pszText; }
        void Warn(const char*) override { ++nWarnings; }
    } out;
    WriteTurVersionReport(out);
    static const char szEnd[] = "\r\n*** End of info ***\r\n";
    size_t nDefault = out.text.find("\r\nDEFAULT LIBRARIES\r\n---");
    if (out.text.compare(0, 15, "APPLICATIONS\r\n-") != 0 || nDefault == std::string::npos ||
        out.text.size() < sizeof(szEnd) || out.text.compare(out.text.size() - strlen(szEnd), strlen(szEnd), szEnd) != 0)
        Fail("the report is not whole: %u characters", (unsigned)out.text.size());
    return out.nWarnings == 0;
}

fuzz::Registrar s_report({ "report", "txt", Seeds, ShapeOf, MutateParts, NULL, SetUp, TearDown, Run, 10 });

}  // namespace
