// Qelta_datatable: the model of TDataTable: creation, the hooks on NumericData, cells, states, names,
// attributes, scales and labels, size, insertion and removal.
//
// Resize builds every array it needs before anything changes (new columns and rows get their
// defaults there), then resizes the matrix, and only then moves the kept entries over, so a failure
// at any step leaves the table as it was and the matrix hook attached (the classic order stored the
// new counts first and left the hook detached and the arrays half-sized after a failure).
// The hook on NumericData.OnChange also keeps the table in step when the matrix is resized from
// outside (a host holding the borrowed matrix, or a caller using NumericData directly): the arrays
// take the matrix's size and OnResize fires, so states and names always cover exactly the cells.
// Deliberate deviations, each a mended fault:
//  - SetElemNominal with an empty label changes nothing (the classic search stored it in a free slot,
//    which stayed free, so a later label silently relabelled the cell); AddNominalID("") answers 0.
//  - AddNominalID on a column whose 25 slots hold labels answers 0 and changes nothing.
//  - Negative counts become 0.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "Encoding.h"
#include "Math.h"
#include "Qelta_datatable.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_stringl.h"
#include "Qelta_vecmat_internal.h"
#include "StrUtils.h"

namespace qelta {

namespace {

constexpr std::size_t kNameBytes = 50;
constexpr std::size_t kLabelBytes = 10;
constexpr int kLabels = 25;

TDTNameStr CutName(const TDTNameStr& s) { return s.size() > kNameBytes ? s.substr(0, kNameBytes) : s; }
TNominalIDStr CutLabel(const TNominalIDStr& s) { return s.size() > kLabelBytes ? s.substr(0, kLabelBytes) : s; }

/// A-Z folded to a-z, other bytes unchanged.
char LowerAZ(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameLabel(const TNominalIDStr& a, const TNominalIDStr& b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  if (!ignoreCase) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAZ(a[i]) != LowerAZ(b[i])) return false;
  return true;
}

/// The key FindColIndex compares: cut to 50 bytes, blanks stripped, a-z upper-cased.
String NameKey(const TDTNameStr& s) { return UpperCase(StripLTBlanks(AnsiToString(CutName(s)))); }

int FindName(const std::vector<TDTNameStr>& names, const TDTNameStr& id) {
  const String key = NameKey(id);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (NameKey(names[i]) == key) return static_cast<int>(i) + 1;
  return 0;
}

bool CategorialScale(TMScaleType t) { return t == stNominal || t == stOrdinal; }

}  // namespace

// [SECTION] scale records and default names

TDTNameStr TDataTable::DefaultName(char Prefix, int n) {
  char text[16] = {Prefix, '-'};
  const char* end = std::to_chars(text + 2, text + sizeof text, n).ptr;
  return TDTNameStr(text, static_cast<std::size_t>(end - text));
}

TVTypeSpec::TVTypeSpec(const TVTypeSpec& other) : MScaleType(other.MScaleType) {
  if (other.FIDs) FIDs = std::make_unique<std::array<TNominalIDStr, kLabels>>(*other.FIDs);
}

TVTypeSpec& TVTypeSpec::operator=(const TVTypeSpec& other) {
  if (this != &other) *this = TVTypeSpec(other);
  return *this;
}

const TNominalIDStr& TVTypeSpec::ID(int Ix) const {
  static const TNominalIDStr none;
  return FIDs && Ix >= 1 && Ix <= kLabels ? (*FIDs)[static_cast<std::size_t>(Ix - 1)] : none;
}

void TVTypeSpec::SetID(int Ix, const TNominalIDStr& Value) {
  if (Ix < 1 || Ix > kLabels) return;
  if (!FIDs) {
    if (Value.empty()) return;
    FIDs = std::make_unique<std::array<TNominalIDStr, kLabels>>();
  }
  (*FIDs)[static_cast<std::size_t>(Ix - 1)] = CutLabel(Value);
}

// [SECTION] creation and hooks

struct TDataTable::TDataHook {
  TDataTable* Table;
  void operator()(TObject* Sender) const { Table->DataHasChanged(Sender); }
};

struct TDataTable::TSortHook {
  TDataTable* Table;
  void operator()(TObject* Sender, uint8_t What, int i1, int i2, int First, int Last) const {
    Table->ExchangeDuringSort(Sender, What, i1, i2, First, Last);
  }
};

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FOwnData = std::make_unique<TMatrix>(nullptr);
    FOwnData->Resize(1, 1);
    FOwnData->Fill(0);
    FRowAtt.assign(1, 0);
    FColAtt.assign(1, 0);
    FVType.resize(1);
    FCState.assign(1, 0);
    FColName.assign(1, DefaultName('C', 1));
    FRowName.assign(1, DefaultName('R', 1));
  } catch (const std::bad_alloc&) {
    FOwnData.reset();
    throw EQeltaDataTableError(num_detail::ComponentText(*this, u"failed to initialize (out of memory)"));
  } catch (const EQeltaMatrixError&) {
    FOwnData.reset();
    throw EQeltaDataTableError(num_detail::ComponentText(*this, u"failed to initialize (out of memory)"));
  }
  NumericData = FOwnData.get();
  HookMatrix();
}

