// Qelta_cform: the formula control's parsers, text, weights, comparison and painting. The mass search is in
// Qelta_cform_search.cpp.
//
// A part is read by a six-state machine over the upper-cased characters (letter A-Z, digit, separator blank,
// comma or full stop, other); "(", ")" and the end of the text end a part in every state:
//   state          letter          digit                separator   other
//   0 start        symbol -> 3     mass -> 1            stay        stay
//   1 mass         symbol -> 3     mass                 -> 2        stay
//   2 after mass   symbol -> 3     end                  stay        stay
//   3 symbol       symbol          count -> 5           -> 4        stay
//   4 after symb.  end             count -> 5           stay        stay
//   5 count        end             count                end         stay
// Counts are bytes and mass numbers 16 bits: a part whose count (times the group's multiplier) or mass number
// does not fit ends the parse instead of wrapping, and a 21st part ends it too.

#include "Qelta_cform.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "Encoding.h"
#include "Qelta_CData.h"
#include "Qelta_qeltabase.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

enum TCharClass : uint8_t { ccLetter, ccDigit, ccSeparator, ccOther };
enum TPartAction : uint8_t { paSymbol, paMass, paCount, paStay, paEnd };

struct TPartStep {
  TPartAction Action;
  uint8_t Next;
};

// Rows: states 0..5; columns: letter, digit, separator, other.
constexpr TPartStep kPartTable[6][4] = {
    {{paSymbol, 3}, {paMass, 1}, {paStay, 0}, {paStay, 0}},
    {{paSymbol, 3}, {paMass, 1}, {paStay, 2}, {paStay, 1}},
    {{paSymbol, 3}, {paEnd, 2}, {paStay, 2}, {paStay, 2}},
    {{paSymbol, 3}, {paCount, 5}, {paStay, 4}, {paStay, 3}},
    {{paEnd, 4}, {paCount, 5}, {paStay, 4}, {paStay, 4}},
    {{paEnd, 5}, {paCount, 5}, {paEnd, 5}, {paStay, 5}},
};

constexpr int kMaxCount = 255;
constexpr int kMaxMass = 65535;
constexpr int kLongestSymbol = 3;

TCharClass ClassOf(Char c) {
  if (c >= u'A' && c <= u'Z') return ccLetter;
  if (c >= u'0' && c <= u'9') return ccDigit;
  if (c == u' ' || c == u',' || c == u'.') return ccSeparator;
  return ccOther;
}

Char Upper(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }

// value * 10 + digit, held just above limit so that long digit runs cannot overflow.
int AddDigit(int value, Char digit, int limit) { return std::min(value * 10 + (digit - u'0'), limit + 1); }

// Atomic number of an upper-cased symbol ("D" is hydrogen); 0 when none.
int SymbolNumber(const String& symbol) {
  if (symbol == u"D") return 1;
  for (int z = 1; z <= MaxAtomicNumber; ++z)
    if (UpperCase(AnsiToString(CElemSymb(z))) == symbol) return z;
  return 0;
}

String SymbolText(int Z, int mass) { return Z == 1 && mass == 2 ? String(u"D") : AnsiToString(CElemSymb(Z)); }

}  // namespace

// [SECTION] construction and entries

TMolForm::TMolForm(TComponent* AOwner) : TGraphicControl(AOwner) {
  FFormulStr = u"H2O";
  AppendEntry(1, 1, 2);
  AppendEntry(8, 16, 1);
  SetBounds(Left(), Top(), 120, 28);
}

TMolForm::~TMolForm() = default;

void TMolForm::ClearEntries() {
  FBFLeng = 0;
  FAtNum = {};
  FAtWgt = {};
  FAtCnt = {};
}

bool TMolForm::AppendEntry(int Z, int mass, int count) {
  if (FBFLeng >= MaxFormulaEntries) return false;
  ++FBFLeng;
  FAtNum[FBFLeng] = static_cast<uint8_t>(Z);
  FAtWgt[FBFLeng] = static_cast<uint16_t>(mass);
  FAtCnt[FBFLeng] = static_cast<uint8_t>(count);
  return true;
}

int TMolForm::GetAtNum(int i) const { return i >= 1 && i <= FBFLeng ? FAtNum[i] : 0; }
int TMolForm::GetAtWgt(int i) const { return i >= 1 && i <= FBFLeng ? FAtWgt[i] : 0; }
int TMolForm::GetAtCnt(int i) const { return i >= 1 && i <= FBFLeng ? FAtCnt[i] : 0; }

