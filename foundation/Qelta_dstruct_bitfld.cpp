// Bit field, byte matrix, FIFO and run-length coder of unit Qelta_dstruct.
//
// Deliberate deviations from the classic behaviour, each mending a fault:
// - TBitFld keeps the bits beyond Size false (after Invert, RandomFill, the Not-combinations and
//   a shrinking SetSize); they used to turn true there and showed up when the field grew.
// - RandomFill leaves exactly n bits true in both branches (the upper branch left n + 1), and n
//   may reach the number of bits (Size + 1), so 100 percent sets every bit.
// - TFifo.SetSize empties the FIFO (its indices could lie outside the new length); LoadBack on a
//   full FIFO refuses instead of making it look empty.
// - TRLEncoder grows its buffer instead of writing past it; a block length below 1 counts as 1;
//   SetBufLeng keeps the bytes held; Finish appends the closing run only while encoding, and
//   only once, so a decoder's tail and a repeated Finish stay clean.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "Math.h"
#include "Qelta_dstruct.h"
#include "Random.h"

namespace qelta {

namespace {

static_assert(std::endian::native == std::endian::little, "bit fields are read 64 bits at a time");

[[noreturn]] void RaiseComponent(const TComponent& c, const char16_t* text) {
  throw EQeltaDStructError(u"Component \"" + c.Name() + u"\": " + text);
}

// Runs `resize`; allocation failures become the unit's error with `text`.
template <typename F>
void Allocate(const TComponent& c, const char16_t* text, F&& resize) {
  try {
    resize();
  } catch (const std::bad_alloc&) {
    RaiseComponent(c, text);
  } catch (const std::length_error&) {
    RaiseComponent(c, text);
  }
}

constexpr const char16_t* kNoMemory = u"not enough memory on heap";

uint64_t LoadWord(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// Up to 8 bytes as a little-endian word (missing bytes 0).
uint64_t LoadPartial(const uint8_t* p, size_t n) {
  uint64_t w = 0;
  std::memcpy(&w, p, std::min<size_t>(n, 8));
  return w;
}

uint8_t Combine(uint8_t a, uint8_t b, TLogicOp op) {
  switch (op) {
    case loAND: return a & b;
    case loOR: return a | b;
    case loXOR: return a ^ b;
    case loANDNot: return a & uint8_t(~b);
    case loORNot: return a | uint8_t(~b);
    case loXORNot: return a ^ uint8_t(~b);
  }
  return a;
}

// self := self op other over n bytes; the loops are kept simple so that they vectorise.
void CombineBytes(uint8_t* a, const uint8_t* b, size_t n, TLogicOp op) {
  switch (op) {
    case loAND: for (size_t i = 0; i < n; ++i) a[i] &= b[i]; break;
    case loOR: for (size_t i = 0; i < n; ++i) a[i] |= b[i]; break;
    case loXOR: for (size_t i = 0; i < n; ++i) a[i] ^= b[i]; break;
    case loANDNot: for (size_t i = 0; i < n; ++i) a[i] &= uint8_t(~b[i]); break;
    case loORNot: for (size_t i = 0; i < n; ++i) a[i] |= uint8_t(~b[i]); break;
    case loXORNot: for (size_t i = 0; i < n; ++i) a[i] ^= uint8_t(~b[i]); break;
  }
}

}  // namespace

// [SECTION] TBitFld

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) {
  Allocate(*this, kNoMemory, [&] { FBitArray.assign(size_t(FSize / 8 + 2), 0); });
}

void TBitFld::SetSize(int n) {
  n = std::min(n, MaxSize);
  if (n <= 0 || n == FSize) return;
  Allocate(*this, kNoMemory, [&] { FBitArray.resize(size_t(n / 8 + 2), 0); });
  FSize = n;
  ClearTail();
}

void TBitFld::ClearTail() {
  const size_t last = size_t(FSize / 8);
  FBitArray[last] &= uint8_t((2u << (FSize % 8)) - 1);
  std::fill(FBitArray.begin() + std::ptrdiff_t(last + 1), FBitArray.end(), uint8_t(0));
}

bool TBitFld::GetBit(int i) const {
  if (i < 0 || i > FSize) return false;
  return (FBitArray[size_t(i / 8)] >> (i % 8)) & 1;
}

void TBitFld::SetBit(int i, bool state) {
  if (i < 0 || i > FSize) return;
  const uint8_t mask = uint8_t(1u << (i % 8));
  if (state)
    FBitArray[size_t(i / 8)] |= mask;
  else
    FBitArray[size_t(i / 8)] &= uint8_t(~mask);
}

void TBitFld::ToggleBit(int i) {
  if (i < 0 || i > FSize) return;
  FBitArray[size_t(i / 8)] ^= uint8_t(1u << (i % 8));
}

void TBitFld::Clear() { std::fill(FBitArray.begin(), FBitArray.end(), uint8_t(0)); }

void TBitFld::Invert() {
  for (size_t i = 0, n = size_t(ByteCount()); i < n; ++i) FBitArray[i] = uint8_t(~FBitArray[i]);
  ClearTail();
}

int TBitFld::CountTrueBits() const {
  const uint8_t* p = FBitArray.data();
  const size_t n = size_t(ByteCount());  // the tail beyond FSize is always 0
  int64_t count = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) count += std::popcount(LoadWord(p + i));
  count += std::popcount(LoadPartial(p + i, n - i));
  return int(count);
}

