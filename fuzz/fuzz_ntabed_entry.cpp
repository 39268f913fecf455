// Texts typed into the table editor's cells: each line of the input is committed to a nominal column
// (labels or 32-bit integers) and to an interval column (numbers with '.' or ','). A commit either
// stores a finite value with state 0 or keeps the old value with state 1; it never raises.
#include <cmath>
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_ntabed.h"

namespace {

class TEntryEditor : public qelta::TNTabEd {
 public:
  TEntryEditor() : TNTabEd(nullptr) {
    Data->SetMScaleType(1, qelta::stNominal);
    Data->SetNominalID(1, 1, "red");
    Data->SetNominalID(1, 4, "Blue");
  }
  /// Commits the text to data column col, row 1, and checks what the cell holds then.
  void Commit(int col, const qelta::String& text) {
    const double before = GetElem(col, 1);
    SetCellState(col, 1, qelta::csMarkA);
    SetEditText(col + ColOffset(), 1 + RowOffset(), text);
    const uint8_t state = GetCellState(col, 1);
    const double after = GetElem(col, 1);
    if (state != 0 && state != qelta::csNotANumber) std::abort();
    if (!std::isfinite(after)) std::abort();
    if (state != 0 && after != before) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String input = qelta::AnsiToString(std::string(reinterpret_cast<const char*>(data), size));
  static TEntryEditor editor;
  std::size_t start = 0;
  while (start <= input.size()) {
    const std::size_t eol = std::min(input.find(u'\n', start), input.size());
    const qelta::String line = input.substr(start, eol - start);
    editor.Commit(1, line);
    editor.Commit(2, line);
    start = eol + 1;
  }
  return 0;
}