void TMolForm::SetAtNum(int i, int Z) {
  if (i >= 1 && i <= FBFLeng && Z >= 1 && Z <= MaxAtomicNumber) FAtNum[i] = static_cast<uint8_t>(Z);
}

void TMolForm::SetAtWgt(int i, int w) {
  if (i >= 1 && i <= FBFLeng) FAtWgt[i] = static_cast<uint16_t>(w);
}

void TMolForm::SetAtCnt(int i, int c) {
  if (i >= 1 && i <= FBFLeng) FAtCnt[i] = static_cast<uint8_t>(c);
}

void TMolForm::SetNumAtoms(int n) {
  if (n >= 1 && n <= MaxFormulaEntries) FBFLeng = n;
}

TFormulaRec TMolForm::FormulaRec() const {
  TFormulaRec r;
  r.FLeng = FBFLeng;
  r.AtNum = FAtNum;
  r.AtWgt = FAtWgt;
  r.AtCnt = FAtCnt;
  return r;
}

// [SECTION] parsing

bool TMolForm::ScanNextFormPart(const String& Instring, int& index, int& AtNr, int& AtWt, int& AtNum) {
  const int len = Length(Instring);
  index = std::max(index, 1);
  String symbol;
  int mass = 0, count = 0, state = 0;
  for (; index <= len; ++index) {
    const Char c = Upper(Instring[static_cast<size_t>(index - 1)]);
    if (c == u'(' || c == u')') break;
    const TPartStep step = kPartTable[state][ClassOf(c)];
    if (step.Action == paEnd) break;
    if (step.Action == paSymbol && Length(symbol) <= kLongestSymbol) symbol += c;
    if (step.Action == paMass) mass = AddDigit(mass, c, kMaxMass);
    if (step.Action == paCount) count = AddDigit(count, c, kMaxCount);
    state = step.Next;
  }
  const int Z = Length(symbol) <= kLongestSymbol ? SymbolNumber(symbol) : 0;
  if (Z == 0 || count > kMaxCount || mass > kMaxMass) return false;
  AtNr = Z;
  AtWt = mass != 0 ? mass : symbol == u"D" ? 2 : IntAtWeight(Z);
  AtNum = count != 0 ? count : 1;
  return true;
}

void TMolForm::ScanMolFormula(const String& Text) {
  ClearEntries();
  const int len = Length(Text);
  int64_t multiplier = 1;
  // The first ")" from a "(" on and the number after it stay the answer for every later "(" before
  // that ")", so the text is searched once, not once per "(" (len + 1: there is none).
  int close = 0;
  int64_t closeMultiplier = 0;
  for (int pos = 1; pos <= len;) {
    const Char c = Text[static_cast<size_t>(pos - 1)];
    if (c == u'(') {
      if (close < pos) {
        close = PosEx(u")", Text, pos);
        int after = close + 1;
        closeMultiplier = close > 0 ? ScanDecimal(Text, after) : 0;
        if (close == 0) close = len + 1;
      }
      if (close <= len) multiplier = closeMultiplier;
      ++pos;
    } else if (c == u')') {
      multiplier = 1;
      ++pos;
      ScanDecimal(Text, pos);
    } else {
      int Z = 0, mass = 0, count = 0;
      if (!ScanNextFormPart(Text, pos, Z, mass, count)) break;
      const int64_t total = count * multiplier;
      if (total < 0 || total > kMaxCount || !AppendEntry(Z, mass, static_cast<int>(total))) break;
    }
  }
  ShowIt();
}

void TMolForm::ReadFromString(const String& Instring) {
  ClearEntries();
  int pos = 1, Z = 0, mass = 0, count = 0;
  while (ScanNextFormPart(Instring, pos, Z, mass, count))
    if (!AppendEntry(Z, mass, count)) break;
  ShowIt();
}

void TMolForm::SetMolFormula(const String& Text) {
  FFormulStr = Text;
  ScanMolFormula(Text);
}

String TMolForm::AsString(int fmt) const {
  String s;
  if (FBFLeng < 1 || FBFLeng > MaxFormulaEntries) return s;
  for (int i = 1; i <= FBFLeng; ++i) {
    if (FAtNum[i] < 1 || FAtNum[i] > MaxAtomicNumber || FAtCnt[i] == 0) continue;
    if (fmt == 1) s += IntToStr(FAtWgt[i]);
    s += SymbolText(FAtNum[i], FAtWgt[i]);
    if (FAtCnt[i] > 1) s += IntToStr(FAtCnt[i]);
    s += u' ';
  }
  return s;
}

