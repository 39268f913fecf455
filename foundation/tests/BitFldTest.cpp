// Bit field, byte matrix, FIFO and run-length coder.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "Assertions.h"
#include "Qelta_dstruct.h"
#include "Random.h"

using namespace qelta;

namespace {

// [SECTION] TBitFld

std::vector<bool> Bits(const TBitFld& f) {
  std::vector<bool> v(size_t(f.Size()) + 1);
  for (int i = 0; i <= f.Size(); ++i) v[size_t(i)] = f.GetBit(i);
  return v;
}

void RandomBits(TBitFld& f, std::vector<bool>& model, std::mt19937& rng, int percent) {
  for (int i = 0; i <= f.Size(); ++i) {
    const bool b = int(rng() % 100) < percent;
    f.SetBit(i, b);
    model[size_t(i)] = b;
  }
}

TEST(TBitFld, NewFieldHoldsBitsZeroToThousand) {
  TBitFld f(nullptr);
  EXPECT_EQ(f.Size(), 1000);
  f.SetBit(1000, true);
  EXPECT_TRUE(f.GetBit(1000));
  EXPECT_FALSE(f.GetBit(1001));
  f.SetBit(1001, true);
  f.ToggleBit(1001);
  f.SetBit(-1, true);
  EXPECT_FALSE(f.GetBit(-1));
  EXPECT_EQ(f.CountTrueBits(), 1);
  std::vector<int> list;
  f.Clear();
  f.MakeListOfBits(list, false);
  EXPECT_EQ(list.size(), 1001u);
  EXPECT_EQ(list.back(), 1000);
}

TEST(TBitFld, FirstTrueBitOfEmptyAndOfLastBit) {
  for (int size : {1, 7, 8, 63, 64, 65, 1000}) {
    TBitFld f(nullptr);
    f.SetSize(size);
    EXPECT_EQ(f.FirstTrueBit(), -1) << size;
    f.SetBit(size, true);
    EXPECT_EQ(f.FirstTrueBit(), size) << size;
  }
}

TEST(TBitFld, SetSizeIgnoresNonPositiveAndKeepsBits) {
  TBitFld f(nullptr);
  f.SetBit(17, true);
  f.SetSize(0);
  f.SetSize(-5);
  EXPECT_EQ(f.Size(), 1000);
  f.SetSize(20);
  EXPECT_TRUE(f.GetBit(17));
  EXPECT_EQ(f.CountTrueBits(), 1);
}

TEST(TBitFld, CombinationsAgreeWithVectorOfBool) {
  std::mt19937 rng(11);
  const TLogicOp ops[] = {loAND, loOR, loXOR, loANDNot, loORNot, loXORNot};
  for (int size : {1, 6, 7, 8, 62, 63, 64, 65, 127, 1000, 4099}) {
    for (TLogicOp op : ops) {
      TBitFld a(nullptr), b(nullptr);
      a.SetSize(size);
      b.SetSize(size);
      std::vector<bool> ma(size_t(size) + 1), mb(size_t(size) + 1);
      RandomBits(a, ma, rng, 50);
      RandomBits(b, mb, rng, 30);
      a.CombineWith(&b, op);
      int count = 0, first = -1;
      std::vector<int> list;
      for (int i = 0; i <= size; ++i) {
        const bool x = ma[size_t(i)], y = mb[size_t(i)];
        const bool r = op == loAND      ? x && y
                       : op == loOR     ? x || y
                       : op == loXOR    ? x != y
                       : op == loANDNot ? x && !y
                       : op == loORNot  ? x || !y
                                        : x == y;
        ma[size_t(i)] = r;
        if (r) {
          ++count;
          list.push_back(i);
          if (first < 0) first = i;
        }
      }
      ASSERT_EQ(Bits(a), ma) << size << " op " << int(op);
      EXPECT_EQ(a.CountTrueBits(), count);
      EXPECT_EQ(a.FirstTrueBit(), first);
      std::vector<int> got;
      a.MakeListOfBits(got, true);
      EXPECT_EQ(got, list);
      a.MakeListOfBits(got, false);
      EXPECT_EQ(int(got.size()), size + 1 - count);
    }
  }
}

TEST(TBitFld, CombineWithNeedsEqualSize) {
  TBitFld a(nullptr), b(nullptr);
  b.SetSize(999);
  b.Invert();
  a.CombineWith(&b, loOR);
  a.CombineWith(nullptr, loORNot);
  EXPECT_EQ(a.CountTrueBits(), 0);
}

TEST(TBitFld, InvertAndCloneAgreeWithModel) {
  TBitFld a(nullptr), b(nullptr);
  std::mt19937 rng(5);
  a.SetSize(77);
  std::vector<bool> m(78);
  RandomBits(a, m, rng, 40);
  a.Invert();
  m.flip();
  EXPECT_EQ(Bits(a), m);
  b.Clone(&a);
  EXPECT_EQ(b.Size(), 77);
  EXPECT_EQ(Bits(b), m);
  b.Clone(nullptr);
  EXPECT_EQ(Bits(b), m);
}

// The bits beyond Size in the last byte used to turn true (Invert, the upper branch of
// RandomFill, the Or-Not and Xor-Not combinations, a shrinking SetSize) and appeared as true
// bits when the field grew again.
TEST(TBitFld, GrowingShowsNoStaleBits) {
  struct Case {
    const char* what;
    void (*act)(TBitFld& f, TBitFld& other);
  };
  const Case cases[] = {
      {"Invert", [](TBitFld& f, TBitFld&) { f.Invert(); }},
      {"RandomFill", [](TBitFld& f, TBitFld&) { f.RandomFill(90.0); }},
      {"ORNot", [](TBitFld& f, TBitFld& o) { f.CombineWith(&o, loORNot); }},
      {"XORNot", [](TBitFld& f, TBitFld& o) { f.CombineWith(&o, loXORNot); }},
      {"shrink", [](TBitFld& f, TBitFld&) {
         f.SetSize(1007);
         f.Invert();
         f.SetSize(1000);
       }},
  };
  for (const Case& c : cases) {
    TBitFld f(nullptr), other(nullptr);
    c.act(f, other);
    const int before = f.CountTrueBits();
    f.SetSize(1007);
    EXPECT_EQ(f.CountTrueBits(), before) << c.what;
    for (int i = 1001; i <= 1007; ++i) EXPECT_FALSE(f.GetBit(i)) << c.what << " bit " << i;
  }
}

// The upper branch (more than half of the bits) used to leave n + 1 bits true.
TEST(TBitFld, RandomFillSetsExactlyN) {
  struct Case {
    int size, n, expected;
  };
  const Case cases[] = {{1000, 0, 0},    {1000, 1, 1},     {1000, 500, 500}, {1000, 501, 501},
                        {1000, 999, 999}, {1000, 1000, 1000}, {1000, 1001, 1001}, {1000, 5000, 1001},
                        {1000, -3, 0},   {1, 1, 1},        {1, 2, 2},        {63, 40, 40}};
  RandSeed = 4711;
  for (const Case& c : cases) {
    TBitFld f(nullptr);
    f.SetSize(c.size);
    f.SetBit(3, true);
    f.RandomFill(c.n);
    EXPECT_EQ(f.CountTrueBits(), c.expected) << c.size << " " << c.n;
  }
}

TEST(TBitFld, RandomFillByPercentIsClampedAndReproducible) {
  TBitFld f(nullptr), g(nullptr);
  f.RandomFill(100.0);
  EXPECT_EQ(f.CountTrueBits(), 1001);
  f.RandomFill(-5.0);
  EXPECT_EQ(f.CountTrueBits(), 0);
  f.RandomFill(250.0);
  EXPECT_EQ(f.CountTrueBits(), 1001);
  RandSeed = 99;
  f.RandomFill(30.0);
  RandSeed = 99;
  g.RandomFill(30.0);
  EXPECT_EQ(f.CountTrueBits(), 300);  // Round(0.3 * 1001)
  EXPECT_EQ(Bits(f), Bits(g));
}

// [SECTION] TByteMatrix

TEST(TByteMatrix, NewIsOneByOneAndRefusesBadResize) {
  TByteMatrix m(nullptr);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 0);
  EXPECT_FALSE(m.Resize(0, 5));
  EXPECT_FALSE(m.Resize(1, 1));
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(changes, 0);
  m.SetNrCols(-4);  // clamped to 1: unchanged
  EXPECT_EQ(m.NrOfColumns(), 1);
}

