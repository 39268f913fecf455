// Every name of qeltacore and qeltanum that the controls, the maps and the chemistry bind, used once
// with the argument types they pass (references where they read a result back). Each use goes through
// Fn<signature>(&name) or Mem<class, signature>(&class::name), which compiles only while the export
// has exactly that signature; compiled in the numerics tests and in the consumer project (installed
// headers only), so neither a lost export nor a changed signature goes unnoticed.

#include "ServiceBindings.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"
#include "Qelta_datatable.h"
#include "Qelta_dstruct.h"
#include "Qelta_filesys.h"
#include "Qelta_math1.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_sline.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "Qelta_univconst.h"
#include "Qelta_vector.h"
#include "Streams.h"
#include "TextFiles.h"

namespace qelta::bindings {
namespace {

/// The routine as a pointer of exactly the type Sig (overloads resolve to it, nothing else converts).
template <typename Sig>
constexpr Sig* Fn(Sig* f) {
  return f;
}
/// The member as a pointer of exactly the type Sig of class C (members of a base class included).
template <typename C, typename Sig>
constexpr Sig C::*Mem(Sig C::*m) {
  return m;
}

// Each use counts one name: CALL(name, signature)(arguments...), CALLM(object, Class, name, signature)(...).
#define CALL(name, ...) (++names, Fn<__VA_ARGS__>(&name))
#define CALLM(object, Class, name, ...) ((object).*(++names, Mem<Class, __VA_ARGS__>(&Class::name)))

// [SECTION] types the Parts above name (ordinals are stored in their files)

static_assert(std::is_base_of_v<Exception, EQeltaError>);
static_assert(std::is_same_v<std::underlying_type_t<TFrameStyle>, uint8_t> && fsEngraved == 5);
static_assert(csSystem == 1 && bfTile == 2 && dsBoth == 3 && dfNumeric == 3 && dirRightward == 3);
static_assert(lgSpanish == 4 && loXORNot == 5 && maRotZOnly == 14 && msFinished == 3 && orHoriz == 1);
static_assert(vaBottom == 2 && zsDrawWin == 1 && stRatio == 4);
static_assert(std::is_same_v<TDoubleArray, std::vector<double>>);
static_assert(std::is_same_v<decltype(uc_MaxDouble), const Extended> && uc_MaxDouble == Extended(1.7e308));
static_assert(std::is_same_v<decltype(uc_MinDouble), const Extended> && uc_MinDouble > 0);
static_assert(std::is_same_v<decltype(TRectDouble::Left), double> &&
              std::is_same_v<decltype(TRectDouble::Bottom), double>);
static_assert(std::is_same_v<TOnPercentDoneEvent, std::function<void(TObject*, int)>>);
static_assert(std::is_same_v<TZoomPanEvent, std::function<void(TObject*)>>);
static_assert(std::is_same_v<TSortExchgEvent, std::function<void(TObject*, uint8_t, int, int, int, int)>>);
static_assert(std::is_same_v<TBeforeSortExchgEvent, std::function<void(TObject*, const String&, String&)>>);
static_assert(std::is_same_v<TDataTableResizeEvent, std::function<void(TObject*, int, int, int, int)>>);
static_assert(std::is_same_v<decltype(TStringArray::OnChange), TNotifyEvent>);
static_assert(std::is_same_v<decltype(TStringArray::OnPercentDone), TOnPercentDoneEvent>);
static_assert(std::is_same_v<decltype(TStringArray::OnBeforeSortExchange), TBeforeSortExchgEvent>);
static_assert(std::is_same_v<decltype(TDataTable::NumericData), TMatrix*>);
static_assert(std::is_same_v<decltype(TDataTable::OnChange), TNotifyEvent>);
static_assert(std::is_same_v<decltype(TDataTable::OnChangeSetup), TNotifyEvent>);
static_assert(std::is_same_v<decltype(TDataTable::OnResize), TDataTableResizeEvent>);
static_assert(std::is_same_v<decltype(TDataTable::OnSortExchange), TSortExchgEvent>);

// [SECTION] foundation

int BindTextRoutines() {
  int names = 0;
  int pos = 1;
  CALL(ScanDecimal, int32_t(const String&, int&))(u" -42", pos);
  pos = 1;
  CALL(ScanHex, int32_t(const String&, int&))(u"$1F", pos);
  pos = 1;
  CALL(ScanFPNum, double(const String&, bool, int, int&))(u"1.5E3", true, 3, pos);
  CALL(BoolToStr, String(bool, int))(true, 2);
  CALL(EnsureTrailingChar, String(Char, const String&))(u'\\', u"dir");
  CALL(LeftString, String(const String&, int))(u"ab", 4);
  CALL(NumberedPos, int(const String&, const String&, int, int, bool))(u"ab", u"xabyab", 1, 2, false);
  CALL(ReduceStringToFN83CompliantChars, String(const String&))(u"a b");
  CALL(RemoveControlChars, String(const String&))(u"a\tb");
  CALL(ReplaceCharInString, String(const String&, Char, Char))(u"a,b", u',', u'.');
  CALL(strff, String(Extended, int, int))(3.14159L, 8, 2);
  CALL(StringIx, int(const String&, const std::vector<String>&))(u"b", {u"a", u"b"});
  CALL(StripLTBlanks, String(const String&))(u" a ");
  TOpenStringArray parts;
  CALL(Tokenize, int(const String&, Char, TOpenStringArray&))(u"a;b", u';', parts);
  CALL(StripExtension, String(const String&))(u"dir/name.ext");
  CALL(StripPath, String(const String&))(u"dir/name.ext");
  CALL(InventPassword, String(int))(8);
  // The name tables, [language][1..12] and [language][1..7] from Monday (exported data).
  static_assert(std::is_same_v<decltype(MonthLong), const TLanguageTable<13>> &&
                std::is_same_v<decltype(MonthShort), const TLanguageTable<13>> &&
                std::is_same_v<decltype(WeekDayLong), const TLanguageTable<8>> &&
                std::is_same_v<decltype(WeekDayShort), const TLanguageTable<8>>);
  const bool filled = !MonthLong[lgEnglish][1].empty() && !MonthShort[lgGerman][12].empty() &&
                      !WeekDayLong[lgFrench][7].empty() && !WeekDayShort[lgSpanish][1].empty();
  return names + (filled ? 4 : 0);
}

int BindStreamsAndFiles(const std::string& scratchDir) {
  int names = 0;
  const String file = Utf8ToString(scratchDir + "/bindings.txt");
  CALL(AppendToTextFile, void(const String&, const String&))(file, u"<item id=\"1\">x</item>");
  TMemoryStream stream;
  CALL(WriteLnStream, void(TStream&, const String&))(stream, u"<item id=\"1\">x</item>");
  stream.SetPosition(0);
  bool endOfStream = false;
  CALL(ReadLnStream, String(TStream&, bool&, int))(stream, endOfStream, 0);
  stream.SetPosition(0);
  const std::vector<String> tags = {u"item", u"/item", u"?"};
  String attributes, content;
  CALL(ReadNextTagInStream, int(TStream&, const std::vector<String>&, String&, String&))(stream, tags, attributes,
                                                                                        content);
  TextFile text;
  AssignFile(text, file);
  Reset(text);
  CALL(ReadNextTagInTextFile, int(TextFile&, const std::vector<String>&, String&, String&))(text, tags, attributes,
                                                                                           content);
  CloseFile(text);
  CALL(ScanForXMLAttrib, String(const String&, const String&))(u"id=\"1\"", u"ID");
  return names;
}

int BindDrawingAndColours() {
  int names = 0;
  TBitmap bitmap(16, 16);
  CALL(DrawFrame, void(TCanvas*, TFrameStyle, int, int, int, int, TColor, TColor, TColor, TColor, TColor))(
      bitmap.Canvas(), fsLowered, 0, 0, 15, 15, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x000000);
  CALL(DrawMarkOnCanvas, void(TCanvas*, uint8_t, int, int))(bitmap.Canvas(), 3, 8, 8);
  CALL(InterpolateColor, TColor(TColor, TColor, double))(0x0A, 0x00, 0.55);
  CALL(MeanColor, TColor(TColor, TColor))(0xFF, 0x00);
  return names + (PredefinedColors[47] == clWindowText ? 1 : 0);
}

int BindContainers() {
  int names = 0;
  TBitFld bits(nullptr);
  CALLM(bits, TBitFld, SetSize, void(int))(2000);
  CALLM(bits, TBitFld, SetBit, void(int, bool))(1000, true);
  CALLM(bits, TBitFld, GetBit, bool(int) const)(1000);
  CALLM(bits, TBitFld, FirstTrueBit, int() const)();
  CALLM(bits, TBitFld, CountTrueBits, int() const)();
  CALLM(bits, TBitFld, Clear, void())();

  TStringArray cells(nullptr);
  cells.OnChange = [](TObject*) {};
  cells.OnPercentDone = [](TObject*, int) {};
  cells.OnBeforeSortExchange = [](TObject*, const String& in, String& out) { out = in; };
  names += 3;
  CALLM(cells, TStringArray, SetAllocRowsBy, void(int))(20);
  CALLM(cells, TStringArray, AllocRowsBy, int() const)();
  CALLM(cells, TStringArray, Resize, bool(int, int))(2, 3);
  CALLM(cells, TStringArray, NrOfColumns, int() const)();
  CALLM(cells, TStringArray, NrOfRows, int() const)();
  CALLM(cells, TStringArray, SetString, void(int, int, std::string_view))(1, 1, "3,5");
  CALLM(cells, TStringArray, GetString, AnsiString(int, int) const)(1, 1);
  CALLM(cells, TStringArray, GetAsNumber, Extended(int, int) const)(1, 1);
  CALLM(cells, TStringArray, SetColAttrib, void(int, uint8_t))(1, 7);
  CALLM(cells, TStringArray, GetColAttrib, uint8_t(int) const)(1);
  CALLM(cells, TStringArray, SetRowAttrib, void(int, uint8_t))(1, 7);
  CALLM(cells, TStringArray, GetRowAttrib, uint8_t(int) const)(1);
  CALLM(cells, TStringArray, Sort, void(int, int, bool))(1, 0, true);
  CALLM(cells, TStringArray, GetSortOrder, int(int) const)(1);
  CALLM(cells, TStringArray, SetSortOrder, void(int, int))(1, 1);
  CALLM(cells, TStringArray, CommitSorting, void())();
  CALLM(cells, TStringArray, UnSort, void())();
  CALLM(cells, TStringArray, InsertRow, void(int))(1);
  CALLM(cells, TStringArray, RemoveRow, void(int))(1);
  String key;
  CALLM(cells, TStringArray, BeforeSortExchange, void(const String&, String&))(u"a", key);
  CALLM(cells, TStringArray, Clear, void())();
  return names;
}

// [SECTION] numerics

int BindScalarsAndText() {
  int names = 0;
  CALL(AngleToXAxis, double(double, double))(-1.0, 0.0);
  CALL(BRandom, bool(double))(1.0);
  Extended first = 0, distance = 0;
  uint16_t subTicks = 0;
  CALL(CalcScalePars, void(int, Extended, Extended, Extended&, Extended&, uint16_t&))(5, 0, 10, first, distance,
                                                                                      subTicks);
  CALL(Round125, double(double))(3.0);
  CALL(Decimal, String(int, int))(-42, 4);
  CALL(Hex, String(int, int))(255, 4);
  CALL(Octal, String(int, int))(8, 3);
  CALL(Bin, String(int, int))(5, 0);
  CALL(DegreeToStr, String(double, TDegreeFormat, int))(12.5, dfDegMin, 1);
  CALL(IsValidDecInt, bool(const String&))(u"-12");
  int error = 0;
  CALL(ScanDateTime, TDateTime(const String&, const String&, TLanguage, int&))(u"24.12.2023", u"dd.MM.yyyy",
                                                                               lgEnglish, error);
  int a = 1, b = 2;
  double x = 1, y = 2;
  CALL(ExChange, void(int32_t&, int32_t&))(a, b);
  CALL(ExChange, void(double&, double&))(x, y);
  return names + (String(MScaleTypeNames[stNominal]) == u"Nominal" ? 1 : 0);
}

int BindArraysAndGeometry() {
  int names = 0;
  std::array<int32_t, 4> ints = {3, 1, 2, 0};
  std::array<double, 4> doubles = {1, 2, 3, 4};
  CALL(SortArray, void(std::span<int32_t>, int, bool))(ints, 3, true);
  CALL(InsertIntoArray, void(std::span<int32_t>, int, int32_t, int))(ints, 3, 9, 1);
  CALL(SortIntoArray, int(std::span<double>, int, double, bool, bool))(doubles, 3, 2.5, true, false);
  CALL(SphereGreatCircleDist, double(double, double, double, double, double))(6371, 0, 0, 0, 90);

  TSLine line(nullptr);
  CALLM(line, TSLine, LineFrom2Points, bool(double, double, double, double))(0, 5, 1, 5);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  CALLM(line, TSLine, ClipBox, bool(double, double, double, double, double&, double&, double&, double&))(
      0, 0, 10, 10, x1, y1, x2, y2);

  TCurveFit fit(nullptr);
  CALLM(fit, TCurveFit, Init, void())();
  CALLM(fit, TCurveFit, EnterStatValue, void(double, double))(1, 1);
  fit.EnterStatValue(2, 4);
  fit.EnterStatValue(4, 16);
  double k = 0, d = 0, k2 = 0, quality = 0;
  CALLM(fit, TCurveFit, CalcLinFit, void(double&, double&, double&) const)(k, d, quality);
  CALLM(fit, TCurveFit, CalcParabolFit, void(double&, double&, double&, double&) const)(k, d, k2, quality);
  int count = 0;
  double mx = 0, my = 0, sx = 0, sy = 0, md = 0, sd = 0, r = 0;
  CALLM(fit, TCurveFit, CalcStatistics,
        void(int&, double&, double&, double&, double&, double&, double&, double&) const)(count, mx, my, sx, sy, md,
                                                                                        sd, r);
  return names;
}

int BindMatricesAndVectors() {
  int names = 0;
  TMatrix design(nullptr);
  CALLM(design, TMatrix, Resize, bool(int, int))(2, 3);
  CALLM(design, TMatrix, Fill, void(double))(1.0);
  CALLM(design, TMatrix, SetVal, void(int, int, double))(2, 1, 0.0);
  CALLM(design, TMatrix, GetVal, double(int, int) const)(2, 1);
  CALLM(design, TMatrix, NrOfColumns, int() const)();
  CALLM(design, TMatrix, NrOfRows, int() const)();
  TMatrix copy(nullptr);
  CALLM(copy, TMatrix, Clone, void(const TMatrix*))(&design);

  TVector rhs(nullptr), solution(nullptr), errors(nullptr);
  CALLM(rhs, TVector, SetVecSize, void(int))(3);
  CALLM(rhs, TVector, SetVal, void(int, double))(1, 1.0);
  CALLM(rhs, TVector, GetVal, double(int) const)(1);
  solution.SetVecSize(2);
  errors.SetVecSize(2);
  bool reduced = false;
  CALL(SvdLeastSquares, bool(TMatrix*, const TVector*, TVector*, bool&, TVector*))(&design, &rhs, &solution, reduced,
                                                                                 &errors);

  CALL(CalcPrincComp, bool(const TMatrix*, int, int, int, int, int, bool))(&copy, 1, 2, 1, 3, 1, true);
  CalcPrincComp(&copy, 1, 2, 1, 3, 1);  // the short form scales the eigenvalues
  CALL(GetEigenResult, double(int, int))(1, 0);

  TIntMatrix holidays(nullptr);
  CALLM(holidays, TIntMatrix, Resize, bool(int, int))(12, 31);
  CALLM(holidays, TIntMatrix, SetNRows, void(int))(30);
  CALLM(holidays, TIntMatrix, SetVal, void(int, int, int32_t))(1, 1, 5);
  CALLM(holidays, TIntMatrix, GetVal, int32_t(int, int) const)(1, 1);
  CALLM(holidays, TIntMatrix, NrOfColumns, int() const)();
  CALLM(holidays, TIntMatrix, NrOfRows, int() const)();
  return names;
}

int BindDataTable() {
  int names = 0;
  TDataTable table(nullptr);
  table.OnChange = [](TObject*) {};
  table.OnChangeSetup = [](TObject*) {};
  table.OnResize = [](TObject*, int, int, int, int) {};
  table.OnSortExchange = [](TObject*, uint8_t, int, int, int, int) {};
  table.NumericData->SetVal(1, 1, 0.0);
  names += 5;
  CALLM(table, TDataTable, Resize, void(int, int))(3, 4);
  CALLM(table, TDataTable, NrOfColumns, int() const)();
  CALLM(table, TDataTable, NrOfRows, int() const)();
  CALLM(table, TDataTable, SetElem, void(int, int, double))(1, 1, 2.5);
  CALLM(table, TDataTable, GetElem, double(int, int) const)(1, 1);
  CALLM(table, TDataTable, SetCellState, void(int, int, uint8_t))(1, 1, 0x40);
  CALLM(table, TDataTable, GetCellState, uint8_t(int, int) const)(1, 1);
  CALLM(table, TDataTable, GetIsNumber, bool(int, int) const)(1, 1);
  CALLM(table, TDataTable, FillMarkedCells, int(double, uint8_t))(1.0, 0x40);
  CALLM(table, TDataTable, InvertCellStates, void(uint8_t))(0x80);
  CALLM(table, TDataTable, ExchangeMarkings, void())();
  CALLM(table, TDataTable, UnmarkAllCells, void())();
  CALLM(table, TDataTable, SetColAttrib, void(int, uint8_t))(1, 3);
  CALLM(table, TDataTable, GetColAttrib, uint8_t(int) const)(1);
  CALLM(table, TDataTable, SetRowAttrib, void(int, uint8_t))(1, 3);
  CALLM(table, TDataTable, GetRowAttrib, uint8_t(int) const)(1);
  CALLM(table, TDataTable, SetColName, void(int, const TDTNameStr&))(1, "mass");
  CALLM(table, TDataTable, GetColName, TDTNameStr(int) const)(1);
  CALLM(table, TDataTable, SetRowName, void(int, const TDTNameStr&))(1, "probe");
  CALLM(table, TDataTable, GetRowName, TDTNameStr(int) const)(1);
  CALLM(table, TDataTable, GetMScaleType, TMScaleType(int) const)(1);
  CALLM(table, TDataTable, GetNominalID, TNominalIDStr(int, int) const)(1, 1);
  CALLM(table, TDataTable, OrdinalOfNominalID, int(int, const TNominalIDStr&, bool) const)(1, "low", true);
  CALLM(table, TDataTable, SetFComment, void(const String&))(u"comment");
  CALLM(table, TDataTable, Comment, const String&() const)();
  CALLM(table, TDataTable, InsertRow, void(int))(1);
  CALLM(table, TDataTable, InsertColumn, void(int))(1);
  CALLM(table, TDataTable, RemoveRow, void(int))(1);
  CALLM(table, TDataTable, RemoveColumn, void(int))(1);
  CALLM(table, TDataTable, MirrorColumns, void())();
  CALLM(table, TDataTable, MirrorRows, void())();
  CALLM(table, TDataTable, Clear, void())();
  return names;
}

#undef CALL
#undef CALLM

}  // namespace

int BindFoundationServices(const std::string& ScratchDir) {
  return BindTextRoutines() + BindStreamsAndFiles(ScratchDir) + BindDrawingAndColours() + BindContainers();
}

int BindNumericsServices() {
  return BindScalarsAndText() + BindArraysAndGeometry() + BindMatricesAndVectors() + BindDataTable();
}

}  // namespace qelta::bindings