// [SECTION] weights and comparison

double TMolForm::ChemMolWgt() const {
  double sum = 0;
  for (int i = 1; i <= FBFLeng; ++i) sum += static_cast<double>(ChemAtWeight(FAtNum[i])) * FAtCnt[i];
  return sum;
}

double TMolForm::ExactMolWgt() const {
  double sum = 0;
  for (int i = 1; i <= FBFLeng; ++i) sum += static_cast<double>(ExactAtWeight(FAtNum[i])) * FAtCnt[i];
  return sum;
}

int TMolForm::NominalMolWgt() const {
  int sum = 0;
  for (int i = 1; i <= FBFLeng; ++i) sum += FAtWgt[i] * FAtCnt[i];
  return sum;
}

int TMolForm::CompareTo(const TMolForm& Other) const {
  if (FBFLeng < 1 || Other.FBFLeng < 1) return -2;
  // Both formulas hold at most 20 entries each, so 40 distinct (element, mass) pairs always fit.
  struct TBalance {
    int Z, Mass, Count;
  };
  TBalance list[2 * MaxFormulaEntries];
  int n = 0;
  auto add = [&](int Z, int mass, int count) {
    for (int k = 0; k < n; ++k)
      if (list[k].Z == Z && list[k].Mass == mass) return void(list[k].Count += count);
    list[n++] = {Z, mass, count};
  };
  for (int i = 1; i <= FBFLeng; ++i) add(FAtNum[i], FAtWgt[i], FAtCnt[i]);
  for (int i = 1; i <= Other.FBFLeng; ++i) add(Other.FAtNum[i], Other.FAtWgt[i], -Other.FAtCnt[i]);
  bool positive = false, negative = false;
  for (int k = 0; k < n; ++k) {
    positive |= list[k].Count > 0;
    negative |= list[k].Count < 0;
  }
  if (!positive && !negative) return 0;
  if (!positive) return 2;
  if (!negative) return 1;
  return -1;
}

void TMolForm::Clear() {
  FFormulStr.clear();
  ClearEntries();
  ShowIt();
}

void TMolForm::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TMolForm*>(Source);
  if (src == nullptr) return TGraphicControl::Assign(Source);
  FAlignment = src->FAlignment;
  FColorBkg = src->FColorBkg;
  FColorTxt = src->FColorTxt;
  FBFLeng = src->FBFLeng;
  FPermutCnt = src->FPermutCnt;
  FMassBForm = src->FMassBForm;
  FTolBForm = src->FTolBForm;
  FUseDeuterium = src->FUseDeuterium;
  FShowAsText = src->FShowAsText;
  FTransparent = src->FTransparent;
  FFormulStr = src->FFormulStr;
  FAtNum = src->FAtNum;
  FAtWgt = src->FAtWgt;
  FAtCnt = src->FAtCnt;
  FIsotVis = src->FIsotVis;
  FLowBForm = src->FLowBForm;
  FHighBForm = src->FHighBForm;
  ShowIt();
}

void TMolForm::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TMolForm*>(Dest)) return dest->Assign(this);
  TGraphicControl::AssignTo(Dest);
}

// [SECTION] properties

void TMolForm::ShowIt() {
  if (FTransparent) Invalidate(); else Paint();
}

void TMolForm::SetIsotopeVis(TIsotVisib value) {
  if (value == FIsotVis) return;
  FIsotVis = value;
  ShowIt();
}

void TMolForm::SetUseDeuterium(bool value) {
  if (value == FUseDeuterium) return;
  FUseDeuterium = value;
  ShowIt();
}

void TMolForm::SetShowAsText(bool value) {
  if (value == FShowAsText) return;
  FShowAsText = value;
  ShowIt();
}

void TMolForm::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  ShowIt();
}

void TMolForm::SetTransparent(bool value) {
  FTransparent = value;
  if (value) Invalidate(); else Paint();
}

void TMolForm::SetColorBkg(TColor value) {
  if (value == FColorBkg) return;
  FColorBkg = value;
  Paint();
}

void TMolForm::SetColorTxt(TColor value) {
  if (value == FColorTxt) return;
  FColorTxt = value;
  Paint();
}

// [SECTION] painting