int TBitFld::FirstTrueBit() const {
  const uint8_t* p = FBitArray.data();
  const size_t n = size_t(ByteCount());
  for (size_t i = 0; i < n; i += 8) {
    const uint64_t w = LoadPartial(p + i, n - i);
    if (w != 0) return int(i * 8) + std::countr_zero(w);
  }
  return -1;
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr || Source == this) return;
  SetSize(Source->FSize);
  std::copy(Source->FBitArray.begin(), Source->FBitArray.end(), FBitArray.begin());
}

void TBitFld::CombineWith(const TBitFld* SecondBArray, TLogicOp Operation) {
  if (SecondBArray == nullptr || SecondBArray->FSize != FSize) return;
  CombineBytes(FBitArray.data(), SecondBArray->FBitArray.data(), size_t(ByteCount()), Operation);
  ClearTail();
}

void TBitFld::MakeListOfBits(std::vector<int>& BitList, bool State) const {
  BitList.clear();
  const uint8_t* p = FBitArray.data();
  const size_t n = size_t(ByteCount());
  for (size_t i = 0; i < n; i += 8) {
    uint64_t w = LoadPartial(p + i, n - i);
    if (!State) w = ~w;
    const int64_t base = int64_t(i) * 8;
    if (base + 63 > FSize) w &= (uint64_t(2) << (FSize - base)) - 1;  // only bits up to FSize
    for (; w != 0; w &= w - 1) BitList.push_back(int(base + std::countr_zero(w)));
  }
}

void TBitFld::RandomFill(double Percent) {
  if (!(Percent > 0)) Percent = 0;  // NaN too
  if (Percent > 100) Percent = 100;
  SetRandBitsIntern(int(Round(Percent * 0.01 * (double(FSize) + 1))));
}

void TBitFld::RandomFill(int NBits) { SetRandBitsIntern(std::clamp(NBits, 0, FSize + 1)); }

void TBitFld::SetRandBitsIntern(int n) {
  // Sets n bits of a cleared field, or clears the others of a full one: whichever draws fewer.
  const bool fromEmpty = n <= FSize / 2;
  int toDraw = fromEmpty ? n : FSize + 1 - n;
  if (fromEmpty) {
    Clear();
  } else {
    std::fill(FBitArray.begin(), FBitArray.end(), uint8_t(0xFF));
    ClearTail();
  }
  while (toDraw > 0) {
    const int i = int(Round(Random() * FSize));
    if (GetBit(i) != fromEmpty) {
      SetBit(i, fromEmpty);
      --toDraw;
    }
  }
}

// [SECTION] TByteMatrix

TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner) {
  Allocate(*this, kNoMemory, [&] { FByteMat.assign(1, 0); });
}

bool TByteMatrix::Resize(int columns, int rows) {
  if (columns < 1 || rows < 1 || (columns == FNrCols && rows == FNrRows)) return false;
  std::vector<uint8_t> fresh;
  Allocate(*this, kNoMemory, [&] { fresh.assign(size_t(columns) * size_t(rows), 0); });
  const size_t keepRows = size_t(std::min(rows, FNrRows));
  for (int c = 0; c < std::min(columns, FNrCols); ++c)
    std::copy_n(FByteMat.begin() + std::ptrdiff_t(size_t(c) * size_t(FNrRows)), keepRows,
                fresh.begin() + std::ptrdiff_t(size_t(c) * size_t(rows)));
  FByteMat.swap(fresh);
  FNrCols = columns;
  FNrRows = rows;
  Changed();
  return true;
}

void TByteMatrix::SetNrCols(int n) { Resize(std::max(n, 1), FNrRows); }

void TByteMatrix::SetNrRows(int n) { Resize(FNrCols, std::max(n, 1)); }

void TByteMatrix::Fill(uint8_t b) {
  std::fill(FByteMat.begin(), FByteMat.end(), b);
  Changed();
}

void TByteMatrix::SetByte(int col, int row, uint8_t b) {
  if (!Inside(col, row)) return;
  Cell(col, row) = b;
  Changed();
}

uint8_t TByteMatrix::GetByte(int col, int row) const {
  if (!Inside(col, row)) return 0;
  return FByteMat[size_t(col - 1) * size_t(FNrRows) + size_t(row - 1)];
}

void TByteMatrix::SetBit(int col, int row, int ixBit, bool state) {
  if (!Inside(col, row) || ixBit < 0 || ixBit > 7) return;
  const uint8_t mask = uint8_t(1u << ixBit);
  Cell(col, row) = state ? uint8_t(Cell(col, row) | mask) : uint8_t(Cell(col, row) & ~mask);
  Changed();
}

bool TByteMatrix::GetBit(int col, int row, int ixBit) const {
  if (ixBit < 0 || ixBit > 7) return false;
  return (GetByte(col, row) >> ixBit) & 1;
}

void TByteMatrix::ToggleBit(int col, int row, int ixBit) {
  if (!Inside(col, row) || ixBit < 0 || ixBit > 7) return;
  Cell(col, row) ^= uint8_t(1u << ixBit);
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation) {
  if (SecondByteMatrix == nullptr || SecondByteMatrix->FNrCols != FNrCols || SecondByteMatrix->FNrRows != FNrRows)
    return;
  for (size_t i = 0; i < FByteMat.size(); ++i)
    FByteMat[i] = Combine(FByteMat[i], SecondByteMatrix->FByteMat[i], Operation);
}

void TByteMatrix::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] TFifo

TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner) {
  Allocate(*this, u"FIFO structure too large", [&] { FData.assign(size_t(FLength), 0); });
}

bool TFifo::PutByte(uint8_t b) {
  if (Next(FInPoi) == FOutPoi) return false;
  FData[size_t(FInPoi)] = b;
  FInPoi = Next(FInPoi);
  return true;
}

bool TFifo::ForceByte(uint8_t b) {
  const bool dropped = Next(FInPoi) == FOutPoi;
  if (dropped) FOutPoi = Next(FOutPoi);
  PutByte(b);
  return dropped;
}

bool TFifo::GetByte(uint8_t& b) {
  if (FInPoi == FOutPoi) return false;
  b = FData[size_t(FOutPoi)];
  FOutPoi = Next(FOutPoi);
  return true;
}

bool TFifo::SenseByte(int ix, uint8_t& b) const {
  if (ix < 0 || ix >= CountBytes()) return false;
  b = FData[size_t((int64_t(FOutPoi) + ix) % FLength)];
  return true;
}

