// The headless printer: 600 dpi page bitmaps kept as PNG data until the document ends.

#include "Printers.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "Encoding.h"
#include "Exceptions.h"
#include "FileReplace.h"

namespace qelta {
namespace {

constexpr int kDpi = 600;

int MillimetresToPixels(double mm) { return static_cast<int>(std::nearbyint(mm / 25.4 * kDpi)); }

// Title reduced to characters that are safe in a file name.
std::string FileStem(const String& title) {
  std::string stem;
  for (char16_t ch : title) {
    const bool keep = (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
                      ch == u' ' || ch == u'_' || ch == u'.' || ch == u'-';
    stem += keep ? static_cast<char>(ch) : '_';
  }
  return stem.empty() || stem.find_first_not_of('.') == std::string::npos ? "document" : stem;
}

}  // namespace

TPrinter::TPrinter()
    : FCanvas(std::make_unique<TCanvas>()),
      FOutputFolder(Utf8ToString((std::filesystem::temp_directory_path() / "qelta-printer").string())) {
  FCanvas->SetDevicePixelsPerInch(kDpi);
  FCanvas->Font()->SetPixelsPerInch(kDpi);
  FCanvas->Font()->SetSize(8);
}

TPrinter::~TPrinter() = default;

int TPrinter::PageWidth() const {
  return MillimetresToPixels(FOrientation == poPortrait ? FPaperWidthMM : FPaperHeightMM);
}

int TPrinter::PageHeight() const {
  return MillimetresToPixels(FOrientation == poPortrait ? FPaperHeightMM : FPaperWidthMM);
}

void TPrinter::CheckIdle() const {
  if (FPrinting) throw EPrinter("Printing in progress");
}

void TPrinter::CheckPrinting() const {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
}

void TPrinter::SetPaperSize(double widthMM, double heightMM) {
  CheckIdle();
  if (!(widthMM >= 1) || !(heightMM >= 1) || widthMM > 10000 || heightMM > 10000) return;
  if (int64_t(MillimetresToPixels(widthMM)) * MillimetresToPixels(heightMM) > platform_detail::kMaxImagePixels) return;
  FPaperWidthMM = widthMM;
  FPaperHeightMM = heightMM;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  CheckIdle();
  FOrientation = value;
}

void TPrinter::StartPage() {
  FPage.assign(size_t(PageWidth()) * PageHeight(), 0xFFFFFFFFu);
  FCanvas->SetSurface({FPage.data(), PageWidth(), PageHeight(), PageWidth()});
}

void TPrinter::FinishPage() {
  FPages.push_back(platform_detail::EncodePng({PageWidth(), PageHeight(), FPage, false, 24}, false));
}

void TPrinter::BeginDoc() {
  CheckIdle();
  FPages.clear();
  FAborted = false;
  StartPage();
  FPrinting = true;
}

void TPrinter::NewPage() {
  CheckPrinting();
  FinishPage();
  StartPage();
}

void TPrinter::EndDoc() {
  CheckPrinting();
  FinishPage();
  FPrinting = false;
  FCanvas->SetSurface({});
  FPage = {};
  std::vector<std::vector<uint8_t>> pages;
  pages.swap(FPages);
  FPageFiles.clear();
  const std::filesystem::path folder(StringToUtf8(FOutputFolder));
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  TSaveGroup group;  // the pages of a document replace those of the last one all together, or not at all
  std::vector<String> files;
  for (size_t i = 0; i < pages.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "-%03u.png", static_cast<unsigned>(i + 1));
    files.push_back(Utf8ToString((folder / (FileStem(FTitle) + number)).string()));
    platform_detail::WriteFileBytes(files.back(), pages[i], &group);
  }
  if (const int e = group.Commit()) throw EWriteError(SaveFailureText(group.FailedFile(), e));
  FPageFiles = std::move(files);
}

void TPrinter::Abort() {
  CheckPrinting();
  FPrinting = false;
  FAborted = true;
  FPages.clear();
  FCanvas->SetSurface({});
  FPage = {};
}

// Never destroyed, so components released at exit (Application's forms go last) still find it.
TPrinter* Printer() {
  static auto* printer = new TPrinter();
  return printer;
}

}  // namespace qelta
