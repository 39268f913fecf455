#pragma once
// The headless printer. A document is a series of pages; each page is a white 600 dpi bitmap of the
// paper size (A4 portrait by default) that the printer's canvas draws on between BeginDoc and EndDoc.
// Pages are kept as PNG data and written when the document ends, as
// OutputFolder/<Title>-<page>.png (Title reduced to letters, digits, " _.-"; "document" when empty;
// pages numbered from 001). Abort drops them. The canvas is one object for the process, so code can
// recognise it by identity (Printer()->Canvas() == canvas); its font measures at 600 pixels per inch.
// Outside a document the canvas has no page: drawing does nothing, measuring text works.
// Does not implement: real printers, printer selection, copies, collation, print dialogs.

#include <memory>
#include <vector>

#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Refused printer operations: "Printing in progress", "Printer is not currently printing".
QELTA_DECLARE_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

class TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;

  // -- documents
  /// Starts a document with a blank first page; raises EPrinter while printing.
  void BeginDoc();
  /// Finishes the page and starts a blank one; raises EPrinter when not printing.
  void NewPage();
  /// Finishes the document and writes its pages, all of them or none (a failure keeps the page files
  /// of the last document as they were); raises EPrinter when not printing, EFCreateError or
  /// EWriteError when a file cannot be written (the document is over either way).
  void EndDoc();
  /// Drops the document; nothing is written.
  void Abort();

  // -- properties
  TCanvas* Canvas() const { return FCanvas.get(); }
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  /// 1-based number of the current page; 0 outside a document.
  int PageNumber() const { return FPrinting ? static_cast<int>(FPages.size()) + 1 : 0; }
  /// Page size in pixels at 600 dpi.
  int PageWidth() const;
  int PageHeight() const;
  int PixelsPerInch() const { return 600; }
  /// Paper size in millimetres (portrait); sizes below 1 mm or with pages over 2^28 pixels (larger than
  /// A2) are ignored; raises EPrinter while printing.
  void SetPaperSize(double widthMM, double heightMM);
  TPrinterOrientation Orientation() const { return FOrientation; }
  /// Raises EPrinter while printing.
  void SetOrientation(TPrinterOrientation value);
  const String& Title() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }
  /// Folder the pages go to (created when missing); default: <temp>/qelta-printer.
  const String& OutputFolder() const { return FOutputFolder; }
  void SetOutputFolder(const String& value) { FOutputFolder = value; }
  /// The files written by the last EndDoc.
  const std::vector<String>& PageFiles() const { return FPageFiles; }

 private:
  void CheckIdle() const;
  void CheckPrinting() const;
  void StartPage();
  void FinishPage();

  std::unique_ptr<TCanvas> FCanvas;
  std::vector<uint32_t> FPage;
  std::vector<std::vector<uint8_t>> FPages;  // finished pages, PNG data
  std::vector<String> FPageFiles;
  String FTitle;
  String FOutputFolder;
  double FPaperWidthMM = 210;
  double FPaperHeightMM = 297;
  TPrinterOrientation FOrientation = poPortrait;
  bool FPrinting = false;
  bool FAborted = false;
};

/// The process's printer.
TPrinter* Printer();

}  // namespace qelta

QELTA_PUBLIC_END
