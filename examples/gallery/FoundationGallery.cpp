// Gallery of the foundation's drawing (Qelta_qeltabase): frame styles, the 52 shape marks, character
// marks, marks as bitmaps and the marks on the printer. Marks and frames are a few pixels in size, so
// each picture is drawn at its true size and saved enlarged; the labels are written afterwards at the
// enlarged size.

#include "Encoding.h"
#include "Gallery.h"
#include "Printers.h"
#include "Qelta_qeltabase.h"
#include "SysUtils.h"

namespace qelta::gallery {
namespace {

constexpr int kZoom = 4;

// The six frame styles in the colours the controls pass: highlight white, light face silver, shadow
// grey, dark shadow black and black for the simple frame.
void FrameStyles(GalleryPage& page) {
  const struct {
    TFrameStyle Style;
    const char16_t* Name;
  } styles[] = {{fsNone, u"fsNone"},         {fsSimple, u"fsSimple"},     {fsLowered, u"fsLowered"},
                {fsRaised, u"fsRaised"},     {fsEmbossed, u"fsEmbossed"}, {fsEngraved, u"fsEngraved"}};
  constexpr int kCell = 40;
  TBitmap small(6 * kCell, kCell);
  small.Canvas()->Brush()->SetColor(clSilver);
  small.Canvas()->FillRect(Rect(0, 0, small.Width(), small.Height()));
  for (int i = 0; i < 6; ++i)
    DrawFrame(small.Canvas(), styles[i].Style, i * kCell + 6, 4, (i + 1) * kCell - 7, kCell - 14, clWhite, clSilver,
              clGray, clBlack, clBlack);
  std::unique_ptr<TBitmap> big = Enlarged(small, kZoom);
  big->Canvas()->Font()->SetSize(10);
  for (int i = 0; i < 6; ++i) Label(big->Canvas(), (i * kCell + 6) * kZoom, (kCell - 11) * kZoom, styles[i].Name);
  page.Add(*big, "frame-styles.png",
           "DrawFrame in its six styles on a silver face, corners (6, 4) and (33, 26) of each cell, colours white, "
           "silver, grey, black, black. The bevels are two nested L pairs of one-pixel lines. Enlarged 4x.");
}

// All 52 shape marks in a grid, drawn at their true size in the pen colour.
void ShapeMarks(GalleryPage& page) {
  constexpr int kCols = 13, kCell = 20;
  TBitmap small(kCols * kCell, 4 * kCell);
  small.Canvas()->Pen()->SetColor(clNavy);
  small.Canvas()->Brush()->SetColor(clYellow);  // restored after every mark; open shapes show the background
  for (int mark = 0; mark < 52; ++mark)
    DrawMarkOnCanvas(small.Canvas(), uint8_t(mark), (mark % kCols) * kCell + 10, (mark / kCols) * kCell + 12);
  std::unique_ptr<TBitmap> big = Enlarged(small, kZoom);
  TCanvas* c = big->Canvas();
  c->Pen()->SetColor(RGB(215, 215, 215));
  for (int col = 1; col < kCols; ++col) DrawRectangle(c, col * kCell * kZoom, 0, col * kCell * kZoom, big->Height());
  for (int row = 1; row < 4; ++row) DrawRectangle(c, 0, row * kCell * kZoom, big->Width(), row * kCell * kZoom);
  for (int mark = 0; mark < 52; ++mark)
    Label(c, (mark % kCols) * kCell * kZoom + 3, (mark / kCols) * kCell * kZoom + 2, IntToStr(mark), clGray);
  page.Add(*big, "marks-0-51.png",
           "DrawMarkOnCanvas, marks 0 to 51 in a navy pen, each centred 2 pixels below its cell's centre. Filled "
           "shapes take the pen colour; open shapes let the background through. Enlarged 4x.");
}

// Mark numbers above 51 write one character in the canvas's font, centred on the point.
void CharacterMarks(GalleryPage& page) {
  const uint8_t marks[] = {52, 65, 88, 103, 128, 169, 176, 200, 205, 209, 215, 248};
  constexpr int kCell = 24, kCount = static_cast<int>(std::size(marks));
  TBitmap small(kCount * kCell, kCell);
  TCanvas* c = small.Canvas();
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clNavy);
  for (int i = 0; i < kCount; ++i) {
    const int x = i * kCell + kCell / 2, y = kCell / 2 + 2;
    c->Pen()->SetColor(RGB(160, 200, 255));  // the point the character is centred on
    c->MoveTo(x - 6, y);
    c->LineTo(x + 7, y);
    c->MoveTo(x, y - 6);
    c->LineTo(x, y + 7);
    DrawMarkOnCanvas(c, marks[i], x, y);
  }
  std::unique_ptr<TBitmap> big = Enlarged(small, kZoom);
  for (int i = 0; i < kCount; ++i) Label(big->Canvas(), i * kCell * kZoom + 3, 1, IntToStr(marks[i]), clGray);
  page.Add(*big, "marks-characters.png",
           "DrawMarkOnCanvas with numbers above 51: the character of that code (Windows-1252) in the canvas's font, "
           "centred on the point where the light lines cross; 200 to 209 are the digits 0 to 9. Enlarged 4x.");
}

// CreateMarkAsBitmap: the size widens the margin, the mark keeps its pixel size.
void MarkBitmaps(GalleryPage& page) {
  const struct {
    uint8_t Mark;
    int Size;
  } items[] = {{24, 0}, {24, 1}, {24, 3}, {24, 6}, {25, 3}, {43, 3}, {65, 6}, {205, 6}};
  std::vector<std::unique_ptr<TBitmap>> marks;
  int width = 4;
  for (const auto& item : items) {
    marks.push_back(CreateMarkAsBitmap(item.Mark, clMaroon, clYellow, item.Size));
    width += marks.back()->Width() + 6;
  }
  TBitmap small(width, 30);
  std::vector<int> lefts;
  for (int x = 4; const auto& mark : marks) {
    small.Canvas()->Draw(x, 2, mark.get());
    lefts.push_back(x);
    x += mark->Width() + 6;
  }
  std::unique_ptr<TBitmap> big = Enlarged(small, kZoom);
  for (size_t i = 0; i < std::size(items); ++i)
    Label(big->Canvas(), lefts[i] * kZoom, 26 * kZoom - 6,
          IntToStr(items[i].Mark) + u"/" + IntToStr(items[i].Size), clGray);
  page.Add(*big, "marks-as-bitmaps.png",
           "CreateMarkAsBitmap(mark, maroon, yellow, size), labelled mark/size: a square of side 2 * size + 7 with "
           "the mark at its centre; marks 24 at sizes 0, 1, 3 and 6, then 25, 43, 'A' and the digit 5. "
           "Enlarged 4x.");
}

// On the printer's canvas the pattern marks are drawn with lines; PrintBitmap copies a bitmap unscaled.
void PrinterMarks(GalleryPage& page) {
  TPrinter* printer = Printer();
  printer->SetOutputFolder(Utf8ToString((page.Folder() / "printer").string()));
  printer->SetTitle(u"marks");
  printer->SetPaperSize(20, 8);  // a strip of paper: 472 x 189 pixels at 600 dpi
  printer->BeginDoc();
  TCanvas* c = printer->Canvas();
  const uint8_t marks[] = {1, 2, 3, 4, 5, 6, 18, 25};
  for (int width = 1; width <= 2; ++width) {
    c->Pen()->SetWidth(width);
    for (int i = 0; i < 8; ++i) DrawMarkOnCanvas(c, marks[i], 8 + i * 14, 8 + (width - 1) * 14);
  }
  c->Pen()->SetWidth(1);
  for (int i = 0; i < 8; ++i) PrintBitmap(CreateMarkAsBitmap(marks[i], clBlack, clWhite, 0).get(), 5 + i * 14, 33);
  printer->EndDoc();
  printer->SetPaperSize(210, 297);
  TBitmap sheet, crop(116, 44);
  sheet.LoadFromFile(printer->PageFiles().at(0));
  crop.Canvas()->CopyRect(Rect(0, 0, 116, 44), sheet.Canvas(), Rect(0, 0, 116, 44));
  page.Add(*Enlarged(crop, 5), "marks-printer.png",
           "Marks 1-6, 18 and 25 on a printed page (600 dpi): drawn with lines, in a one-pixel pen (top) and a "
           "two-pixel pen (middle); below, the screen's pixel patterns sent with PrintBitmap. Enlarged 5x.");
}

}  // namespace

void FoundationGallery(GalleryPage& page) {
  page.Section("Frames and marks (qeltacore)");
  FrameStyles(page);
  ShapeMarks(page);
  CharacterMarks(page);
  MarkBitmaps(page);
  PrinterMarks(page);
}

}  // namespace qelta::gallery
