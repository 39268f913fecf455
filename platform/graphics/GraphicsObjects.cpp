// Pens, brushes and fonts, and the canvas call trace.
//
// Each setter follows one pattern: record the call in an attached trace (every call, so a test can
// count how often drawing code sets a property), compare, store, fire OnChange on a real change.
// The brush keeps two habits of the classic platform that drawing code relies on: a colour makes a
// clear brush solid, and bsClear resets the colour to white. TFont stores Height and derives Size,
// Size = -MulDiv(Height, 72, PixelsPerInch), so a font moved to another device keeps its pixel height.

#include <cstdio>

#include "Encoding.h"
#include "Graphics.h"
#include "Math.h"

namespace qelta {
namespace {

int64_t StyleBits(TFontStyles s) {
  int64_t bits = 0;
  for (TFontStyle f : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (s.Contains(f)) bits |= int64_t(1) << f;
  return bits;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// TGraphicsObject

void TGraphicsObject::Record(const char* property, int64_t value, const String& text) {
  if (FTrace == nullptr) return;
  FTrace->Add(TCanvasTraceRecord{std::string(FTraceName) + "." + property, {value}, text});
}

void TGraphicsObject::FireChange() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------------------
// TPen

void TPen::SetColor(TColor value) {
  Record("Color", value);
  if (value == FColor) return;
  FColor = value;
  FireChange();
}

void TPen::SetWidth(int value) {
  Record("Width", value);
  if (value < 0 || value == FWidth) return;
  FWidth = value;
  FireChange();
}

void TPen::SetStyle(TPenStyle value) {
  Record("Style", value);
  if (value == FStyle) return;
  FStyle = value;
  FireChange();
}

void TPen::SetMode(TPenMode value) {
  Record("Mode", value);
  if (value == FMode) return;
  FMode = value;
  FireChange();
}

void TPen::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TPen*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  Record("Assign", 0);
  const bool same = FColor == src->FColor && FWidth == src->FWidth && FStyle == src->FStyle && FMode == src->FMode;
  FColor = src->FColor;
  FWidth = src->FWidth;
  FStyle = src->FStyle;
  FMode = src->FMode;
  if (!same) FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TBrush

void TBrush::SetColor(TColor value) {
  Record("Color", value);
  const bool unclear = FStyle == bsClear;
  if (value == FColor && !unclear) return;
  if (unclear) FStyle = bsSolid;
  FColor = value;
  FireChange();
}

void TBrush::SetStyle(TBrushStyle value) {
  Record("Style", value);
  const TColor color = value == bsClear ? clWhite : FColor;
  if (value == FStyle && color == FColor) return;
  FStyle = value;
  FColor = color;
  FireChange();
}

void TBrush::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TBrush*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  Record("Assign", 0);
  const bool same = FColor == src->FColor && FStyle == src->FStyle;
  FColor = src->FColor;
  FStyle = src->FStyle;
  if (!same) FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TFont

void TFont::SetName(const String& value) {
  Record("Name", 0, value);
  if (value.empty() || value == FName) return;
  FName = value;
  FireChange();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) {
  Record("Size", points);
  StoreHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(int value) {
  Record("Height", value);
  StoreHeight(value);
}

void TFont::StoreHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  FireChange();
}

void TFont::SetPixelsPerInch(int value) {
  Record("PixelsPerInch", value);
  if (value < 1 || value == FPixelsPerInch) return;
  FPixelsPerInch = value;
  FireChange();
}

void TFont::SetColor(TColor value) {
  Record("Color", value);
  if (value == FColor) return;
  FColor = value;
  FireChange();
}

void TFont::SetStyle(TFontStyles value) {
  Record("Style", StyleBits(value));
  if (value == FStyle) return;
  FStyle = value;
  FireChange();
}

void TFont::SetOrientation(int value) {
  Record("Orientation", value);
  if (value == FOrientation) return;
  FOrientation = value;
  FireChange();
}

void TFont::SetQuality(TFontQuality value) {
  Record("Quality", value);
  if (value == FQuality) return;
  FQuality = value;
  FireChange();
}

void TFont::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TFont*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  Record("Assign", 0, src->FName);
  const int height = src->FPixelsPerInch == FPixelsPerInch ? src->FHeight
                                                           : -MulDiv(src->Size(), FPixelsPerInch, 72);
  const bool same = FName == src->FName && FHeight == height && FColor == src->FColor && FStyle == src->FStyle &&
                    FOrientation == src->FOrientation && FQuality == src->FQuality;
  FName = src->FName;
  FHeight = height;
  FColor = src->FColor;
  FStyle = src->FStyle;
  FOrientation = src->FOrientation;
  FQuality = src->FQuality;
  if (!same) FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TCanvasTrace

int TCanvasTrace::Count(std::string_view op) const {
  int n = 0;
  for (const auto& r : FRecords) n += r.Op == op ? 1 : 0;
  return n;
}

std::vector<TCanvasTraceRecord> TCanvasTrace::Find(std::string_view op) const {
  std::vector<TCanvasTraceRecord> found;
  for (const auto& r : FRecords)
    if (r.Op == op) found.push_back(r);
  return found;
}

std::string TCanvasTrace::Text() const {
  std::string out;
  for (const auto& r : FRecords) {
    out += r.Op;
    for (size_t i = 0; i < r.Args.size(); ++i) {
      out += i == 0 ? ' ' : ',';
      out += std::to_string(r.Args[i]);
    }
    if (!r.Text.empty()) {
      out += " \"";
      out += StringToUtf8(r.Text);
      out += '"';
    }
    out += '\n';
  }
  return out;
}

}  // namespace qelta
