// The numbers of a clipboard text taken by the table editor: the input's bytes as the clipboard text,
// its block size asked (GetClipMatrixSize) and its numbers extracted at a selected cell. The block is
// at least 1 x 1 and is what the extraction selects; only values inside the table are written, all
// finite, and no cell state changes.
#include <cmath>
#include <cstdlib>
#include <string>

#include "Clipbrd.h"
#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_ntabed.h"

namespace {

class TClipEditor : public qelta::TNTabEd {
 public:
  TClipEditor() : TNTabEd(nullptr) {
    Redimension(6, 5);
    SetCellState(3, 3, qelta::csMarkA);
  }
  void Extract() {
    Fill(0);
    SetSelection({2 + ColOffset(), 2 + RowOffset(), 2 + ColOffset(), 2 + RowOffset()});
    int cols = 0, rows = 0;
    const bool numbers = GetClipMatrixSize(cols, rows);
    if (cols < 1 || rows < 1 || (!numbers && (cols != 1 || rows != 1))) std::abort();
    PopupMenuClickExtClip(this);
    const qelta::TGridRect sel = Selection();
    if (numbers && (sel.Right - sel.Left + 1 != cols || sel.Bottom - sel.Top + 1 != rows)) std::abort();
    if (NrOfColumns() != 6 || NrOfRows() != 5) std::abort();
    for (int c = 1; c <= 6; ++c)
      for (int r = 1; r <= 5; ++r) {
        if (!std::isfinite(GetElem(c, r))) std::abort();
        if ((c < 2 || r < 2) && GetElem(c, r) != 0) std::abort();  // before the selection: untouched
        if (GetCellState(c, r) != (c == 3 && r == 3 ? qelta::csMarkA : 0)) std::abort();
      }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TClipEditor editor;
  qelta::Clipboard()->SetAsText(qelta::AnsiToString(std::string(reinterpret_cast<const char*>(data), size)));
  editor.Extract();
  return 0;
}