// Writes the formula at its sizes on both canvases from x = 1; answers the x after the last text.
int TMolForm::WriteFormula(TCanvas* text, TCanvas* mask, int H, int size) const {
  const int small = static_cast<int>(std::nearbyint(size * 0.8)) + 1;
  int x = 1;
  auto write = [&](int fontSize, int y, const String& s) {
    for (TCanvas* c : {text, mask}) {
      c->Font()->SetSize(fontSize);
      c->TextOut(x, y, s);
    }
    x += text->TextWidth(s);
  };
  if (FShowAsText) {
    write(size, H / 5, FFormulStr);
    return x;
  }
  for (int i = 1; i <= FBFLeng; ++i) {
    if (FAtCnt[i] == 0) continue;
    const bool deuterium = FUseDeuterium && FAtNum[i] == 1 && FAtWgt[i] == 2;
    const bool showMass = FIsotVis == ivAlways || (FIsotVis == ivSpecial && FAtWgt[i] != IntAtWeight(FAtNum[i]));
    if (!deuterium && showMass) write(small, 0, IntToStr(FAtWgt[i]));
    write(size, H / 5, deuterium ? String(u"D") : AnsiToString(CElemSymb(FAtNum[i])));
    if (FAtCnt[i] > 1) write(small, H / 4 + small, IntToStr(FAtCnt[i]));
  }
  return x;
}

// Copies the strip (1, 1)-(x, H) of source onto dest by Alignment; a strip wider than W is cut to W.
void TMolForm::CopyStrip(TCanvas* dest, TCanvas* source, int x, int W, int H) const {
  switch (FAlignment) {
    case taLeftJustify:
      dest->CopyRect(Rect(1, 1, x, H), source, Rect(1, 1, x, H));
      break;
    case taRightJustify: {
      const int right = x;
      int left = 1;
      if (x > W) left = x - W, x = W;
      dest->CopyRect(Rect(W - x, 1, W, H), source, Rect(left, 1, right, H));
      break;
    }
    case taCenter: {
      TRect strip = Rect(1, 1, x, H);
      if (x > W) strip = Rect((x - W) / 2, 1, (x - W) / 2 + W, H), x = W;
      dest->CopyRect(Rect((W - x) / 2, 1, (W - x) / 2 + x, H), source, strip);
      break;
    }
  }
}

// Twice the height of "M" at the small size; measured again only when the font changed.
int TMolForm::FormulaHeight() {
  const int size = Font()->Size();
  const TFontStyles style = Font()->Style();
  const String key = Font()->Name() + u"/" + IntToStr(Font()->Height()) + u"/" + IntToStr(Font()->PixelsPerInch()) +
                     (style.Contains(fsBold) ? u"b" : u"") + (style.Contains(fsItalic) ? u"i" : u"");
  if (key != FHeightKey) {
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(Font());
    probe.Canvas()->Font()->SetSize(static_cast<int>(std::nearbyint(size * 0.8)) + 1);
    FHeightKey = key;
    FFormulaHeight = 2 * probe.Canvas()->TextHeight(u"M");
  }
  return FFormulaHeight;
}

void TMolForm::Paint() {
  if (!Visible()) return;
  if (const int height = FormulaHeight(); height != Height()) SetHeight(height);
  if (!Showing()) return;  // nothing to draw on: spare the bitmaps (the mass search shows every hit)
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  const int size = Font()->Size();
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0 || int64_t{W} * H > (int64_t{1} << 26)) return;
  const TColor back = FTransparent ? clBlack : FColorBkg;
  TBitmap result(W, H), text(2 * W, H), mask(2 * W, H);
  auto fill = [](TBitmap& b, TColor c) {
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(Rect(0, 0, b.Width(), b.Height()));
    b.Canvas()->Brush()->SetStyle(bsClear);
  };
  fill(result, back);
  fill(text, back);
  fill(mask, clWhite);
  text.Canvas()->SetFont(Font());
  text.Canvas()->Font()->SetColor(FColorTxt);
  mask.Canvas()->SetFont(Font());
  mask.Canvas()->Font()->SetColor(clBlack);
  const int x = WriteFormula(text.Canvas(), mask.Canvas(), H, size);
  CopyStrip(result.Canvas(), text.Canvas(), x, W, H);
  const TRect whole = Rect(0, 0, W, H);
  if (!FTransparent) {
    canvas->SetCopyMode(cmSrcCopy);
    canvas->CopyRect(whole, result.Canvas(), whole);
    return;
  }
  canvas->SetCopyMode(cmSrcAnd);
  CopyStrip(canvas, mask.Canvas(), x, W, H);
  canvas->SetCopyMode(cmSrcPaint);
  canvas->CopyRect(whole, result.Canvas(), whole);
  canvas->SetCopyMode(cmSrcCopy);
}

}  // namespace qelta