TEST(TByteMatrix, ResizeKeepsOverlapAndZeroesNewCells) {
  TByteMatrix m(nullptr);
  m.Resize(3, 4);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 4; ++r) m.SetByte(c, r, uint8_t(10 * c + r));
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(m.Resize(2, 6));
  EXPECT_EQ(changes, 1);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(m.GetByte(c, r), r <= 4 ? 10 * c + r : 0) << c << "," << r;
  EXPECT_EQ(m.GetByte(3, 1), 0);
}

TEST(TByteMatrix, BitsAndOutsideAccess) {
  TByteMatrix m(nullptr);
  m.Resize(2, 2);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SetBit(2, 2, 7, true);
  m.ToggleBit(2, 2, 0);
  EXPECT_EQ(m.GetByte(2, 2), 0x81);
  EXPECT_TRUE(m.GetBit(2, 2, 7));
  EXPECT_FALSE(m.GetBit(2, 2, 8));
  EXPECT_EQ(changes, 2);
  m.SetBit(3, 1, 0, true);
  m.SetBit(1, 1, 8, true);
  m.ToggleBit(0, 1, 1);
  m.SetByte(1, 3, 9);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(m.GetByte(0, 0), 0);
  m.SetBit(2, 2, 7, false);
  EXPECT_EQ(m.GetByte(2, 2), 0x01);
}

