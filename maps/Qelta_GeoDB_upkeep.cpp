// TGeoDB: reclaiming payloads that no entry refers to, and the text dump.
//
// GarbageCollection writes the header and every entry's payload, in entry order, to a temporary file
// beside the data file, and the summaries with their new offsets to one beside the summary file, each
// saved through the platform's replacement (so it is complete and on the disk once it has its name);
// only when both are complete do they replace the old files, data file first (one rename each, so a
// reader never sees a half-written file). Until the first rename nothing of the database has changed; a
// failure removes the temporary files. Should the process end between the two renames, or the second
// rename fail (the database is then closed), the summaries' temporary file is left behind complete, and
// the next opening finishes the job with it. A payload that lies outside the data file is dropped (its
// entry's BlobOffset becomes -1, as for kinds without payload). ExportDataDebug saves its text through
// a temporary beside the file.

#include <algorithm>

#include "Encoding.h"
#include "Exceptions.h"
#include "FileSys.h"
#include "Qelta_GeoDB.h"
#include "Qelta_GeoDB_internal.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

using namespace map_detail;

namespace {

// Appends bytes [from, from + count) of src to dst.
void CopyBytes(TRecordFile& src, int64_t from, int64_t count, TRecordFile& dst, std::vector<uint8_t>& block) {
  Seek(src, from);
  for (int64_t done = 0; done < count;) {
    const int64_t n = std::min<int64_t>(static_cast<int64_t>(block.size()), count - done);
    BlockRead(src, block.data(), n);
    BlockWrite(dst, block.data(), n);
    done += n;
  }
}

void WriteSummaries(const String& name, const std::vector<TgdbData>& sums) {
  std::vector<uint8_t> bytes(sums.size() * kGdbSumSize);
  for (std::size_t i = 0; i < sums.size(); ++i) EncodeSummary(sums[i], bytes.data() + i * kGdbSumSize);
  SaveRecords(name, kGdbSumSize, bytes.data(), static_cast<int64_t>(sums.size()));
}

String FloatText(float v) { return FloatToStrF(v, ffGeneral, 9, 0); }

}  // namespace

// [SECTION] garbage collection

void TGeoDB::GarbageCollection() {
  if (!IsOpen()) return;
  ReportProgress(0);
  String tempData = FNameGDD, tempSum = FNameGDS;
  tempData += kGdbTempSuffix;
  tempSum += kGdbTempSuffix;
  std::vector<TgdbData> sums = FSumData;
  try {
    TRecordFile src(1), dst(1);
    OpenForReading(src, FNameGDD);
    AssignFile(dst, tempData);
    RewriteReplacing(dst);
    uint8_t header[kGdbHeaderSize];
    EncodeHeader(FSystemData, header);
    BlockWrite(dst, header, kGdbHeaderSize);
    std::vector<uint8_t> block(kGdbBlock);
    int64_t end = kGdbHeaderSize;
    for (std::size_t i = 0; i < sums.size(); ++i) {
      TgdbData& s = sums[i];
      const int64_t bytes = PayloadBytes(s);
      const bool kept = (IsLineKind(s.ItemKind) || s.ItemKind == gitBLOB) && PayloadFits(s, bytes, src);
      if (kept && end + bytes > kGdbMaxDataFile) RaiseError("GarbageCollection: data file would exceed 2147483647 bytes.");
      if (kept) CopyBytes(src, s.BlobOffset, bytes, dst, block);
      s.BlobOffset = kept ? static_cast<int32_t>(end) : -1;
      end += kept ? bytes : 0;
      ReportProgress(Percent(static_cast<int64_t>(i + 1), static_cast<int64_t>(sums.size())));
    }
    CloseFile(dst);
    WriteSummaries(tempSum, sums);
  } catch (...) {
    DeleteFile(tempData);
    DeleteFile(tempSum);
    throw;
  }
  if (!RenameFileReplacing(tempData, FNameGDD)) {
    DeleteFile(tempData);
    DeleteFile(tempSum);
    RaiseAccessDenied();
  }
  if (!RenameFileReplacing(tempSum, FNameGDS)) {
    // The data file is new and only the summaries' temporary file fits it: nothing may write to the
    // old summary file, so the database is closed, and opening it again puts the temporary in place.
    ResetToClosed();
    RaiseAccessDenied();
  }
  FSumData = std::move(sums);
  ReportProgress(100);
}

// [SECTION] text dump

void TGeoDB::ExportDataDebug(const String& FName) {
  if (!IsOpen()) return;
  TextFile f;
  AssignFile(f, FName);
  RewriteReplacing(f);
  WriteLn(f, u"GeoDB " + DBName());
  WriteLn(f, u"HighestID " + IntToStr(FSystemData.HighestID) + u"; DBVersion " + IntToStr(FSystemData.DBVersion) +
                 u"; Revision " + IntToStr(FSystemData.Revision) + u"; Description \"" + Description() + u"\"");
  WriteLn(f, u"Entries " + IntToStr(NumEntries()));
  WriteLn(f, u"entry;ItemId;kind;name;class;tag;state;altitude;date;latlow;lathigh;longlow;longhigh;offset;"
             u"numpoints;closed");
  for (int e = 1; e <= NumEntries(); ++e) {
    const TgdbData& d = FSumData[static_cast<std::size_t>(e - 1)];
    const String kind = d.ItemKind <= gitUndefined ? String(GDB_ITEMNAMES[d.ItemKind]) : IntToStr(d.ItemKind);
    WriteLn(f, IntToStr(e) + u";" + IntToStr(d.ItemId) + u";" + kind + u";" + AnsiToString(d.Name) + u";" +
                   IntToStr(d.ClassFlag) + u";" + IntToStr(d.Tag) + u";" + IntToStr(d.StateFlag) + u";" +
                   FloatText(d.Altitude) + u";" + FloatToStr(d.Date) + u";" + FloatText(d.LatLow) + u";" +
                   FloatText(d.LatHigh) + u";" + FloatText(d.LongLow) + u";" + FloatText(d.LongHigh) + u";" +
                   IntToStr(d.BlobOffset) + u";" + IntToStr(d.NumPoints) + u";" + (d.Closed ? u"1" : u"0"));
  }
  WriteLn(f, u"index ItemID: position;key;entry");
  for (int i = 1; i <= static_cast<int>(FIx0ItemId.size()); ++i) {
    const TIxItemIDRec r = GetIxItemID(i);
    WriteLn(f, IntToStr(i) + u";" + IntToStr(r.ItemID) + u";" + IntToStr(r.index));
  }
  static constexpr std::array<std::u16string_view, 4> kBoundNames = {u"LatLow", u"LatHigh", u"LongLow", u"LongHigh"};
  for (int n = 1; n <= 4; ++n) {
    WriteLn(f, u"index " + String(kBoundNames[static_cast<std::size_t>(n - 1)]) + u": position;key;entry");
    const TIxLLRecArray& list = BoundIndex(n);
    for (std::size_t i = 0; i < list.size(); ++i)
      WriteLn(f, IntToStr(static_cast<int64_t>(i + 1)) + u";" + FloatText(list[i].LLValue) + u";" +
                     IntToStr(list[i].index + 1));
  }
  CloseFile(f);
}

}  // namespace qelta