TDataTable::~TDataTable() {
  if (FExtMatAssigned && NumericData != nullptr) {
    NumericData->OnChange = nullptr;
    NumericData->OnSortExchange = nullptr;
    RemoveFreeNotification(NumericData);
  }
}

void TDataTable::AttachHook() { NumericData->OnChange = TDataHook{this}; }

void TDataTable::HookMatrix() {
  AttachHook();
  NumericData->OnSortExchange = TSortHook{this};
}

void TDataTable::DetachHook() { NumericData->OnChange = nullptr; }

bool TDataTable::HookAttached() const {
  const TDataHook* hook = NumericData->OnChange.target<TDataHook>();
  return hook != nullptr && hook->Table == this;
}

bool TDataTable::MatrixWritesUnseen() const { return !NumericData->OnChange || (HookAttached() && !OnChange); }

bool TDataTable::ExchangesUnobserved(bool matrixSort) const { return !OnSortExchange && ContentsUnobserved(matrixSort); }

bool TDataTable::ContentsUnobserved(bool matrixSort) const {
  if (!MatrixWritesUnseen()) return false;
  if (NumericData->NrOfColumns() != FNrOfCols || NumericData->NrOfRows() != FNrOfRows) return false;
  if (!matrixSort) return true;
  const TSortHook* hook = NumericData->OnSortExchange.target<TSortHook>();
  return hook != nullptr && hook->Table == this;
}

void TDataTable::WriteCell(int c, int r, double v) {
  if (MatrixWritesUnseen() && c >= 1 && r >= 1 && c <= NumericData->NrOfColumns() && r <= NumericData->NrOfRows())
    num_detail::TMatrixAccess::Column(*NumericData, c)[r - 1] = v;
  else
    NumericData->SetVal(c, r, v);
}

void TDataTable::UseOwnMatrix(int nc, int nr) {
  FOwnData = std::make_unique<TMatrix>(nullptr);
  try {
    FOwnData->Resize(nc, nr);
  } catch (const EQeltaMatrixError&) {
    // Not even zeros of that size fit: an empty table keeps the arrays and the matrix in step.
    FOwnData->Resize(0, 0);
    ResizeArrays(0, 0, nullptr);
  }
  NumericData = FOwnData.get();
  FExtMatAssigned = false;
  HookMatrix();
}

void TDataTable::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // The matrix is being destroyed: its members are gone already, so nothing of it is touched.
  if (Operation == opRemove && FExtMatAssigned && AComponent == NumericData) UseOwnMatrix(FNrOfCols, FNrOfRows);
}

void TDataTable::DataHasChanged(TObject* /*Sender*/) {
  const int nc = NumericData->NrOfColumns(), nr = NumericData->NrOfRows();
  if (nc != FNrOfCols || nr != FNrOfRows) {
    const int oc = FNrOfCols, orows = FNrOfRows;
    ResizeArrays(nc, nr, nullptr);
    if (OnResize) OnResize(this, oc, orows, nc, nr);
  }
  ChangedData();
}

// [SECTION] event firing

void TDataTable::ChangedData() {
  if (OnChange) OnChange(this);
}
void TDataTable::ChangedSetup() {
  if (OnChangeSetup) OnChangeSetup(this);
}
void TDataTable::ChangedNames() {
  if (OnChangeNames) OnChangeNames(this);
}
void TDataTable::ChangedAttrib() {
  if (OnChangeAttrib) OnChangeAttrib(this);
}
void TDataTable::ChangedCellStates() {
  if (OnChangeCellState) OnChangeCellState(this);
}

// [SECTION] values

bool TDataTable::Categorial(int c) const { return CategorialScale(FVType[static_cast<std::size_t>(c - 1)].MScaleType); }