bool TFifo::LoadBack(uint8_t b) {
  if (Next(FInPoi) == FOutPoi) return false;  // moving back would meet the write index
  FOutPoi = FOutPoi == 0 ? FLength - 1 : FOutPoi - 1;
  FData[size_t(FOutPoi)] = b;
  return true;
}

int TFifo::CountBytes() const {
  const int d = FInPoi - FOutPoi;
  return d < 0 ? d + FLength : d;
}

void TFifo::Clear() { FInPoi = FOutPoi = 0; }

void TFifo::SetSize(int n) {
  if (n <= 0 || n == FLength) return;
  Allocate(*this, u"FIFO structure too large", [&] { FData.assign(size_t(n), 0); });
  FLength = n;
  Clear();
}

// [SECTION] TRLEncoder

TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) {
  Allocate(*this, kNoMemory, [&] { FBuffer.assign(size_t(4 * FBufLeng), 0); });
}

void TRLEncoder::Append(uint8_t b) {
  if (size_t(FBufPoi) == FBuffer.size())
    Allocate(*this, kNoMemory, [&] { FBuffer.resize(FBuffer.size() * 2, 0); });
  FBuffer[size_t(FBufPoi++)] = b;
}

void TRLEncoder::AppendRun(uint8_t count, uint8_t b) {
  Append(FLeadInByte);
  Append(count);
  Append(b);
}

void TRLEncoder::WritePending() {
  if (FCount <= 2 && FLastB != FLeadInByte) {
    for (int k = 0; k < FCount; ++k) Append(FLastB);
  } else {
    AppendRun(FCount, FLastB);
  }
}

bool TRLEncoder::Encode(std::span<const uint8_t> data, int count) {
  FFlushed = false;
  const size_t n = size_t(std::clamp<int64_t>(count, 0, int64_t(data.size())));
  for (size_t i = 0; i < n; ++i) {
    const uint8_t a = data[i];
    if (FCount == 0) {
      FCount = 1;
      FLastB = a;
    } else if (a == FLastB) {
      if (++FCount == 255) {
        AppendRun(255, FLastB);
        FCount = 0;
      }
    } else {
      WritePending();
      FCount = 1;
      FLastB = a;
    }
  }
  return BlockFull();
}

bool TRLEncoder::Decode(uint8_t b) {
  FDecoding = true;
  switch (FDecodeSt) {
    case rlData:
      if (b == FLeadInByte)
        FDecodeSt = rlLeadin;
      else
        Append(b);
      break;
    case rlLeadin:
      FCount = b;
      FDecodeSt = rlCnt;
      break;
    case rlCnt:
      for (int k = 0; k < FCount; ++k) Append(b);
      FCount = 0;
      FDecodeSt = rlData;
      break;
  }
  return BlockFull();
}

void TRLEncoder::GetResult(std::vector<uint8_t>& block) {
  if (!BlockFull()) return;
  block.assign(FBuffer.begin(), FBuffer.begin() + FBufLeng);
  std::copy(FBuffer.begin() + FBufLeng, FBuffer.begin() + FBufPoi, FBuffer.begin());
  FBufPoi -= FBufLeng;
}

int TRLEncoder::Finish(std::vector<uint8_t>& block) {
  if (!FDecoding && !FFlushed) {
    AppendRun(FCount, FLastB);
    FCount = 0;
    FFlushed = true;
  }
  if (FBufPoi < FBufLeng) {
    block.assign(FBuffer.begin(), FBuffer.begin() + FBufPoi);
    const int n = FBufPoi;
    FBufPoi = 0;
    return n;
  }
  GetResult(block);
  return FBufLeng;
}

void TRLEncoder::Reset() {
  FBufPoi = 0;
  FCount = 0;
  FLastB = 0;
  FDecodeSt = rlData;
  FDecoding = false;
  FFlushed = false;
}

void TRLEncoder::SetBufLeng(int n) {
  n = std::max(n, 1);
  if (n == FBufLeng) return;
  Allocate(*this, kNoMemory, [&] { FBuffer.resize(std::max(size_t(4) * size_t(n), size_t(FBufPoi)), 0); });
  FBufLeng = n;
}

}  // namespace qelta
