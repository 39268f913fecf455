// TGeoDB over a damaged or hostile set of its six files. The input is split into the files of a database
// "fz" in a scratch folder: six 16-bit little-endian lengths (summary file, index files 0..4, each cut to
// what remains), those files' bytes, and the rest as the data file. Opening either raises EInOutError
// or succeeds; then every query, retrieval and change must run without a fault, raising only the
// documented errors, and never allocate more than the files' contents justify.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_GeoDB.h"

namespace {

const char* const kExts[] = {".qeltagds", ".qeltagi0", ".qeltagi1", ".qeltagi2",
                             ".qeltagi3", ".qeltagi4", ".qeltagdd"};
const char* const kScratch[] = {"target.bin", "dump.txt", "fz.qeltagdd.gctmp", "fz.qeltagds.gctmp"};

// One scratch folder per process, emptied and removed at exit (kept in a plain array, which the exit
// handler can still read).
char gFolder[512];

void RemoveFolder() {
  for (const char* ext : kExts) ::unlink((std::string(gFolder) + "/fz" + ext).c_str());
  for (const char* name : kScratch) ::unlink((std::string(gFolder) + "/" + name).c_str());
  ::rmdir(gFolder);
}

std::string Folder() {
  if (!gFolder[0]) {
    const char* base = std::getenv("TMPDIR");
    const std::string pattern = std::string(base && *base ? base : "/tmp") + "/qelta-fuzz-gdb-XXXXXX";
    if (pattern.size() >= sizeof gFolder) std::abort();
    std::copy(pattern.begin(), pattern.end(), gFolder);
    if (!::mkdtemp(gFolder)) std::abort();
    std::atexit(RemoveFolder);
  }
  return gFolder;
}

void WriteFiles(const uint8_t* data, size_t size) {
  size_t at = std::min<size_t>(size, 12);
  for (int k = 0; k < 7; ++k) {
    size_t n = size - at;  // the data file takes the rest
    if (k < 6) n = std::min<size_t>(n, size >= 12 ? data[2 * k] | (data[2 * k + 1] << 8) : 0);
    const std::string name = Folder() + "/fz" + kExts[k];
    ::unlink(name.c_str());  // a new file: cheaper for the file system than one cut to nothing
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(data + at), static_cast<std::streamsize>(n));
    at += n;
  }
}

template <typename Fn>
void Try(Fn&& fn) {
  try {
    fn();
  } catch (const qelta::EInOutError&) {
  } catch (const qelta::EQeltaGeoDBError&) {
  }
}

void Query(qelta::TGeoDB& db, int e) {
  using namespace qelta;
  const TgdbData d = db.GetSumdata(e);
  TgdbPolygon p;
  TMetaInfo m;
  std::vector<uint8_t> buffer(4096);
  TMemoryStream s;
  Try([&] { db.RetrievePolygon(e, p); });
  Try([&] { db.RetrieveBLOB(e, m, buffer.data(), static_cast<int>(buffer.size())); });
  Try([&] { db.RetrieveBLOB(e, m, s); });
  Try([&] { db.RetrieveBLOB(e, Utf8ToString(Folder() + "/target.bin"), m); });
  Try([&] { db.GetMetaInfo(e, m); });
  if (db.SearchForItemID(d.ItemId) > db.NumEntries()) std::abort();
  const int positions[] = {db.GetClosestItemIDIx(d.ItemId), db.GetClosestLatLowIx(d.LatLow),
                           db.GetClosestLatHighIx(d.LatHigh), db.GetClosestLongLowIx(d.LongLow),
                           db.GetClosestLongHighIx(d.LongHigh)};
  for (int pos : positions)
    if (pos < 1 || pos > db.NumEntries() + 1) std::abort();
  const int entries[] = {db.GetIxItemID(e).index, db.GetIxLatLow(e).index, db.GetIxLatHigh(e).index,
                         db.GetIxLongLow(e).index, db.GetIxLongHigh(e).index};
  for (int entry : entries)
    if (entry < 0 || entry > db.NumEntries()) std::abort();
  db.SearchData(d.Name, d.ItemKind, 1, d.ClassFlag);
}

void Change(qelta::TGeoDB& db) {
  using namespace qelta;
  const TgdbPolygon line = {{1, 2}, {3, 4}, {-5, 6}};
  const char bytes[] = "blob bytes";
  TMetaInfo m;
  Try([&] { db.AddTown("t", 0, 0, TSCoords{1, 2}, 0, 0, 0); });
  Try([&] { db.AddRiver("r", line, 0, 0, 0, 0, 0, 0, 0, 0, 0); });
  Try([&] { db.AddBLOB(u"b", 0, 0, 0, 0, 0, 0, 0, 0, 0, m, bytes, 10); });
  Try([&] { db.ReplaceTown(1, "t2", 0, 0, TSCoords{3, 4}, 0, 0, 0); });
  Try([&] { db.ReplaceLake(2, "l", line, 0, 0, 0, 0, 0, 0, 0, 0, 0); });
  Try([&] { db.UpdateBasicData(3, db.GetSumdata(3)); });
  Try([&] {
    if (db.GetMetaInfo(db.NumEntries(), m)) db.UpdateMetaInfo(db.NumEntries(), m);
  });
  Try([&] { db.DeleteData(1); });
  Try([&] { db.DeleteData(db.NumEntries()); });
  Try([&] { db.SetLazyWrite(true); });
  Try([&] { db.AddTown("lazy", 0, 0, TSCoords{-1, -2}, 0, 0, 0); });
  Try([&] { db.DeleteData(2); });
  Try([&] { db.SetLazyWrite(false); });
  Try([&] { db.RecalcIndexes(); });
  Try([&] { db.GarbageCollection(); });
  Try([&] { db.ExportDataDebug(Utf8ToString(Folder() + "/dump.txt")); });
  Try([&] { db.SetDescription(u"fuzz"); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteFiles(data, size);
  const qelta::String base = qelta::Utf8ToString(Folder() + "/fz");
  qelta::TGeoDB db(nullptr);
  try {
    db.SetDBName(base);
  } catch (const qelta::EInOutError&) {
    return 0;
  }
  const int n = db.NumEntries();
  for (int e : {0, 1, 2, n, n + 1}) Query(db, e);
  for (int e = 3; e < std::min(n, 24); ++e) Query(db, e);
  Change(db);
  for (int e = 1; e <= std::min(db.NumEntries(), 8); ++e) Query(db, e);
  Try([&] { db.SetDBName(u""); });
  Try([&] { db.SetDBName(base); });
  return 0;
}
