// TDataTable.ImportFromCSV on the input's bytes, with the delimiter detected and given, with and
// without header records: every read answers 0, 250 or 251; a refused read leaves the table as it
// was; a read table keeps its arrays in step with its matrix.
#include <cstdlib>
#include <string>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_datatable.h"

namespace {

std::string State(const qelta::TDataTable& t) {
  return std::to_string(t.NrOfColumns()) + "x" + std::to_string(t.NrOfRows()) + qelta::StringToUtf8(t.CRCofCellStates()) +
         qelta::StringToUtf8(t.CRCofNamesAndAttributes()) + qelta::StringToUtf8(t.NumericData->CRCofData());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetElem(1, 1, 3);
  const qelta::TCSVDelimiters delimiters[] = {qelta::csvUnknown, qelta::csvSemicolon, qelta::csvTab};
  for (int k = 0; k < 3; ++k) {
    const std::string before = State(t);
    const int code = t.ImportFromCSV(file, delimiters[k], k != 1, k != 2);
    const bool consistent =
        t.NrOfColumns() == t.NumericData->NrOfColumns() && t.NrOfRows() == t.NumericData->NrOfRows();
    if ((code != 0 && code != 250 && code != 251) || !consistent || (code != 0 && State(t) != before)) std::abort();
  }
  return 0;
}
