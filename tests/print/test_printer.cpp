// The page printer on a printer driver's DC: Wine's PostScript driver, for the printer "PDF" of
// the CUPS scheduler that scripts/cups runs around this program. The job goes to a file, which
// check-printed.sh makes into a PDF and reads back with the Poppler tools.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <vector>

// A known text in the framework's print loop, as an application's view prints it. Beside the
// PostScript lie the lines that must come out, in order, and the number of pages laid out.
TEST(PagePrinterOnPrinter, AKnownTextGoesThroughTheDriverPageByPage)
{
    char szPrinter[MAX_PATH];
    DWORD cchPrinter = sizeof(szPrinter);
    ASSERT_TRUE(GetDefaultPrinterA(szPrinter, &cchPrinter)) << "no printer: run under scripts/cups";
    ASSERT_STREQ(szPrinter, "PDF");

    std::string dir = harness::ModuleDir() + "printed\\";
    CreateDirectoryA(dir.c_str(), NULL);
    std::string text = std::string(CPagePrinter::GetTabCmd("8,12")) + "&%%B%%&Known text&%%N%%&, printed through a driver\r\n";
    std::string expected = "Known text, printed through a driver\n";
    for (int i = 1; i <= 180; ++i) {
        char szLine[128], szExpected[128];
        sprintf(szLine, "Line %03d\tmotor %d\t%s&%%%%-B%%%%&, 50&%%%% load\r\n", i, i, i % 7 ? "running" : "&%%B%%&stopped");
        sprintf(szExpected, "Line %03d motor %d %s, 50&%%%% load\n", i, i, i % 7 ? "running" : "stopped");
        text += i % 30 ? szLine : "\r\n";
        expected += i % 30 ? szExpected : "";
    }
    harness::WriteFileBytes(dir + "known.txt", text);
    harness::WriteFileBytes(dir + "expected.txt", expected);
    // Wine's spooler writes over an existing file without cutting it short.
    std::string output = dir + "known.ps";
    DeleteFileA(output.c_str());

    HDC hdc = CreateDCA(NULL, szPrinter, NULL, NULL);
    ASSERT_TRUE(hdc != NULL);
    EXPECT_EQ(GetDeviceCaps(hdc, TECHNOLOGY), DT_RASPRINTER);
    CDC dc;
    dc.Attach(hdc);
    CStdioFile file;
    ASSERT_TRUE(file.Open((dir + "known.txt").c_str(), CFile::modeRead | CFile::shareDenyWrite));
    CPrintInfo info;
    CPagePrinter printer;
    ASSERT_TRUE(printer.OnBeginPrinting(&dc, &info, &file));
    ASSERT_GE(info.GetMaxPage(), 2u);

    DOCINFOA di = { sizeof(di), "known text", output.c_str(), NULL, 0 };
    ASSERT_GT(StartDocA(hdc, &di), 0);
    for (info.m_nCurPage = 1; info.m_nCurPage <= info.GetMaxPage(); ++info.m_nCurPage) {
        EXPECT_GT(StartPage(hdc), 0);
        EXPECT_TRUE(printer.PrintOnePage(&dc, &info, TRUE));
        EXPECT_EQ(info.m_bContinuePrinting, info.m_nCurPage < info.GetMaxPage());
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    printer.OnEndPrinting(&dc, &info);
    dc.Detach();
    DeleteDC(hdc);
    file.Close();
    harness::WriteFileBytes(dir + "pages.txt", std::to_string(info.GetMaxPage()) + "\n");
}

// The printers Wine lists, one a line: run by run-printer.sh once the scheduler has gone.
BEX_CHILD(printers)
{
    DWORD cb = 0, nPrinters = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 4, NULL, 0, &cb, &nPrinters);
    std::vector<BYTE> buf(cb + 1);
    if (EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 4, buf.data(), cb, &cb, &nPrinters))
        for (DWORD i = 0; i < nPrinters; ++i)
            printf("%s\n", ((PRINTER_INFO_4A*)buf.data())[i].pPrinterName);
}