TEST(TByteMatrix, CombineWithCellByCellWithoutEvent) {
  TByteMatrix a(nullptr), b(nullptr), c(nullptr);
  a.Resize(2, 1);
  b.Resize(2, 1);
  a.Fill(0xF0);
  b.SetByte(1, 1, 0x3C);
  b.SetByte(2, 1, 0xFF);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.CombineWith(&b, loXORNot);
  EXPECT_EQ(a.GetByte(1, 1), uint8_t(0xF0 ^ ~0x3C));
  EXPECT_EQ(a.GetByte(2, 1), 0xF0);
  a.CombineWith(&c, loAND);  // other size: nothing
  EXPECT_EQ(a.GetByte(2, 1), 0xF0);
  EXPECT_EQ(changes, 0);
}

// [SECTION] TFifo

TEST(TFifo, SizeFourHoldsThreeAndForceDropsOldest) {
  TFifo q(nullptr);
  q.SetSize(4);
  EXPECT_TRUE(q.PutByte(1));
  EXPECT_TRUE(q.PutByte(2));
  EXPECT_TRUE(q.PutByte(3));
  EXPECT_FALSE(q.PutByte(4));
  EXPECT_TRUE(q.ForceByte(4));
  EXPECT_EQ(q.CountBytes(), 3);
  uint8_t b = 0;
  EXPECT_TRUE(q.SenseByte(2, b));
  EXPECT_EQ(b, 4);
  EXPECT_FALSE(q.SenseByte(3, b));
  EXPECT_FALSE(q.SenseByte(-1, b));
  EXPECT_TRUE(q.GetByte(b));
  EXPECT_EQ(b, 2);
  EXPECT_FALSE(q.ForceByte(5));
}

TEST(TFifo, AgreesWithDequeOverRandomOperations) {
  std::mt19937 rng(3);
  TFifo q(nullptr);
  q.SetSize(7);
  std::deque<uint8_t> model;
  for (int step = 0; step < 5000; ++step) {
    const uint8_t v = uint8_t(rng());
    uint8_t b = 0;
    switch (rng() % 5) {
      case 0: EXPECT_EQ(q.PutByte(v), model.size() < 6); if (model.size() < 6) model.push_back(v); break;
      case 1: EXPECT_EQ(q.ForceByte(v), model.size() == 6);
        if (model.size() == 6) model.pop_front();
        model.push_back(v);
        break;
      case 2: EXPECT_EQ(q.GetByte(b), !model.empty());
        if (!model.empty()) {
          EXPECT_EQ(b, model.front());
          model.pop_front();
        }
        break;
      case 3: EXPECT_EQ(q.LoadBack(v), model.size() < 6); if (model.size() < 6) model.push_front(v); break;
      default:
        for (int i = 0; i < int(model.size()); ++i) {
          ASSERT_TRUE(q.SenseByte(i, b));
          EXPECT_EQ(b, model[size_t(i)]);
        }
    }
    ASSERT_EQ(q.CountBytes(), int(model.size())) << step;
  }
}

