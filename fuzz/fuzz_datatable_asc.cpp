// TDataTable's ASC readers on the same bytes: ImportASC from a stream, a file and the clipboard, and
// ReadFromASC from a stream into a filled table. Every read answers 0 or a code (250, 251, 253..255);
// a refused read leaves the table as it was; a read table keeps its arrays in step with its matrix.
#include <cstdlib>
#include <string>

#include "Clipbrd.h"
#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_datatable.h"

namespace {

std::string State(const qelta::TDataTable& t) {
  return std::to_string(t.NrOfColumns()) + "x" + std::to_string(t.NrOfRows()) + qelta::StringToUtf8(t.CRCofCellStates()) +
         qelta::StringToUtf8(t.CRCofNamesAndAttributes()) + qelta::StringToUtf8(t.NumericData->CRCofData());
}

void Check(const qelta::TDataTable& t, int code, const std::string& before) {
  const bool known = code == 0 || code == 250 || code == 251 || (code >= 253 && code <= 255);
  const bool consistent =
      t.NrOfColumns() == t.NumericData->NrOfColumns() && t.NrOfRows() == t.NumericData->NrOfRows();
  if (!known || !consistent || (code != 0 && State(t) != before)) std::abort();
}

// A small table with something in every part.
void Prepare(qelta::TDataTable& t) {
  t.Resize(3, 2);
  t.SetElem(2, 2, 1.5);
  t.SetCellState(1, 2, qelta::csEmpty);
  t.SetMScaleType(3, qelta::stNominal);
  t.AddNominalID(3, "label");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qelta::TDataTable t(nullptr);
  Prepare(t);
  std::string before = State(t);

  qelta::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  int code = t.ImportASC(stream);
  Check(t, code, before);
  if (stream.Position() > stream.Size()) std::abort();

  qelta::TDataTable u(nullptr);
  Prepare(u);
  before = State(u);
  stream.SetPosition(0);
  Check(u, u.ReadFromASC(stream, 2, 2, true), before);

  before = State(t);
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  Check(t, t.ImportASC(file), before);

  before = State(t);
  qelta::Clipboard()->SetAsText(qelta::AnsiToString(bytes));
  Check(t, t.ImportASC(qelta::Clipboard()), before);
  return 0;
}