double TDataTable::GetElem(int Col, int Row) const {
  if (!Inside(Col, Row)) return 0.0;
  const double v = NumericData->GetVal(Col, Row);
  return Categorial(Col) ? std::nearbyint(v) : v;
}

void TDataTable::SetElem(int Col, int Row, double Value) {
  if (!Inside(Col, Row)) return;
  WriteCell(Col, Row, Value);
  ChangedData();
}

TNominalIDStr TDataTable::GetElemNominal(int Col, int Row) const {
  if (!Inside(Col, Row) || !Categorial(Col)) return TNominalIDStr();
  const int64_t k = Round(NumericData->GetVal(Col, Row));
  if (k >= 1 && k <= kLabels) return FVType[static_cast<std::size_t>(Col - 1)].ID(static_cast<int>(k));
  return std::to_string(k);
}

void TDataTable::SetElemNominal(int Col, int Row, const TNominalIDStr& ID) {
  const TNominalIDStr id = CutLabel(ID);
  if (!Inside(Col, Row) || id.empty()) return;
  int ix = OrdinalOfNominalID(Col, id, true);
  if (ix == 0) {
    TVTypeSpec& vt = FVType[static_cast<std::size_t>(Col - 1)];
    for (int k = 1; k <= kLabels && ix == 0; ++k)
      if (vt.ID(k).empty()) ix = k;
    if (ix == 0) throw EQeltaDataTableError(num_detail::ComponentText(*this, u"number of available nominal values exceeded"));
    vt.SetID(ix, id);
  }
  WriteCell(Col, Row, ix);
  ChangedData();
}

// [SECTION] cell states

uint8_t TDataTable::GetCellState(int Col, int Row) const {
  return Inside(Col, Row) ? StatesOf(Col)[Row - 1] : 0;
}

void TDataTable::SetCellState(int Col, int Row, uint8_t State) {
  if (!Inside(Col, Row)) return;
  uint8_t& s = StatesOf(Col)[Row - 1];
  if (s == State) return;
  s = State;
  ChangedCellStates();
}

bool TDataTable::GetIsNumber(int Col, int Row) const {
  return Inside(Col, Row) && (GetCellState(Col, Row) & (csNotANumber | csEmpty)) == 0;
}

void TDataTable::SetIsEmpty(int Col, int Row, bool Value) {
  const uint8_t s = GetCellState(Col, Row);
  SetCellState(Col, Row, Value ? s | csEmpty : s & ~csEmpty);
  ChangedData();
}

void TDataTable::SetIsImputed(int Col, int Row, bool Value) {
  const uint8_t s = GetCellState(Col, Row);
  SetCellState(Col, Row, Value ? s | csImputed : s & ~csImputed);
  ChangedData();
}

namespace {

template <typename Fn>
void EveryState(std::vector<uint8_t>& states, Fn&& fn) {
  for (uint8_t& s : states) s = fn(s);
}

}  // namespace

void TDataTable::SetAllCellStates(uint8_t CellState) {
  EveryState(FCState, [CellState](uint8_t) { return CellState; });
  ChangedCellStates();
}

void TDataTable::UnmarkAllCells() {
  EveryState(FCState, [](uint8_t s) { return static_cast<uint8_t>(s & ~(csMarkA | csMarkB)); });
  ChangedCellStates();
}

void TDataTable::InvertCellStates(uint8_t StateMask) {
  EveryState(FCState, [StateMask](uint8_t s) { return static_cast<uint8_t>(s ^ StateMask); });
  ChangedCellStates();
}

void TDataTable::ExchangeMarkings() {
  EveryState(FCState, [](uint8_t s) {
    return static_cast<uint8_t>((s & 0x3F) | ((s & csMarkA) << 1) | ((s & csMarkB) >> 1));
  });
  ChangedCellStates();
}

bool TDataTable::MaskCellStates(int LowCol, int LowRow, int HighCol, int HighRow, uint8_t AndMask, uint8_t XorMask) {
  const int lc = std::max(LowCol, 1), hc = std::min(HighCol, FNrOfCols);
  const int lr = std::max(LowRow, 1), hr = std::min(HighRow, FNrOfRows);
  bool changed = false;
  for (int c = lc; c <= hc && lr <= hr; ++c) {
    uint8_t* s = StatesOf(c) + (lr - 1);
    uint8_t differ = 0;  // OR of the changed bits, so that the loop stays free of branches
    for (int i = 0; i <= hr - lr; ++i) {
      const auto v = static_cast<uint8_t>((s[i] & AndMask) ^ XorMask);
      differ |= static_cast<uint8_t>(v ^ s[i]);
      s[i] = v;
    }
    changed = changed || differ != 0;
  }
  if (changed) ChangedCellStates();
  return changed;
}

