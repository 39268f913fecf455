// TGeoDB beside SQLite and the standard library, in the temporary folder (page cache warm, no fsync on
// either side):
//   BM_AddTowns/n/lazy   n towns at random positions added one by one, LazyWrite off (0) or on (1, switched
//                        off at the end, which writes the indexes), beside SQLite inserting the same rows
//                        into a table with five indexes (rowid, the four bounds), one transaction per row
//                        (synchronous=OFF, rollback journal): both hand every row to the OS in its call.
//   BM_Open1e6           opening a database of 10^6 towns (summaries and five indexes into memory) beside
//                        SQLite reading the same 10^6 rows into a vector of records.
//   BM_ClosestLatLow1e6  10^6 GetClosestLatLowIx over 10^6 entries beside std::lower_bound on the keys.
//   BM_RetrievePolygon1e6  RetrievePolygon of a river of 10^6 vertices beside read(2) of the same 8 MB and
//                        decoding them into the same vector (MB/s).
// Times are Qelta's; the counters hold the anchor's seconds, the ratio Qelta / anchor and MB/s.

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"
#include "RecordFiles.h"
#include "SideBySide.h"

namespace {

using qelta::bench::Seconds;

// A fresh folder under the temporary folder, removed with its files at the end.
class TScratch {
 public:
  TScratch() {
    const char* base = std::getenv("TMPDIR");
    path_ = std::string(base && *base ? base : "/tmp") + "/qelta-bench-gdb-XXXXXX";
    if (!::mkdtemp(path_.data())) path_.clear();
  }
  ~TScratch() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct TTown {
  std::string name;
  float lat, lon;
};

std::vector<TTown> Towns(int n, bool sorted) {
  std::mt19937 gen(36);
  std::uniform_real_distribution<float> lat(-60, 70), lon(-180, 180);
  std::vector<TTown> towns;
  for (int i = 0; i < n; ++i) towns.push_back({"Town " + std::to_string(i), lat(gen), lon(gen)});
  if (sorted)
    std::sort(towns.begin(), towns.end(), [](const TTown& a, const TTown& b) { return a.lat < b.lat; });
  return towns;
}

// --- SQLite ----------------------------------------------------------------------------------------------

struct TSqlite {
  sqlite3* db = nullptr;
  explicit TSqlite(const std::string& file) {
    ::unlink(file.c_str());
    sqlite3_open(file.c_str(), &db);
    Exec("PRAGMA synchronous=OFF");
    Exec("CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT, altitude REAL, class INTEGER, tag INTEGER,"
         " blob_offset INTEGER, date REAL, state INTEGER, lat_low REAL, lat_high REAL, long_low REAL,"
         " long_high REAL, kind INTEGER, num_points INTEGER, closed INTEGER)");
    for (const char* column : {"lat_low", "lat_high", "long_low", "long_high"})
      Exec(std::string("CREATE INDEX ix_") + column + " ON items(" + column + ")");
  }
  ~TSqlite() { sqlite3_close(db); }
  void Exec(const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }
  // Inserts the towns, each in its own transaction (autocommit).
  void Insert(const std::vector<TTown>& towns) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO items(name, altitude, class, tag, blob_offset, date, state, lat_low, lat_high,"
                       " long_low, long_high, kind, num_points, closed) VALUES(?,0,0,0,-1,45000,0,?,?,?,?,1,0,0)",
                       -1, &st, nullptr);
    for (const TTown& t : towns) {
      sqlite3_bind_text(st, 1, t.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_double(st, 2, t.lat);
      sqlite3_bind_double(st, 3, t.lat);
      sqlite3_bind_double(st, 4, t.lon);
      sqlite3_bind_double(st, 5, t.lon);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
  }
};

// --- adding ------------------------------------------------------------------------------------------------

void BM_AddTowns(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool lazy = state.range(1) != 0;
  const std::vector<TTown> towns = Towns(n, false);
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    TScratch dir;
    const double ours = Seconds([&] {
      qelta::TGeoDB db(nullptr);
      db.SetDBName(qelta::Utf8ToString(dir / "towns"));
      db.SetLazyWrite(lazy);
      for (const TTown& town : towns) db.AddTown(town.name, 45000, 0, qelta::TSCoords{town.lat, town.lon}, 0, 0, 0);
      db.SetLazyWrite(false);
    });
    const double anchor = Seconds([&] {
      TSqlite sql(dir / "towns.sqlite");
      sql.Insert(towns);
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  state.counters["ours_us_per_add"] = t.ours / state.iterations() / n * 1e6;
}
BENCHMARK(BM_AddTowns)->Args({5000, 0})->Args({5000, 1})->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
// Four times as many, once: the cost of an add stays flat as the file grows.
BENCHMARK(BM_AddTowns)->Args({20000, 1})->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// --- a database of 10^6 towns, written directly in the file format -------------------------------------------

constexpr int kBig = 1000000;

// The six files of kBig towns sorted by latitude (so each index is the entry order sorted by its key).
void WriteBigDatabase(const std::string& base, const std::vector<TTown>& towns) {
  using namespace qelta;
  using namespace qelta::map_detail;
  std::vector<TgdbData> sums(towns.size());
  std::vector<uint8_t> bytes(towns.size() * kGdbSumSize);
  for (std::size_t i = 0; i < towns.size(); ++i) {
    TgdbData& d = sums[i];
    d.ItemId = static_cast<int32_t>(i + 1);
    d.Name = towns[i].name;
    d.BlobOffset = -1;
    d.Date = 45000;
    d.ItemKind = gitTown;
    d.LatLow = d.LatHigh = towns[i].lat;
    d.LongLow = d.LongHigh = towns[i].lon;
    EncodeSummary(d, bytes.data() + i * kGdbSumSize);
  }
  const auto put = [](const std::string& name, const void* data, int64_t count) {
    TRecordFile f(1);
    AssignFile(f, Utf8ToString(name));
    Rewrite(f);
    BlockWrite(f, data, count);
    CloseFile(f);
  };
  put(base + ".qeltagds", bytes.data(), static_cast<int64_t>(bytes.size()));
  TgdbSystemData header;
  header.HighestID = static_cast<int32_t>(towns.size());
  uint8_t h[kGdbHeaderSize];
  EncodeHeader(header, h);
  put(base + ".qeltagdd", h, kGdbHeaderSize);
  for (int n = 0; n < 5; ++n) {
    std::vector<uint8_t> ix(towns.size() * kGdbIxRecSize);
    std::vector<int32_t> order(towns.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    if (n >= 3)
      std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return towns[a].lon < towns[b].lon; });
    for (std::size_t i = 0; i < order.size(); ++i) {
      const TgdbData& d = sums[static_cast<std::size_t>(order[i])];
      if (n == 0)
        PutI32(ix.data() + i * kGdbIxRecSize, d.ItemId);
      else
        PutF32(ix.data() + i * kGdbIxRecSize, BoundOf(d, n));
      PutI32(ix.data() + i * kGdbIxRecSize + 4, order[i]);
    }
    put(base + ".qeltagi" + std::to_string(n), ix.data(), static_cast<int64_t>(ix.size()));
  }
}

struct TBig {
  TScratch dir;
  std::vector<TTown> towns = Towns(kBig, true);
  TBig() {
    WriteBigDatabase(dir / "big", towns);
    TSqlite sql(dir / "big.sqlite");
    sql.Exec("BEGIN");
    sql.Insert(towns);
    sql.Exec("COMMIT");
  }
};

TBig& Big() {
  static TBig big;
  return big;
}

struct TRow {
  int64_t id;
  std::string name;
  double latLow, latHigh, longLow, longHigh;
  int kind;
};

void BM_Open1e6(benchmark::State& state) {
  TBig& big = Big();
  qelta::bench::RunSideBySide(
      state,
      [&] {
        qelta::TGeoDB db(nullptr);
        db.SetDBName(qelta::Utf8ToString(big.dir / "big"));
        benchmark::DoNotOptimize(db.NumEntries());
      },
      [&] {
        sqlite3* db = nullptr;
        sqlite3_open((big.dir / "big.sqlite").c_str(), &db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT id, name, lat_low, lat_high, long_low, long_high, kind FROM items", -1, &st,
                           nullptr);
        std::vector<TRow> rows;
        while (sqlite3_step(st) == SQLITE_ROW)
          rows.push_back({sqlite3_column_int64(st, 0), reinterpret_cast<const char*>(sqlite3_column_text(st, 1)),
                          sqlite3_column_double(st, 2), sqlite3_column_double(st, 3), sqlite3_column_double(st, 4),
                          sqlite3_column_double(st, 5), sqlite3_column_int(st, 6)});
        sqlite3_finalize(st);
        sqlite3_close(db);
        benchmark::DoNotOptimize(rows.size());
      });
}
BENCHMARK(BM_Open1e6)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ClosestLatLow1e6(benchmark::State& state) {
  TBig& big = Big();
  qelta::TGeoDB db(nullptr);
  db.SetDBName(qelta::Utf8ToString(big.dir / "big"));
  std::vector<float> keys;
  for (const TTown& t : big.towns) keys.push_back(t.lat);
  std::vector<double> probes(kBig);
  std::mt19937 gen(37);
  std::uniform_real_distribution<double> lat(-61, 71);
  for (double& p : probes) p = lat(gen);
  int64_t sum = 0;
  qelta::bench::SideBySide(
      state, kBig, [&](int i) { sum += db.GetClosestLatLowIx(probes[static_cast<std::size_t>(i)]); },
      [&](int i) {
        const double p = probes[static_cast<std::size_t>(i)];
        sum += std::lower_bound(keys.begin(), keys.end(), p, [](float k, double v) { return k < v; }) - keys.begin();
      });
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ClosestLatLow1e6)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// --- retrieving ----------------------------------------------------------------------------------------------

void BM_RetrievePolygon1e6(benchmark::State& state) {
  TScratch dir;
  qelta::TgdbPolygon river(1000000);
  for (std::size_t i = 0; i < river.size(); ++i)
    river[i] = qelta::TSCoords{static_cast<float>(i % 1000) * 0.01f, static_cast<float>(i) * 1e-4f};
  qelta::TGeoDB db(nullptr);
  db.SetDBName(qelta::Utf8ToString(dir / "river"));
  db.AddRiver("long river", river, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const std::string data = dir / "river.qeltagdd";
  qelta::TgdbPolygon back, decoded;  // both sides fill a vector they keep
  qelta::bench::RunSideBySide(
      state, [&] { db.RetrievePolygon(1, back); },
      [&] {
        const int fd = ::open(data.c_str(), O_RDONLY);
        std::vector<uint8_t> bytes(river.size() * 8);
        benchmark::DoNotOptimize(::pread(fd, bytes.data(), bytes.size(), 260));
        ::close(fd);
        decoded.resize(river.size());
        for (std::size_t i = 0; i < decoded.size(); ++i)
          std::memcpy(&decoded[i], bytes.data() + 8 * i, 8);  // little-endian host: the bytes are the floats
        benchmark::DoNotOptimize(decoded.data());
      });
  state.counters["MBps"] = benchmark::Counter(8.0 * static_cast<double>(river.size()) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RetrievePolygon1e6)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
