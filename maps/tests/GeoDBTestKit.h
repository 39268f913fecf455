#pragma once
// Test helpers of TGeoDB: a database in a temporary folder, short forms of the add calls, a progress
// recorder, and an independent reader that decodes the six files with its own offsets and checks the
// invariants of the file format (one index record per entry, sorted keys equal to the bounds).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "FileTestKit.h"
#include "Qelta_GeoDB.h"

namespace qelta::test {

static_assert(std::endian::native == std::endian::little, "the raw reader decodes with the host's byte order");

/// A value of type T at byte offset `at` of raw file bytes.
template <class T>
T RawAt(const std::string& bytes, std::size_t at) {
  T v{};
  if (at + sizeof(T) <= bytes.size()) std::memcpy(&v, bytes.data() + at, sizeof(T));
  return v;
}

/// One summary record as the file holds it, every byte accounted for.
struct RawSummary {
  int32_t itemId = 0;
  uint8_t nameLength = 0;
  std::string nameBytes;  ///< the 59 character bytes
  float altitude = 0;
  uint8_t classFlag = 0;
  int32_t tag = 0, blobOffset = 0;
  double date = 0;
  int32_t stateFlag = 0;
  float latLow = 0, latHigh = 0, longLow = 0, longHigh = 0;
  uint8_t kind = 0;
  int32_t numPoints = 0;
  uint8_t closed = 0;
  std::string padding;  ///< bytes 69..71, 109..111 and 117..119

  std::string Name() const { return nameBytes.substr(0, nameLength); }
  float Bound(int n) const { return n == 1 ? latLow : n == 2 ? latHigh : n == 3 ? longLow : longHigh; }
};

/// An index record: the key's raw 32 bits and the 0-based entry.
struct RawIndexRec {
  uint32_t keyBits = 0;
  int32_t index = 0;
  float Key() const { return std::bit_cast<float>(keyBits); }
  int32_t Id() const { return static_cast<int32_t>(keyBits); }
};

/// The six files of a database.
struct RawDB {
  std::string data, summary;
  std::vector<std::string> indexFiles;  // 0..4
  int32_t highestId = 0, version = 0, revision = 0;
  std::string description;
  std::string reserved;
  std::vector<RawSummary> sums;
  std::vector<std::vector<RawIndexRec>> index;
};

inline RawSummary DecodeRawSummary(const std::string& b, std::size_t at) {
  RawSummary s;
  s.itemId = RawAt<int32_t>(b, at + 0);
  s.nameLength = RawAt<uint8_t>(b, at + 4);
  s.nameBytes = b.substr(at + 5, 59);
  s.altitude = RawAt<float>(b, at + 64);
  s.classFlag = RawAt<uint8_t>(b, at + 68);
  s.tag = RawAt<int32_t>(b, at + 72);
  s.blobOffset = RawAt<int32_t>(b, at + 76);
  s.date = RawAt<double>(b, at + 80);
  s.stateFlag = RawAt<int32_t>(b, at + 88);
  s.latLow = RawAt<float>(b, at + 92);
  s.latHigh = RawAt<float>(b, at + 96);
  s.longLow = RawAt<float>(b, at + 100);
  s.longHigh = RawAt<float>(b, at + 104);
  s.kind = RawAt<uint8_t>(b, at + 108);
  s.numPoints = RawAt<int32_t>(b, at + 112);
  s.closed = RawAt<uint8_t>(b, at + 116);
  s.padding = b.substr(at + 69, 3) + b.substr(at + 109, 3) + b.substr(at + 117, 3);
  return s;
}

inline RawDB ReadRawDB(const TempDir& dir, const std::string& base) {
  RawDB db;
  db.data = dir.Get(base + ".qeltagdd");
  db.summary = dir.Get(base + ".qeltagds");
  db.highestId = RawAt<int32_t>(db.data, 0);
  db.version = RawAt<int32_t>(db.data, 4);
  db.description = db.data.size() >= 72 ? db.data.substr(9, RawAt<uint8_t>(db.data, 8)) : "";
  db.revision = RawAt<int32_t>(db.data, 72);
  db.reserved = db.data.size() >= 260 ? db.data.substr(76, 184) : "";
  for (std::size_t at = 0; at + 120 <= db.summary.size(); at += 120) db.sums.push_back(DecodeRawSummary(db.summary, at));
  for (int n = 0; n < 5; ++n) {
    db.indexFiles.push_back(dir.Get(base + ".qeltagi" + std::to_string(n)));
    std::vector<RawIndexRec> list;
    for (std::size_t at = 0; at + 8 <= db.indexFiles.back().size(); at += 8)
      list.push_back({RawAt<uint32_t>(db.indexFiles.back(), at), RawAt<int32_t>(db.indexFiles.back(), at + 4)});
    db.index.push_back(list);
  }
  return db;
}

/// The invariants of the format: whole records only, each index one record per entry, sorted, its keys
/// the entries' identifiers or bounds; names blank-filled and padding zero.
inline void ExpectWellFormed(const RawDB& db) {
  EXPECT_GE(db.data.size(), 260u);
  EXPECT_EQ(db.summary.size() % 120, 0u);
  const std::size_t n = db.sums.size();
  for (const RawSummary& s : db.sums) {
    EXPECT_LE(s.nameLength, 59);
    EXPECT_EQ(s.nameBytes.substr(s.nameLength), std::string(59 - s.nameLength, ' ')) << s.Name();
    EXPECT_EQ(s.padding, std::string(9, '\0')) << s.Name();
    EXPECT_LE(s.itemId, db.highestId);
  }
  for (int k = 0; k < 5; ++k) {
    const auto& list = db.index[static_cast<std::size_t>(k)];
    ASSERT_EQ(db.indexFiles[static_cast<std::size_t>(k)].size(), 8 * n) << "index " << k;
    std::vector<bool> seen(n);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const RawIndexRec& r = list[i];
      ASSERT_TRUE(r.index >= 0 && static_cast<std::size_t>(r.index) < n) << "index " << k;
      EXPECT_FALSE(seen[static_cast<std::size_t>(r.index)]) << "index " << k;
      seen[static_cast<std::size_t>(r.index)] = true;
      const RawSummary& s = db.sums[static_cast<std::size_t>(r.index)];
      if (k == 0) {
        EXPECT_EQ(r.Id(), s.itemId);
        if (i > 0) {
          EXPECT_LE(list[i - 1].Id(), r.Id());
        }
      } else {
        EXPECT_EQ(r.keyBits, std::bit_cast<uint32_t>(s.Bound(k))) << "index " << k;
        if (i > 0) {
          EXPECT_LE(list[i - 1].Key(), r.Key()) << "index " << k;
        }
      }
    }
  }
}