bool TDataTable::IfRowHasCellState(int Row, uint8_t CellState) const {
  return CountMarkedCellsInRow(Row, CellState) > 0;
}

bool TDataTable::IfColHasCellState(int Col, uint8_t CellState) const {
  return CountMarkedCellsInColumn(Col, CellState) > 0;
}

int TDataTable::CountMarkedCellsInRow(int Row, uint8_t StateMask) const {
  if (!RowInside(Row)) return 0;
  int count = 0;
  for (int c = 1; c <= FNrOfCols; ++c) count += (StatesOf(c)[Row - 1] & StateMask) != 0;
  return count;
}

int TDataTable::CountMarkedCellsInColumn(int Col, uint8_t StateMask) const {
  if (!ColInside(Col)) return 0;
  const uint8_t* s = StatesOf(Col);
  return static_cast<int>(std::count_if(s, s + FNrOfRows, [StateMask](uint8_t v) { return (v & StateMask) != 0; }));
}

// [SECTION] names, attributes, comment

TDTNameStr TDataTable::GetColName(int Ix) const {
  return ColInside(Ix) ? FColName[static_cast<std::size_t>(Ix - 1)] : TDTNameStr();
}

TDTNameStr TDataTable::GetRowName(int Ix) const {
  return RowInside(Ix) ? FRowName[static_cast<std::size_t>(Ix - 1)] : TDTNameStr();
}

void TDataTable::SetColName(int Ix, const TDTNameStr& Name) {
  if (!ColInside(Ix)) return;
  FColName[static_cast<std::size_t>(Ix - 1)] = CutName(Name);
  ChangedNames();
}

void TDataTable::SetRowName(int Ix, const TDTNameStr& Name) {
  if (!RowInside(Ix)) return;
  FRowName[static_cast<std::size_t>(Ix - 1)] = CutName(Name);
  ChangedNames();
}

uint8_t TDataTable::GetColAttrib(int Ix) const { return ColInside(Ix) ? FColAtt[static_cast<std::size_t>(Ix - 1)] : 0; }

uint8_t TDataTable::GetRowAttrib(int Ix) const { return RowInside(Ix) ? FRowAtt[static_cast<std::size_t>(Ix - 1)] : 0; }

void TDataTable::SetColAttrib(int Ix, uint8_t Value) {
  if (!ColInside(Ix)) return;
  FColAtt[static_cast<std::size_t>(Ix - 1)] = Value;
  ChangedAttrib();
}

void TDataTable::SetRowAttrib(int Ix, uint8_t Value) {
  if (!RowInside(Ix)) return;
  FRowAtt[static_cast<std::size_t>(Ix - 1)] = Value;
  ChangedAttrib();
}

void TDataTable::SetFComment(const String& Value) {
  FComment = RemoveControlChars(Value);
  ChangedSetup();
}

int TDataTable::FindColIndex(const TDTNameStr& ColID) const { return FindName(FColName, ColID); }

int TDataTable::FindRowIndex(const TDTNameStr& RowID) const { return FindName(FRowName, RowID); }

void TDataTable::MakeValidColRange(int& Low, int& High) const { num_detail::MakeValidRange(FNrOfCols, Low, High); }

void TDataTable::MakeValidRowRange(int& Low, int& High) const { num_detail::MakeValidRange(FNrOfRows, Low, High); }

// [SECTION] scale types and nominal labels

TMScaleType TDataTable::GetMScaleType(int Col) const {
  return ColInside(Col) ? FVType[static_cast<std::size_t>(Col - 1)].MScaleType : stUnknown;
}

void TDataTable::SetMScaleType(int Col, TMScaleType Value) {
  if (!ColInside(Col) || Value > stRatio) return;
  FVType[static_cast<std::size_t>(Col - 1)].MScaleType = Value;
  ChangedSetup();
}

TNominalIDStr TDataTable::GetNominalID(int Col, int Ix) const {
  if (!ColInside(Col) || !Categorial(Col)) return TNominalIDStr();
  return FVType[static_cast<std::size_t>(Col - 1)].ID(Ix);
}

void TDataTable::SetNominalID(int Col, int Ix, const TNominalIDStr& ID) {
  if (!ColInside(Col) || Ix < 1 || Ix > kLabels) return;
  if (ID.empty() || Categorial(Col)) FVType[static_cast<std::size_t>(Col - 1)].SetID(Ix, ID);
  ChangedSetup();
}