// SetSize left the indices as they were, which could point outside the new store.
TEST(TFifo, SetSizeEmptiesTheFifo) {
  TFifo q(nullptr);
  for (int i = 0; i < 200; ++i) q.PutByte(uint8_t(i));
  q.SetSize(16);
  EXPECT_EQ(q.Size(), 16);
  EXPECT_EQ(q.CountBytes(), 0);
  uint8_t b = 0;
  EXPECT_FALSE(q.GetByte(b));
  for (int i = 0; i < 15; ++i) EXPECT_TRUE(q.PutByte(uint8_t(i)));
  EXPECT_FALSE(q.PutByte(99));
}

// LoadBack on a full FIFO moved the read index onto the write index: the FIFO looked empty.
TEST(TFifo, LoadBackOnFullFifoRefuses) {
  TFifo q(nullptr);
  q.SetSize(3);
  q.PutByte(1);
  q.PutByte(2);
  EXPECT_FALSE(q.LoadBack(9));
  EXPECT_EQ(q.CountBytes(), 2);
  uint8_t b = 0;
  q.GetByte(b);
  EXPECT_TRUE(q.LoadBack(b));
  q.GetByte(b);
  EXPECT_EQ(b, 1);
}

// [SECTION] TRLEncoder

using Bytes = std::vector<uint8_t>;

// Encodes in chunks, fetching every full block, and finishes; answers the coded stream.
Bytes EncodeAll(TRLEncoder& e, const Bytes& data, size_t chunk) {
  Bytes out, block;
  for (size_t i = 0; i < data.size(); i += chunk) {
    const Bytes part(data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(std::min(data.size(), i + chunk)));
    if (e.Encode(part, int(part.size())))
      do {
        e.GetResult(block);
        out.insert(out.end(), block.begin(), block.end());
      } while (e.Encode({}, 0));
  }
  int n;
  while ((n = e.Finish(block)) == e.BufLeng()) out.insert(out.end(), block.begin(), block.end());
  out.insert(out.end(), block.begin(), block.end());
  return out;
}

Bytes DecodeAll(TRLEncoder& e, const Bytes& coded) {
  Bytes out, block;
  for (uint8_t b : coded)
    if (e.Decode(b)) {
      e.GetResult(block);
      out.insert(out.end(), block.begin(), block.end());
    }
  int n;
  while ((n = e.Finish(block)) == e.BufLeng()) out.insert(out.end(), block.begin(), block.end());
  out.insert(out.end(), block.begin(), block.end());
  return out;
}

TEST(TRLEncoder, CodedStreamsOfTheClassicExamples) {
  struct Case {
    const char* what;
    Bytes in, coded;
  };
  Bytes many(300, 0x41);
  const Case cases[] = {
      {"7 7 9", {7, 7, 9}, {7, 7, 0xA5, 1, 9}},
      {"single A5", {0xA5}, {0xA5, 1, 0xA5}},
      {"A5 A5 then 1", {0xA5, 0xA5, 1}, {0xA5, 2, 0xA5, 0xA5, 1, 1}},
      {"three equal", {4, 4, 4, 5}, {0xA5, 3, 4, 0xA5, 1, 5}},
      {"300 equal", many, {0xA5, 255, 0x41, 0xA5, 45, 0x41}},
      {"nothing", {}, {0xA5, 0, 0}},
  };
  for (const Case& c : cases) {
    TRLEncoder e(nullptr);
    EXPECT_EQ(EncodeAll(e, c.in, 1000), c.coded) << c.what;
  }
}

