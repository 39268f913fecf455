// String array of unit Qelta_dstruct: the page pool, cells, rows, sorting and finding.
//
// Pool: pages of 32768 bytes; a text is a length byte and its characters at a 1-based offset;
// a cell word is page shl 16 or offset (both 1-based), 0 for an empty cell. A new text goes
// to the first page in which it fits (length < 32768 - first free offset). Finding that page
// is a descent in a max-tree over the free room of the pages, so filling stays O(log pages)
// per text and the pages fill exactly in the classic order. The last page, where nearly every
// text of a fill goes, stays out of the tree: it is tried after the tree found no earlier page,
// and filling it costs no walk up the tree. A walk up stops where a maximum does not change.
// Pages are not cleared when made: only what was written is ever read.
//
// Sorting is the classic comb sort (gap := Trunc(gap / 1.3), passes until a gap-1 pass makes
// no swap), so rows with equal keys end in the same order as ever. It runs on a copy of the
// sort index that carries the first 8 key bytes of every row; only equal prefixes of long keys
// look at the whole keys. Keys are built once per row: the sort-key hook is called once per
// row and column, not per comparison, so it must map equal texts to equal keys.
//
// Deliberate deviations from the classic behaviour, each mending a fault:
// - InsertRow and RemoveRow keep the view order of a sorted table: the new row takes the
//   physical slot of the row it displaces and index entries at or above it move up (removal:
//   the reverse). The classic code shifted physical rows by view position.
// - FindCellInSortedColumn loops while lo < hi and then compares row lo; the classic loop
//   could run forever on a range of two rows.
// - Sort reports at most 100 percent (gap-1 passes beyond the first exceeded the estimate).
// - AllocRowsBy below 1 is stored as 1.
// - CopyRow copies the texts, so two cells never share one place in the pool (an in-place
//   overwrite of one would have changed the other).
// - Storing the empty text into an empty cell keeps the cell empty instead of spending a byte.
// - Resize that runs out of memory leaves the table as it was.
// - Fill fires OnChange once, not once per cell.
// - SetSortOrder sets one entry and may leave the index no permutation for a while (a host sets
//   entries one by one). InsertRow, RemoveRow and CommitSorting first complete such an index: a
//   repeated entry takes the physical rows that no entry shows, in rising order. They used to
//   move memory by entries beyond the table, and CommitSorting made two cells share one text.
// - A sort-key or progress handler that changes the row count during Sort ends the sort, the
//   index as the handler left it; the keys and the index were written beyond their arrays.

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

#include "Encoding.h"
#include "Math.h"
#include "Qelta_dstruct.h"
#include "Qelta_readbound_internal.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kMaxPages = 65535;  // page numbers are 16 bits

[[noreturn]] void RaiseNoMemory() { throw EQeltaDStructError("Class TStringArray: not enough memory"); }

// memmove that accepts the null data of an empty view.
void CopyBytes(void* dst, std::string_view src) {
  if (!src.empty()) std::memmove(dst, src.data(), src.size());
}

uint8_t LowerAZ(uint8_t c) { return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c; }

void LowerAZInPlace(AnsiString& s) {
  for (char& ch : s) ch = char(LowerAZ(uint8_t(ch)));
}

AnsiString LowerAZCopy(std::string_view s) {
  AnsiString r(s);
  LowerAZInPlace(r);
  return r;
}

// Lower-cases s into buf (at least s.size() bytes) and answers the view of it.
std::string_view LowerAZInto(std::string_view s, char* buf) {
  for (size_t i = 0; i < s.size(); ++i) buf[i] = char(LowerAZ(uint8_t(s[i])));
  return {buf, s.size()};
}

bool OnlyBlanks(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// First 8 bytes of a key, big-endian, zero-padded: prefixes compare like the keys unless equal.
uint64_t KeyPrefix(std::string_view k) {
  uint64_t p = 0;
  for (size_t i = 0; i < 8; ++i) p = (p << 8) | (i < k.size() ? uint8_t(k[i]) : 0u);
  return p;
}

int Sign(int x) { return (x > 0) - (x < 0); }

}  // namespace

// [SECTION] construction and pool

TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FPoiArray.assign(size_t(FNCol) + 1, std::vector<uint32_t>(size_t(FRAllocated) + 1, 0));
    FSortIx.resize(size_t(FRAllocated) + 1);
    FRowAttrib.assign(size_t(FRAllocated) + 1, 0);
    FColAttrib.assign(size_t(FNCol), 0);
    IdentitySortIx();
    ResetPool();
  } catch (const std::bad_alloc&) {
    throw EQeltaDStructError("Class TStringArray: failed to initialize (out of memory)");
  }
}

TStringArray::~TStringArray() = default;

void TStringArray::ResetPool() {
  FStgPool.clear();
  FFirstFree.clear();
  FRoomTree.assign(2, 0);
  AppendPage();
}

void TStringArray::AppendPage() {
  FStgPool.push_back(std::make_unique_for_overwrite<TStringPool>());
  FFirstFree.push_back(1);
  const size_t pages = FStgPool.size(), leaves = FRoomTree.size() / 2;
  if (pages > leaves) {  // double the tree and refill it
    FRoomTree.assign(leaves * 4, 0);
    for (size_t p = 0; p + 1 < pages; ++p) SetTreeRoom(p, PageSize - FFirstFree[p]);
  } else if (pages >= 2) {  // the former last page joins the tree
    SetTreeRoom(pages - 2, PageSize - FFirstFree[pages - 2]);
  }
}

void TStringArray::SetPageFree(int page, int firstFree) {
  FFirstFree[size_t(page)] = firstFree;
  if (size_t(page) + 1 < FStgPool.size()) SetTreeRoom(size_t(page), PageSize - firstFree);
}

void TStringArray::SetTreeRoom(size_t page, int room) {
  size_t node = FRoomTree.size() / 2 + page;
  FRoomTree[node] = room;
  for (node /= 2; node >= 1; node /= 2) {
    const int most = std::max(FRoomTree[2 * node], FRoomTree[2 * node + 1]);
    if (FRoomTree[node] == most) break;
    FRoomTree[node] = most;
  }
}

int TStringArray::FirstPageWithRoom(int L) const {
  if (FRoomTree[1] > L) {
    const size_t leaves = FRoomTree.size() / 2;
    size_t node = 1;
    while (node < leaves) node = FRoomTree[2 * node] > L ? 2 * node : 2 * node + 1;
    return int(node - leaves);
  }
  const int last = NumBuffers() - 1;
  return PageSize - FFirstFree[size_t(last)] > L ? last : -1;
}

std::string_view TStringArray::Text(uint32_t word) const {
  if (word == 0) return {};
  const uint8_t* p = FStgPool[(word >> 16) - 1]->data() + (word & 0xFFFF) - 1;
  return {reinterpret_cast<const char*>(p + 1), p[0]};
}

std::string_view TStringArray::CellText(int col, int row) const {
  if (!ValidCell(col, row)) return {};
  return Text(Word(col, FSortIx[size_t(row)]));
}

uint32_t TStringArray::PlaceText(std::string_view text) {
  const int L = int(text.size());
  int page = FirstPageWithRoom(L);
  if (page < 0 && NumBuffers() == kMaxPages) {
    char copy[MaxTextLength];  // the text may lie in the pool that is about to move
    CopyBytes(copy, text);
    text = {copy, text.size()};
    GarbageCollection();
    if ((page = FirstPageWithRoom(L)) < 0) throw EQeltaDStructError("Class TStringArray: text pool full");
    return PlaceText(text);
  }
  if (page < 0) {
    try {
      AppendPage();
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    }
    page = NumBuffers() - 1;
  }
  const int off = FFirstFree[size_t(page)];
  uint8_t* dst = FStgPool[size_t(page)]->data() + off - 1;
  dst[0] = uint8_t(L);
  CopyBytes(dst + 1, text);
  SetPageFree(page, off + L + 1);
  return uint32_t(page + 1) << 16 | uint32_t(off);
}