void TDataTable::ClearNominalIDs(int Col) {
  if (!ColInside(Col)) return;
  FVType[static_cast<std::size_t>(Col - 1)].ClearIDs();
  ChangedSetup();
}

int TDataTable::OrdinalOfNominalID(int Col, const TNominalIDStr& ID, bool IgnoreCase) const {
  const TNominalIDStr id = CutLabel(ID);
  if (id.empty() || !ColInside(Col) || !Categorial(Col)) return 0;
  const TVTypeSpec& vt = FVType[static_cast<std::size_t>(Col - 1)];
  for (int k = 1; k <= kLabels; ++k)
    if (SameLabel(vt.ID(k), id, IgnoreCase)) return k;
  return 0;
}

int TDataTable::AddNominalID(int Col, const TNominalIDStr& MScaleID) {
  const TNominalIDStr id = CutLabel(MScaleID);
  if (!ColInside(Col) || id.empty()) return 0;
  if (const int found = OrdinalOfNominalID(Col, id, true); found > 0) return found;
  TVTypeSpec& vt = FVType[static_cast<std::size_t>(Col - 1)];
  for (int k = 1; k <= kLabels; ++k) {
    if (!vt.ID(k).empty()) continue;
    vt.SetID(k, id);
    vt.MScaleType = stNominal;
    ChangedSetup();
    return k;
  }
  return 0;
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray list;
  for (int c = 1; c <= FNrOfCols; ++c)
    if (Categorial(c)) list.push_back(c);
  return list;
}

// [SECTION] size

void TDataTable::ResizeArrays(int nc, int nr, const std::function<void()>& alsoMatrix) {
  const std::size_t oc = static_cast<std::size_t>(FNrOfCols), orows = static_cast<std::size_t>(FNrOfRows);
  const std::size_t c = static_cast<std::size_t>(nc), r = static_cast<std::size_t>(nr);
  std::vector<uint8_t> states;
  std::vector<TDTNameStr> colNames, rowNames;
  std::vector<TVTypeSpec> vtypes;
  std::vector<uint8_t> colAtt, rowAtt;
  // Everything that needs memory is made here; the kept entries are moved in after the matrix.
  num_detail::GuardAlloc<EQeltaDataTableError>(*this, u"not enough memory on heap", [&] {
    if (num_detail::CheckedCells(nc, nr, sizeof(double) + 1) < 0) throw std::bad_alloc();  // beyond the address space
    states.assign(c * r, 0);
    for (std::size_t k = 0; k < std::min(c, oc); ++k)
      std::copy_n(FCState.begin() + static_cast<std::ptrdiff_t>(k * orows), std::min(r, orows),
                  states.begin() + static_cast<std::ptrdiff_t>(k * r));
    colNames.resize(c);
    for (std::size_t k = oc; k < c; ++k) colNames[k] = DefaultName('C', static_cast<int>(k + 1));
    rowNames.resize(r);
    for (std::size_t k = orows; k < r; ++k) rowNames[k] = DefaultName('R', static_cast<int>(k + 1));
    vtypes.resize(c);
    colAtt.assign(c, 0);
    std::copy_n(FColAtt.begin(), std::min(c, oc), colAtt.begin());
    rowAtt.assign(r, 0);
    std::copy_n(FRowAtt.begin(), std::min(r, orows), rowAtt.begin());
  });
  if (alsoMatrix) alsoMatrix();
  for (std::size_t k = 0; k < std::min(c, oc); ++k) {
    colNames[k] = std::move(FColName[k]);
    vtypes[k] = std::move(FVType[k]);
  }
  for (std::size_t k = 0; k < std::min(r, orows); ++k) rowNames[k] = std::move(FRowName[k]);
  FCState.swap(states);
  FColName.swap(colNames);
  FRowName.swap(rowNames);
  FVType.swap(vtypes);
  FColAtt.swap(colAtt);
  FRowAtt.swap(rowAtt);
  FNrOfCols = nc;
  FNrOfRows = nr;
}

void TDataTable::ResizeSilently(int nc, int nr) {
  if (nc == FNrOfCols && nr == FNrOfRows) return;
  ResizeArrays(nc, nr, [&] { ResizeMatrixUnheard(nc, nr); });
}

void TDataTable::ResizeMatrixUnheard(int nc, int nr) {
  DetachHook();
  try {
    NumericData->Resize(nc, nr);
  } catch (...) {
    AttachHook();
    throw;
  }
  AttachHook();
}

