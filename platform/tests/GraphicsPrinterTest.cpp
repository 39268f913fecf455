// The headless printer: documents, pages as PNG files, device capabilities, refusals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "Assertions.h"
#include "Encoding.h"
#include "FileReplace.h"
#include "FileTestKit.h"
#include "Printers.h"

using namespace qelta;

namespace {

// Sets up the process's printer with small paper and a private output folder.
struct PrinterSetup {
  PrinterSetup() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Folder = std::filesystem::temp_directory_path() /
             ("qelta-printer-" + std::string(info->name()) + "-" + std::to_string(getpid()));
    Printer()->SetOutputFolder(Utf8ToString(Folder.string()));
    Printer()->SetOrientation(poPortrait);
    Printer()->SetPaperSize(10, 5);  // 236 x 118 pixels
    Printer()->SetTitle(u"test");
  }
  ~PrinterSetup() {
    if (Printer()->Printing()) Printer()->Abort();
    Printer()->SetPaperSize(210, 297);
    std::filesystem::remove_all(Folder);
  }
  std::filesystem::path Folder;
};

}  // namespace

TEST(TPrinter, CanvasIsOneObjectAtSixHundredDpi) {
  PrinterSetup setup;
  TCanvas* c = Printer()->Canvas();
  EXPECT_EQ(c, Printer()->Canvas());
  EXPECT_EQ(GetDeviceCaps(c, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(c, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(c, ASPECTX), GetDeviceCaps(c, ASPECTY));
  EXPECT_EQ(c->Font()->PixelsPerInch(), 600);
  EXPECT_EQ(c->Font()->Size(), 8);
  EXPECT_GT(c->TextHeight(u"X"), 50) << "8 points at 600 dpi";
  EXPECT_EQ(Printer()->PageWidth(), 236);
  EXPECT_EQ(Printer()->PageHeight(), 118);
  Printer()->SetOrientation(poLandscape);
  EXPECT_EQ(Printer()->PageWidth(), 118);
  Printer()->SetOrientation(poPortrait);
  Printer()->SetPaperSize(210, 297);
  EXPECT_EQ(Printer()->PageWidth(), 4961);
  EXPECT_EQ(Printer()->PageHeight(), 7016);
  Printer()->SetPaperSize(841, 1189);  // A0 would need 558 million pixels: refused
  Printer()->SetPaperSize(0.5, 100);
  EXPECT_EQ(Printer()->PageWidth(), 4961);
}

TEST(TPrinter, PagesAreWrittenAsPngFilesWhenTheDocumentEnds) {
  PrinterSetup setup;
  Printer()->SetTitle(u"report: 1/2");
  Printer()->BeginDoc();
  EXPECT_TRUE(Printer()->Printing());
  EXPECT_EQ(Printer()->PageNumber(), 1);
  TCanvas* c = Printer()->Canvas();
  EXPECT_EQ(GetDeviceCaps(c, HORZRES), 236);
  c->Brush()->SetColor(clRed);
  c->Rectangle(10, 10, 50, 40);
  Printer()->NewPage();
  EXPECT_EQ(Printer()->PageNumber(), 2);
  EXPECT_EQ(c->Pixels(20, 20), clWhite) << "a new page is blank";
  EXPECT_FALSE(std::filesystem::exists(setup.Folder)) << "nothing is written before the document ends";
  Printer()->EndDoc();
  EXPECT_FALSE(Printer()->Printing());
  ASSERT_EQ(Printer()->PageFiles().size(), 2u);
  EXPECT_EQ(std::filesystem::path(StringToUtf8(Printer()->PageFiles()[0])).filename(), "report_ 1_2-001.png");
  TBitmap page;
  page.LoadFromFile(Printer()->PageFiles()[0]);
  EXPECT_EQ(page.Width(), 236);
  EXPECT_EQ(page.Height(), 118);
  EXPECT_EQ(page.Canvas()->Pixels(20, 20), clRed);
  page.LoadFromFile(Printer()->PageFiles()[1]);
  EXPECT_EQ(page.Canvas()->Pixels(20, 20), clWhite);
  c->Rectangle(0, 0, 5, 5);  // outside a document: nothing happens
}

TEST(TPrinter, RefusesOutOfOrderCallsAndAbortWritesNothing) {
  PrinterSetup setup;
  EXPECT_THROW(Printer()->NewPage(), EPrinter);
  EXPECT_THROW(Printer()->EndDoc(), EPrinter);
  EXPECT_THROW_MSG(Printer()->Abort(), EPrinter, "Printer is not currently printing");
  Printer()->BeginDoc();
  EXPECT_THROW_MSG(Printer()->BeginDoc(), EPrinter, "Printing in progress");
  EXPECT_THROW(Printer()->SetPaperSize(100, 100), EPrinter);
  Printer()->Abort();
  EXPECT_TRUE(Printer()->Aborted());
  EXPECT_FALSE(std::filesystem::exists(setup.Folder));
}

TEST(TPrinter, ADocumentThatCannotBeWrittenKeepsThePagesOfTheLastOne) {
  // Regression: the pages were written one by one over the last document's files, so a failure at
  // page 2 left a new page 1 beside an old page 2 (and a full disk a broken page).
  PrinterSetup setup;
  Printer()->BeginDoc();
  Printer()->NewPage();
  Printer()->EndDoc();
  const std::vector<String> files = Printer()->PageFiles();
  ASSERT_EQ(files.size(), 2u);
  std::vector<std::vector<uint8_t>> old;
  for (const String& f : files) old.push_back(platform_detail::ReadFileBytes(f));
  Printer()->BeginDoc();
  Printer()->Canvas()->Brush()->SetColor(clBlue);
  Printer()->Canvas()->FillRect(Rect(0, 0, 50, 50));
  Printer()->NewPage();
  {
    qelta::test::FaultyOs os;
    os.FailNth(qelta::test::OsCall::Rename, 2, EIO);  // page 2's (page 1's old file is kept under a second name)
    EXPECT_THROW_MSG(Printer()->EndDoc(), EWriteError,
                     StringToUtf8(SaveFailureText(files[1], EIO)));
  }
  EXPECT_FALSE(Printer()->Printing());
  for (size_t i = 0; i < files.size(); ++i) EXPECT_TRUE(platform_detail::ReadFileBytes(files[i]) == old[i]) << i;
  for (const auto& entry : std::filesystem::directory_iterator(setup.Folder))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}