void TStringArray::StoreText(uint32_t& word, std::string_view text) {
  text = text.substr(0, MaxTextLength);
  if (word == 0 && text.empty()) return;
  if (word != 0) {
    uint8_t* p = FStgPool[(word >> 16) - 1]->data() + (word & 0xFFFF) - 1;
    if (p[0] >= text.size()) {  // fits the old place: overwrite in place
      CopyBytes(p + 1, text);
      p[0] = uint8_t(text.size());
      return;
    }
  }
  const uint32_t placed = PlaceText(text);
  word = placed;
}

void TStringArray::GarbageCollection() {
  const size_t pages = FStgPool.size();
  std::vector<std::unique_ptr<TStringPool>> fresh(pages);
  std::vector<int> firstFree(pages, 1);
  try {
    for (auto& page : fresh) page = std::make_unique_for_overwrite<TStringPool>();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (auto& column : FPoiArray) {
    for (int p = 1; p <= FNRow; ++p) {
      uint32_t& w = column[size_t(p)];
      if (w == 0) continue;
      const size_t page = (w >> 16) - 1;
      const std::string_view t = Text(w);
      uint8_t* dst = fresh[page]->data() + firstFree[page] - 1;
      dst[0] = uint8_t(t.size());
      CopyBytes(dst + 1, t);
      w = uint32_t(page + 1) << 16 | uint32_t(firstFree[page]);
      firstFree[page] += int(t.size()) + 1;
    }
  }
  FStgPool.swap(fresh);
  for (size_t p = 0; p < pages; ++p) SetPageFree(int(p), firstFree[p]);
}

void TStringArray::SetAllocRowsBy(int n) { FAllocRowsBy = std::max(n, 1); }

void TStringArray::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] cells

AnsiString TStringArray::GetString(int col, int row) const { return AnsiString(CellText(col, row)); }

void TStringArray::SetString(int col, int row, std::string_view text) {
  if (!ValidCell(col, row)) return;
  StoreText(Word(col, FSortIx[size_t(row)]), text);
  Changed();
}