/// A database named "world" in a fresh temporary folder, open from the start.
class GeoDBFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    db.SetName(u"GeoDB1");
    db.SetDBName(Base());
  }
  String Base() const { return dir / "world"; }
  RawDB Raw() const { return ReadRawDB(dir, "world"); }
  /// Records the progress reports.
  void RecordProgress() {
    progress.clear();
    db.OnPercentDone = [this](TObject* sender, int p) {
      EXPECT_EQ(sender, &db);
      progress.push_back(p);
    };
  }

  int Town(const TgdbName& name, float lat, float lon, uint8_t cls = 0) {
    return db.AddTown(name, 45000.25, 7, TSCoords{lat, lon}, 120.5f, cls, 42);
  }
  int Poly(TgdbItem kind, const TgdbName& name, const TgdbPolygon& p, bool closed = true) {
    switch (kind) {
      case gitBorder: return db.AddBorder(name, p, closed, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
      case gitCity: return db.AddCity(name, p, closed, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
      case gitLake: return db.AddLake(name, p, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
      case gitRiver: return db.AddRiver(name, p, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
      case gitRoad: return db.AddRoad(name, p, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
      default: return db.AddRoute(name, p, 45001, 1, 0, 0, 0, 0, 10, 3, 4);
    }
  }
  int Blob(const String& name, const std::string& bytes, const TMetaInfo& meta = {}) {
    return db.AddBLOB(name, 45002, 2, -1, 1, -2, 2, 0, 5, 6, meta, bytes.data(), static_cast<int>(bytes.size()));
  }

  TempDir dir;
  TGeoDB db{nullptr};
  std::vector<int> progress;
};

/// A triangle of three vertices.
inline TgdbPolygon Triangle() { return {{47.5f, 9.5f}, {48.25f, 11.0f}, {46.75f, 10.0f}}; }

/// Bytes 0, 1, 2, ... of a given length (a pattern that shows shifted or lost blocks).
inline std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

}  // namespace qelta::test
