// Pens, brushes and fonts, and the canvas call trace.
//
// Each setter follows one pattern: compare, store, record in an attached trace, fire OnChange once.
// The brush keeps two habits of the classic platform that drawing code relies on: a colour makes a
// clear brush solid, and bsClear resets the colour to white. TFont stores Height and derives Size,
// Size = -MulDiv(Height, 72, PixelsPerInch), so a font moved to another device keeps its pixel height.

#include <cstdio>

#include "Encoding.h"
#include "Graphics.h"

namespace qelta {
namespace {

// Integer a * b / c rounded half away from zero; -1 for c = 0 (the classic MulDiv).
int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t num = int64_t(a) * b;
  const int64_t den = c;
  const bool negative = (num < 0) != (den < 0);
  const int64_t n = num < 0 ? -num : num, d = den < 0 ? -den : den;
  const int64_t q = (2 * n + d) / (2 * d);
  return static_cast<int>(negative ? -q : q);
}

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

void TGraphicsObject::Changed(const char* property, int64_t value, const String& text) {
  Record(property, value, text);
  FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TPen

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed("Color", value);
}

void TPen::SetWidth(int value) {
  if (value < 0 || value == FWidth) return;
  FWidth = value;
  Changed("Width", value);
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed("Style", value);
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed("Mode", value);
}

void TPen::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TPen*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  bool any = false;
  auto take = [&](auto& field, auto value, const char* name) {
    if (field == value) return;
    field = value;
    Record(name, static_cast<int64_t>(value));
    any = true;
  };
  take(FColor, src->FColor, "Color");
  take(FWidth, src->FWidth, "Width");
  take(FStyle, src->FStyle, "Style");
  take(FMode, src->FMode, "Mode");
  if (any) FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TBrush

void TBrush::SetColor(TColor value) {
  const bool unclear = FStyle == bsClear;
  if (value == FColor && !unclear) return;
  if (unclear) { FStyle = bsSolid; Record("Style", bsSolid); }
  if (value != FColor) { FColor = value; Record("Color", value); }
  FireChange();
}

void TBrush::SetStyle(TBrushStyle value) {
  const TColor color = value == bsClear ? clWhite : FColor;
  if (value == FStyle && color == FColor) return;
  if (value != FStyle) { FStyle = value; Record("Style", value); }
  if (color != FColor) { FColor = color; Record("Color", color); }
  FireChange();
}

void TBrush::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TBrush*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  bool any = false;
  if (FColor != src->FColor) { FColor = src->FColor; Record("Color", FColor); any = true; }
  if (FStyle != src->FStyle) { FStyle = src->FStyle; Record("Style", FStyle); any = true; }
  if (any) FireChange();
}

// ---------------------------------------------------------------------------------------------------------
// TFont

void TFont::SetName(const String& value) {
  if (value.empty() || value == FName) return;
  FName = value;
  Changed("Name", 0, value);
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, FPixelsPerInch, 72)); }

void TFont::SetHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed("Height", value);
}

void TFont::SetPixelsPerInch(int value) {
  if (value < 1 || value == FPixelsPerInch) return;
  FPixelsPerInch = value;
  Changed("PixelsPerInch", value);
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed("Color", value);
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed("Style", StyleBits(value));
}

void TFont::SetOrientation(int value) {
  if (value == FOrientation) return;
  FOrientation = value;
  Changed("Orientation", value);
}

void TFont::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TFont*>(Source);
  if (src == nullptr) return TPersistent::Assign(Source);
  const int height = src->FPixelsPerInch == FPixelsPerInch ? src->FHeight
                                                           : -MulDiv(src->Size(), FPixelsPerInch, 72);
  bool any = false;
  if (FName != src->FName) { FName = src->FName; Record("Name", 0, FName); any = true; }
  if (FHeight != height) { FHeight = height; Record("Height", FHeight); any = true; }
  if (FColor != src->FColor) { FColor = src->FColor; Record("Color", FColor); any = true; }
  if (!(FStyle == src->FStyle)) { FStyle = src->FStyle; Record("Style", StyleBits(FStyle)); any = true; }
  if (FOrientation != src->FOrientation) { FOrientation = src->FOrientation; Record("Orientation", FOrientation); any = true; }
  if (any) FireChange();
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
    if (!r.Text.empty()) out += " \"" + StringToUtf8(r.Text) + "\"";
    out += "\n";
  }
  return out;
}

}  // namespace qelta
