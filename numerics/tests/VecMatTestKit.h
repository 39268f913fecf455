#pragma once
// Helpers of the vector and matrix tests: event recorders, an independent fingerprint over zlib's
// crc32, byte images of streams and files.

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Classes.h"
#include "Encoding.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"

namespace qelta::test {

/// Cells of a matrix, one inner list per row.
template <typename T>
using TRowsOf = std::vector<std::vector<T>>;

/// Resizes m to the table (one inner list per row) and fills it through SetVal.
template <typename M, typename T>
void LoadRows(M& m, const TRowsOf<T>& rows) {
  m.Resize(rows.empty() ? 0 : static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) m.SetVal(static_cast<int>(c + 1), static_cast<int>(r + 1), rows[r][c]);
}

/// The cells the dimensions cover, one inner list per row.
template <typename T, typename M>
TRowsOf<T> RowsOf(const M& m) {
  TRowsOf<T> rows(static_cast<std::size_t>(m.NrOfRows()));
  for (int r = 1; r <= m.NrOfRows(); ++r)
    for (int c = 1; c <= m.NrOfColumns(); ++c) rows[static_cast<std::size_t>(r - 1)].push_back(m.GetVal(c, r));
  return rows;
}

/// Counts OnChange calls and records OnSortExchange arguments of one container.
struct TEventLog {
  int Changes = 0;
  std::vector<std::array<int, 5>> Exchanges;  ///< ExchgWhat, index1, index2, first, last

  template <typename C>
  void Hook(C& c) {
    c.OnChange = [this](TObject*) { ++Changes; };
    c.OnSortExchange = [this](TObject*, uint8_t what, int i1, int i2, int first, int last) {
      Exchanges.push_back({what, i1, i2, first, last});
    };
  }
};

/// Little-endian bytes of a value, least significant first (independent of the host).
template <typename T>
std::array<uint8_t, sizeof(T)> LittleEndianBytes(T v) {
  uint64_t bits = 0;
  if constexpr (sizeof(T) == 8)
    bits = std::bit_cast<uint64_t>(v);
  else
    bits = static_cast<uint32_t>(v);
  std::array<uint8_t, sizeof(T)> b{};
  for (std::size_t k = 0; k < sizeof(T); ++k) b[k] = static_cast<uint8_t>(bits >> (8 * k));
  return b;
}

/// The fingerprint computed lane by lane with zlib: CRC-32 of byte k of every value, for each k,
/// as 8 upper-case hexadecimal digits, lane 0 first.
template <typename T>
std::string ZlibLanes(const std::vector<T>& values) {
  std::string out;
  for (std::size_t k = 0; k < sizeof(T); ++k) {
    std::vector<uint8_t> lane;
    for (T v : values) lane.push_back(LittleEndianBytes(v)[k]);
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08lX", crc32(0L, lane.data(), static_cast<uInt>(lane.size())));
    out += buf;
  }
  return out;
}

/// Element type of a vector or matrix class.
template <typename V>
using ElemOf = std::remove_cvref_t<decltype(std::declval<const V&>().GetVal(1))>;

/// Cell type of a matrix class.
template <typename M>
using CellOf = std::remove_cvref_t<decltype(std::declval<const M&>().GetVal(1, 1))>;

/// Resizes the vector to the values and stores them (TVector or TIntVector).
template <typename V>
void FillVector(V& v, std::initializer_list<ElemOf<V>> values) {
  v.Resize(static_cast<int>(values.size()));
  int i = 1;
  for (auto x : values) v.SetVal(i++, x);
}

/// Resizes the matrix to the table (one inner list per row) and stores the cells.
template <typename M>
void FillMatrix(M& m, std::initializer_list<std::initializer_list<CellOf<M>>> rows) {
  const int nr = static_cast<int>(rows.size());
  m.Resize(nr == 0 ? 0 : static_cast<int>(rows.begin()->size()), nr);
  int r = 1;
  for (const auto& row : rows) {
    int c = 1;
    for (auto v : row) m.SetVal(c++, r, v);
    ++r;
  }
}

/// Elements 1..NrOfElem of a vector.
template <typename V>
auto ElementsOf(const V& v) {
  std::vector<decltype(v.GetVal(1))> out;
  for (int i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

/// Whole contents of a memory stream as a byte string.
inline std::string BytesOf(const TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(const_cast<TMemoryStream&>(s).Size()));
}

/// Memory stream holding the bytes, position 0.
inline void Fill(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
}

/// Byte string from a list of byte values.
inline std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

/// The 10-byte extended images of small values used by the stream tests (x87 layout, exact).
inline std::string Ext(double v) {
  if (v == 1.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F});
  if (v == 2.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40});
  if (v == 3.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40});
  if (v == 4.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x40});
  if (v == 1.5) return Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
  if (v == -2.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0});
  if (v == 0.0) return Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  return std::string();
}

/// 4-byte little-endian image of an integer.
inline std::string I32(int32_t v) {
  const auto b = LittleEndianBytes(v);
  return std::string(b.begin(), b.end());
}

}  // namespace qelta::test