TEST(TRLEncoder, GetResultDeliversFullBlocksOnly) {
  TRLEncoder e(nullptr);
  e.SetBufLeng(4);
  Bytes block{42};
  EXPECT_FALSE(e.Encode(Bytes{1, 2, 3}, 3));
  e.GetResult(block);
  EXPECT_EQ(block, Bytes{42});
  EXPECT_TRUE(e.Encode(Bytes{4, 5, 6}, 2));  // only 4 and 5: 1 2 3 4 written, 5 pending
  e.GetResult(block);
  EXPECT_EQ(block, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(e.Finish(block), 3);
  EXPECT_EQ(block, (Bytes{0xA5, 1, 5}));
}

TEST(TRLEncoder, RoundTripsRandomDataWithRunsAndLeadIns) {
  std::mt19937 rng(77);
  for (int bufLeng : {1, 3, 4, 7, 256}) {
    for (int trial = 0; trial < 20; ++trial) {
      Bytes data;
      while (data.size() < 3000) {
        const uint8_t v = rng() % 4 == 0 ? uint8_t(0xA5) : uint8_t(rng() % 8);
        const size_t run = rng() % 3 == 0 ? rng() % 600 : 1;
        data.insert(data.end(), run, v);
      }
      TRLEncoder e(nullptr);
      e.SetBufLeng(bufLeng);
      const Bytes coded = EncodeAll(e, data, 1 + rng() % 50);
      e.Reset();
      ASSERT_EQ(DecodeAll(e, coded), data) << bufLeng << " trial " << trial;
    }
  }
}

// The buffer was fixed at 4 x BufLeng: an Encode call with much input wrote past it.
TEST(TRLEncoder, LargeCallsGrowTheBuffer) {
  Bytes data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 3 == 0 ? 0xA5 : i);
  TRLEncoder e(nullptr);
  e.SetBufLeng(4);
  const Bytes coded = EncodeAll(e, data, data.size());
  EXPECT_GT(coded.size(), data.size());
  TRLEncoder d(nullptr);
  d.SetBufLeng(2);
  EXPECT_EQ(DecodeAll(d, coded), data);
}

// A block length below 1 made every call report a full block of nothing.
TEST(TRLEncoder, BufLengBelowOneCountsAsOne) {
  for (int n : {0, -7}) {
    TRLEncoder e(nullptr);
    e.SetBufLeng(n);
    EXPECT_EQ(e.BufLeng(), 1);
    EXPECT_EQ(EncodeAll(e, Bytes{7, 7, 9}, 1), (Bytes{7, 7, 0xA5, 1, 9}));
  }
}

// SetBufLeng zeroed the buffer while bytes were held.
TEST(TRLEncoder, SetBufLengKeepsHeldBytes) {
  TRLEncoder e(nullptr);
  e.Encode(Bytes{1, 2, 3, 3}, 4);
  e.SetBufLeng(2);
  Bytes block;
  EXPECT_TRUE(e.Encode({}, 0));
  e.GetResult(block);
  EXPECT_EQ(block, (Bytes{1, 2}));
  EXPECT_EQ(e.Finish(block), 2);
  EXPECT_EQ(block, (Bytes{0xA5, 2}));
  EXPECT_EQ(e.Finish(block), 1);
  EXPECT_EQ(block, Bytes{3});
}

// Finish appended a closing run to decoded data and a further run at every repeated call.
TEST(TRLEncoder, FinishAddsTheClosingRunOnlyOnceAndNeverToDecodedData) {
  TRLEncoder e(nullptr);
  for (uint8_t b : Bytes{9, 0xA5, 3, 8}) e.Decode(b);
  Bytes block;
  EXPECT_EQ(e.Finish(block), 4);
  EXPECT_EQ(block, (Bytes{9, 8, 8, 8}));
  EXPECT_EQ(e.Finish(block), 0);
  e.Reset();
  e.Encode(Bytes{5}, 1);
  e.Finish(block);
  EXPECT_EQ(e.Finish(block), 0);
}

}  // namespace