void TDataTable::Resize(int NrCols, int NrRows) {
  NrCols = std::max(NrCols, 0);
  NrRows = std::max(NrRows, 0);
  if (NrCols == FNrOfCols && NrRows == FNrOfRows) return;
  const int oc = FNrOfCols, orows = FNrOfRows;
  ResizeSilently(NrCols, NrRows);
  if (OnResize) OnResize(this, oc, orows, NrCols, NrRows);
}

void TDataTable::SetNrCols(int Nc) { Resize(Nc, FNrOfRows); }

void TDataTable::SetNrRows(int Nr) { Resize(FNrOfCols, Nr); }

// [SECTION] insertion and removal

void TDataTable::MoveRow(int to, int from) {
  SetRowAttrib(to, GetRowAttrib(from));
  SetRowName(to, GetRowName(from));
  for (int c = 1; c <= FNrOfCols; ++c) {
    SetElem(c, to, GetElem(c, from));
    SetCellState(c, to, GetCellState(c, from));
  }
}

void TDataTable::EmptyRow(int ix) {
  SetRowAttrib(ix, 0);
  SetRowName(ix, TDTNameStr());
  for (int c = 1; c <= FNrOfCols; ++c) {
    SetElem(c, ix, 0);
    SetCellState(c, ix, 0);
  }
}

void TDataTable::MoveColumn(int to, int from, bool labelsAlways) {
  SetColAttrib(to, GetColAttrib(from));
  SetColName(to, GetColName(from));
  SetMScaleType(to, GetMScaleType(from));
  if (labelsAlways || (ColInside(from) && Categorial(from)))
    for (int k = 1; k <= kLabels; ++k) SetNominalID(to, k, GetNominalID(from, k));
  for (int r = 1; r <= FNrOfRows; ++r) {
    SetElem(to, r, GetElem(from, r));
    SetCellState(to, r, GetCellState(from, r));
  }
}

void TDataTable::EmptyColumn(int ix) {
  SetColAttrib(ix, 0);
  SetColName(ix, TDTNameStr());
  SetMScaleType(ix, stInterval);
  ClearNominalIDs(ix);
  for (int r = 1; r <= FNrOfRows; ++r) {
    SetElem(ix, r, 0);
    SetCellState(ix, r, 0);
  }
}

void TDataTable::InsertRow(int ix) {
  if (ix < 1 || ix > FNrOfRows + 1) return;
  DetachHook();
  SetNrRows(FNrOfRows + 1);  // attaches the hook again
  for (int r = FNrOfRows; r > ix; --r) MoveRow(r, r - 1);
  EmptyRow(ix);
  AttachHook();
  ChangedSetup();
}

void TDataTable::InsertColumn(int ix) {
  if (ix < 1 || ix > FNrOfCols + 1) return;
  DetachHook();
  SetNrCols(FNrOfCols + 1);
  for (int c = FNrOfCols; c > ix; --c) MoveColumn(c, c - 1, true);
  EmptyColumn(ix);
  AttachHook();
  ChangedSetup();
}

void TDataTable::RemoveRow(int ix) {
  if (ix < 1 || ix > FNrOfRows || FNrOfRows < 2) return;
  DetachHook();
  for (int r = ix; r < FNrOfRows; ++r) MoveRow(r, r + 1);
  SetNrRows(FNrOfRows - 1);
  ChangedSetup();
}

void TDataTable::RemoveColumn(int ix) {
  if (ix < 1 || ix > FNrOfCols || FNrOfCols < 2) return;
  DetachHook();
  for (int c = ix; c < FNrOfCols; ++c) MoveColumn(c, c + 1, false);
  SetNrCols(FNrOfCols - 1);
  ChangedSetup();
}

void TDataTable::Clear() {
  for (int c = 1; c <= FNrOfCols; ++c) FColName[static_cast<std::size_t>(c - 1)] = DefaultName('C', c);
  for (int r = 1; r <= FNrOfRows; ++r) FRowName[static_cast<std::size_t>(r - 1)] = DefaultName('R', r);
  std::fill(FCState.begin(), FCState.end(), 0);
  std::fill(FColAtt.begin(), FColAtt.end(), 0);
  std::fill(FRowAtt.begin(), FRowAtt.end(), 0);
  for (TVTypeSpec& vt : FVType) vt = TVTypeSpec();
  FComment.clear();
  NumericData->Fill(0);
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  ChangedSetup();
}

}  // namespace qelta