Extended TStringArray::GetAsNumber(int col, int row) const {
  const std::string_view cell = CellText(col, row);
  const size_t first = cell.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  AnsiString s(cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  std::replace(s.begin(), s.end(), ',', '.');
  double value = 0;
  int code = 0;
  Val(AnsiToString(s), value, code);
  if (code != 0)
    throw EQeltaDStructError(u"Class TStringArray: invalid numeric string: [" + IntToStr(col) + u"," + IntToStr(row) +
                             u"]: " + AnsiToString(cell));
  return value;
}

bool TStringArray::ColumnEmpty(int ACol) const {
  for (int r = 1; r <= FNRow; ++r)
    if (!OnlyBlanks(CellText(ACol, r))) return false;
  return true;
}

bool TStringArray::RowEmpty(int ARow) const {
  for (int c = 1; c <= FNCol; ++c)
    if (!OnlyBlanks(CellText(c, ARow))) return false;
  return true;
}

// [SECTION] size and rows

void TStringArray::IdentitySortIx() {
  for (size_t i = 0; i < FSortIx.size(); ++i) FSortIx[i] = int(i);
}

void TStringArray::CompleteSortIx() {
  std::vector<bool> shown(size_t(FNRow) + 1, false);
  std::vector<int> repeated;
  for (int v = 1; v <= FNRow; ++v) {
    const int p = FSortIx[size_t(v)];
    if (shown[size_t(p)]) repeated.push_back(v);
    shown[size_t(p)] = true;
  }
  int missing = 0;
  for (int v : repeated) {
    while (shown[size_t(++missing)]) {
    }
    FSortIx[size_t(v)] = missing;
  }
}

void TStringArray::EmptyPhysRows(int from, int to) {
  if (from > to) return;
  for (auto& column : FPoiArray) std::fill(column.begin() + from, column.begin() + to + 1, 0u);
  std::fill(FRowAttrib.begin() + from, FRowAttrib.begin() + to + 1, uint8_t(0));
}

int64_t core_detail::StringArrayBytes(int64_t cols, int64_t rows) {
  const int64_t physical = 10 * ((rows - 1) / 10 + 1) + 1;  // as Reallocate takes them, with row 0
  const int64_t column = physical * int64_t(sizeof(uint32_t)) + int64_t(sizeof(std::vector<uint32_t>));
  return (cols + 1) * column + physical * int64_t(sizeof(int) + 1) + cols;
}

bool TStringArray::Reallocate(int Nc, int Nr) {
  const int64_t step = FAllocRowsBy;
  const int64_t alloc = step * ((int64_t(Nr) - 1) / step + 1);
  if (alloc >= INT_MAX) return false;
  const size_t oldLen = size_t(FRAllocated) + 1;
  const size_t newLen = size_t(alloc) + 1;
  try {  // everything that grows first, so that a failure can be undone
    if (newLen > oldLen) {
      for (int c = 0; c <= std::min(FNCol, Nc); ++c) FPoiArray[size_t(c)].resize(newLen, 0);
      FSortIx.resize(newLen);
      FRowAttrib.resize(newLen, 0);
    }
    for (int c = FNCol + 1; c <= Nc; ++c) FPoiArray.emplace_back(newLen, 0);
    FColAttrib.resize(size_t(Nc), 0);
  } catch (const std::bad_alloc&) {
    FPoiArray.resize(size_t(FNCol) + 1);
    for (auto& column : FPoiArray) column.resize(oldLen);
    FSortIx.resize(oldLen);
    FRowAttrib.resize(oldLen);
    FColAttrib.resize(size_t(FNCol));
    return false;
  }
  FPoiArray.resize(size_t(Nc) + 1);
  for (auto& column : FPoiArray) column.resize(newLen, 0);
  FSortIx.resize(newLen);
  FRowAttrib.resize(newLen, 0);
  FRAllocated = int(alloc);
  EmptyPhysRows(Nr + 1, std::min(FNRow, FRAllocated));
  return true;
}

bool TStringArray::Resize(int Nc, int Nr) {
  if (Nc == FNCol && Nr == FNRow) return true;
  if (Nc < 1 || Nr < 1) return false;
  bool ok = true;
  if (Nc != FNCol || Nr > FRAllocated)
    ok = Reallocate(Nc, Nr);
  else
    EmptyPhysRows(Nr + 1, FNRow);
  if (ok) {
    FNCol = Nc;
    FNRow = Nr;
    IdentitySortIx();
  }
  Changed();
  return ok;
}

void TStringArray::SetNrCols(int n) { Resize(n, FNRow); }

void TStringArray::SetNrRows(int n) { Resize(FNCol, n); }

int TStringArray::AddRow() {
  if (FNRow < INT_MAX - 1) SetNrRows(FNRow + 1);
  return FNRow;
}

void TStringArray::InsertRow(int r) {
  if (r < 1 || r > FNRow || FNRow >= INT_MAX - 1) return;
  if (FNRow + 1 > FRAllocated && !Reallocate(FNCol, FNRow + 1)) return;
  CompleteSortIx();
  const int p = FSortIx[size_t(r)];
  for (auto& column : FPoiArray)  // physical rows p.. move down by one
    std::copy_backward(column.begin() + p, column.begin() + FNRow + 1, column.begin() + FNRow + 2);
  std::copy_backward(FRowAttrib.begin() + p, FRowAttrib.begin() + FNRow + 1, FRowAttrib.begin() + FNRow + 2);
  EmptyPhysRows(p, p);
  for (int v = 1; v <= FNRow; ++v)
    if (FSortIx[size_t(v)] >= p) ++FSortIx[size_t(v)];
  std::copy_backward(FSortIx.begin() + r, FSortIx.begin() + FNRow + 1, FSortIx.begin() + FNRow + 2);
  FSortIx[size_t(r)] = p;
  ++FNRow;
  Changed();
}

void TStringArray::RemoveRow(int r) {
  if (r < 1 || r > FNRow) return;
  CompleteSortIx();
  const int p = FSortIx[size_t(r)];
  if (FNRow > 1) {
    for (auto& column : FPoiArray)  // physical rows behind p move up by one
      std::copy(column.begin() + p + 1, column.begin() + FNRow + 1, column.begin() + p);
    std::copy(FRowAttrib.begin() + p + 1, FRowAttrib.begin() + FNRow + 1, FRowAttrib.begin() + p);
    std::copy(FSortIx.begin() + r + 1, FSortIx.begin() + FNRow + 1, FSortIx.begin() + r);
    FSortIx[size_t(FNRow)] = FNRow;
    --FNRow;
    for (int v = 1; v <= FNRow; ++v)
      if (FSortIx[size_t(v)] > p) --FSortIx[size_t(v)];
    EmptyPhysRows(FNRow + 1, FNRow + 1);
  } else {
    EmptyPhysRows(p, p);
  }
  Changed();
}

void TStringArray::CopyRow(int Source, int Target) {
  if (Source < 1 || Source > FNRow || Target < 1 || Target > FNRow || Source == Target) return;
  const int ps = FSortIx[size_t(Source)];
  const int pt = FSortIx[size_t(Target)];
  for (int c = 0; c <= FNCol; ++c) StoreText(Word(c, pt), Text(Word(c, ps)));
  FRowAttrib[size_t(pt)] = FRowAttrib[size_t(ps)];
  Changed();
}

void TStringArray::Clear() {
  for (auto& column : FPoiArray) std::fill(column.begin(), column.end(), 0u);
  std::fill(FRowAttrib.begin(), FRowAttrib.end(), uint8_t(0));
  std::fill(FColAttrib.begin(), FColAttrib.end(), uint8_t(0));
  IdentitySortIx();
  ResetPool();
}

void TStringArray::Fill(std::string_view text) {
  if (text.empty()) {
    Clear();
    return;
  }
  const AnsiString t(text.substr(0, MaxTextLength));
  for (auto& column : FPoiArray)
    for (int p = 1; p <= FNRow; ++p) StoreText(column[size_t(p)], t);
  Changed();
}

// [SECTION] attributes

uint8_t TStringArray::GetRowAttrib(int row) const {
  if (row < 1 || row > FNRow) return 0;
  return FRowAttrib[size_t(FSortIx[size_t(row)])];
}

void TStringArray::SetRowAttrib(int row, uint8_t b) {
  if (row < 1 || row > FNRow) return;
  FRowAttrib[size_t(FSortIx[size_t(row)])] = b;
  Changed();
}

uint8_t TStringArray::GetColAttrib(int col) const {
  if (col < 1 || col > FNCol) return 0;
  return FColAttrib[size_t(col - 1)];
}

void TStringArray::SetColAttrib(int col, uint8_t b) {
  if (col < 1 || col > FNCol) return;
  FColAttrib[size_t(col - 1)] = b;
  Changed();
}

// [SECTION] sorting

int TStringArray::GetSortOrder(int i) const {
  if (i < 1 || i > FNRow) return -1;
  return FSortIx[size_t(i)];
}

void TStringArray::SetSortOrder(int i, int physRow) {
  if (i < 1 || i > FNRow || physRow < 1 || physRow > FNRow) return;
  FSortIx[size_t(i)] = physRow;
}

void TStringArray::BeforeSortExchange(const String& InString, String& OutString) {
  OutString = InString;
  if (OnBeforeSortExchange) OnBeforeSortExchange(this, InString, OutString);
}

std::vector<AnsiString> TStringArray::SortKeys(int col) {
  const int n = FNRow;
  std::vector<AnsiString> keys(size_t(n) + 1);
  for (int p = 1; p <= n && p <= FNRow && col >= 0 && col <= FNCol; ++p) {  // the hook may resize the table
    const std::string_view t = Text(Word(col, p));
    if (OnBeforeSortExchange) {
      String out;
      BeforeSortExchange(AnsiToString(t), out);
      keys[size_t(p)] = StringToAnsi(out);
    } else {
      keys[size_t(p)] = AnsiString(t);
    }
    LowerAZInPlace(keys[size_t(p)]);
  }
  return keys;
}

void TStringArray::ReportPercent(int64_t done, int64_t expected) {
  if (!OnPercentDone) return;
  const int64_t pct = expected > 0 ? Round(Extended(done) / Extended(expected) * 100) : 100;
  OnPercentDone(this, int(std::min<int64_t>(pct, 100)));
}

namespace {

// One view position during the sort: the physical row and the first 8 bytes of its keys.
struct TSortEntry {
  uint64_t prefix1 = 0;
  uint64_t prefix2 = 0;
  int32_t phys = 0;
  bool long1 = false;  // key 1 has more than 8 bytes
  bool long2 = false;
};

// Compares two rows by key 1, then (when keys2 is given) by key 2: < 0, 0, > 0.
class TRowOrder {
 public:
  TRowOrder(const std::vector<AnsiString>& k1, const std::vector<AnsiString>* k2) : keys1_(k1), keys2_(k2) {}

  TSortEntry Entry(int phys) const {
    TSortEntry e;
    e.phys = phys;
    e.prefix1 = KeyPrefix(keys1_[size_t(phys)]);
    e.long1 = keys1_[size_t(phys)].size() > 8;
    if (keys2_ != nullptr) {
      e.prefix2 = KeyPrefix((*keys2_)[size_t(phys)]);
      e.long2 = (*keys2_)[size_t(phys)].size() > 8;
    }
    return e;
  }

  int Compare(const TSortEntry& a, const TSortEntry& b) const {
    const int c = CompareKey(a.prefix1, b.prefix1, a.long1 || b.long1, keys1_, a.phys, b.phys);
    if (c != 0 || keys2_ == nullptr) return c;
    return CompareKey(a.prefix2, b.prefix2, a.long2 || b.long2, *keys2_, a.phys, b.phys);
  }

 private:
  static int CompareKey(uint64_t pa, uint64_t pb, bool anyLong, const std::vector<AnsiString>& keys, int a, int b) {
    if (pa != pb) return pa < pb ? -1 : 1;
    const AnsiString& ka = keys[size_t(a)];
    const AnsiString& kb = keys[size_t(b)];
    if (!anyLong && ka.size() == kb.size()) return 0;
    return Sign(ka.compare(kb));
  }

  const std::vector<AnsiString>& keys1_;
  const std::vector<AnsiString>* keys2_;
};

}  // namespace

void TStringArray::Sort(int Col, int ColSec, bool Ascending) {
  if (OnPercentDone) OnPercentDone(this, 0);
  const int n = FNRow;
  if (n > 1) {
    int64_t expected = 0;
    for (int gap = n; gap > 1;) {
      gap = std::max(1, int(double(gap) / 1.3));
      expected += n - gap;
    }
    expected += n;
    const std::vector<AnsiString> keys1 = SortKeys(Col);
    const std::vector<AnsiString> keys2 = ColSec >= 1 ? SortKeys(ColSec) : std::vector<AnsiString>{};
    const TRowOrder order(keys1, ColSec >= 1 ? &keys2 : nullptr);
    std::vector<TSortEntry> view(size_t(n) + 1);
    for (int v = 1; v <= n && FNRow == n; ++v) view[size_t(v)] = order.Entry(FSortIx[size_t(v)]);
    int64_t done = 0;
    bool swapped = true;
    for (int gap = n; (gap > 1 || swapped) && FNRow == n;) {
      gap = std::max(1, int(double(gap) / 1.3));
      swapped = false;
      for (int c = 1; c <= n - gap; ++c) {
        const int cmp = order.Compare(view[size_t(c)], view[size_t(c + gap)]);
        if (Ascending ? cmp > 0 : cmp < 0) {
          std::swap(view[size_t(c)], view[size_t(c + gap)]);
          swapped = true;
        }
      }
      done += n - gap;
      ReportPercent(done, expected);
    }
    if (FNRow == n) {  // a handler that changed the row count ends the sort
      for (int v = 1; v <= n; ++v) FSortIx[size_t(v)] = view[size_t(v)].phys;
      Changed();
    }
  }
  if (OnPercentDone) OnPercentDone(this, 100);
}

void TStringArray::UnSort() {
  IdentitySortIx();
  Changed();
}

void TStringArray::CommitSorting() {
  std::vector<uint32_t> words;
  try {
    words.resize(size_t(FNRow) + 1);
    CompleteSortIx();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (auto& column : FPoiArray) {
    for (int v = 1; v <= FNRow; ++v) words[size_t(v)] = column[size_t(FSortIx[size_t(v)])];
    std::copy(words.begin() + 1, words.end(), column.begin() + 1);
  }
  for (int v = 1; v <= FNRow; ++v) words[size_t(v)] = FRowAttrib[size_t(FSortIx[size_t(v)])];
  for (int v = 1; v <= FNRow; ++v) FRowAttrib[size_t(v)] = uint8_t(words[size_t(v)]);
  IdentitySortIx();
}

// [SECTION] finding

bool TStringArray::FindCell(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow,
                            int RowHigh, int& Col, int& Row) const {
  return FindCellIntern(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, Row, false);
}

bool TStringArray::FindCellExact(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow,
                                 int RowHigh, int& Col, int& Row) const {
  return FindCellIntern(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, Row, true);
}

namespace {

// Clamps a and b into lo..hi and puts them in order.
void OrderedRange(int& a, int& b, int lo, int hi) {
  a = std::clamp(a, lo, hi);
  b = std::clamp(b, lo, hi);
  if (a > b) std::swap(a, b);
}

}  // namespace

bool TStringArray::FindCellIntern(std::string_view FindStr, bool MatchCase, int ColLow, int ColHigh, int RowLow,
                                  int RowHigh, int& Col, int& Row, bool Exact) const {
  const AnsiString needle = MatchCase ? AnsiString(FindStr) : LowerAZCopy(FindStr);
  if (!Exact && needle.empty()) return false;
  int c1 = 0, c2 = FNCol, r1 = 1, r2 = FNRow;
  if (ColLow != -1 && ColHigh != -1) {
    c1 = ColLow;
    c2 = ColHigh;
    OrderedRange(c1, c2, 0, FNCol);
  }
  if (RowLow != -1 || RowHigh != -1) {
    r1 = RowLow;
    r2 = RowHigh;
    OrderedRange(r1, r2, 1, FNRow);
  }
  char buf[MaxTextLength];
  for (int r = r1; r <= r2; ++r) {
    for (int c = c1; c <= c2; ++c) {
      std::string_view t = CellText(c, r);
      if (!MatchCase) t = LowerAZInto(t, buf);
      if (Exact ? t == needle : t.find(needle) != std::string_view::npos) {
        Col = c;
        Row = r;
        return true;
      }
    }
  }
  return false;
}

bool TStringArray::FindCellInSortedColumn(std::string_view FindStr, bool MatchCase, int ColIx, int RowLow,
                                          int RowHigh, bool ColIsAscending, int& row) const {
  const AnsiString needle = MatchCase ? AnsiString(FindStr) : LowerAZCopy(FindStr);
  const int col = std::clamp(ColIx, 0, FNCol);
  int lo = 1, hi = FNRow;
  if (RowLow != -1 || RowHigh != -1) {
    lo = RowLow;
    hi = RowHigh;
    OrderedRange(lo, hi, 1, FNRow);
  }
  char buf[MaxTextLength];
  auto text = [&](int r) { return MatchCase ? CellText(col, r) : LowerAZInto(CellText(col, r), buf); };
  bool found = false;
  while (lo < hi && !found) {
    const int mid = lo + (hi - lo) / 2;
    const std::string_view t = text(mid);
    if (t == needle) {
      found = true;
      row = mid;
    } else if ((std::string_view(needle) < t) == ColIsAscending) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (!found && text(lo) == needle) {
    found = true;
    row = lo;
  }
  if (found)
    while (row > 1 && text(row - 1) == needle) --row;
  return found;
}

// [SECTION] moving contents (used by the readers)

void TStringArray::TakeContents(TStringArray& other) {
  std::swap(FNCol, other.FNCol);
  std::swap(FNRow, other.FNRow);
  std::swap(FRAllocated, other.FRAllocated);
  FFirstFree.swap(other.FFirstFree);
  FRoomTree.swap(other.FRoomTree);
  FPoiArray.swap(other.FPoiArray);
  FSortIx.swap(other.FSortIx);
  FStgPool.swap(other.FStgPool);
  FRowAttrib.swap(other.FRowAttrib);
  FColAttrib.swap(other.FColAttrib);
}

}  // namespace qelta
