// Numeric input as a user may type or paste it: the input is read as a text by the numeric edit box's
// conversion and by the numeric input control's check and value in every format and separator mode,
// then its bytes are pressed as keys into the control (Shift and Ctrl included). After every key the
// caret stays inside the buffer and the buffer is one the control's own check lets pass.
#include <cmath>
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Messages.h"
#include "Qelta_NumIO.h"

namespace {

using namespace qelta;

constexpr TInFormat Formats[] = {itExp, itFloat, itFixPoint, itInt, itHex, itOct, itBin, itDynamic};
constexpr TDecPSep Seps[] = {dsSystem, dsDot, dsComma, dsBoth};

void Key(TNumIO2& nio, Word key, bool down) { nio.Perform(down ? CN_KEYDOWN : CN_KEYUP, key, 0); }

bool Passes(TNumIO2& nio) {
  const String& s = nio.Text();
  return s.empty() || s == u"-" || s == u"+" || nio.CheckValidity(s) ||
         (nio.InputFormat() == itDynamic && s.size() == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const String text = AnsiToString(std::string(reinterpret_cast<const char*>(data), size));
  TNumIO edit(nullptr);
  TNumIO2 nio(nullptr);
  for (TInFormat f : Formats)
    for (TDecPSep sep : Seps) {
      edit.SetInputFormat(f);
      edit.SetDecPlaceSep(sep);
      double v = 0;
      edit.ConvertNumString(text, v);
      edit.SetText(text);
      if (!std::isfinite(edit.GetLabValue())) std::abort();
      nio.SetInputFormat(f);
      nio.SetDecPlaceSep(sep);
      nio.SetText(text);
      if (!std::isfinite(nio.GetNioValue())) std::abort();
    }
  // The first byte chooses format, separator and decimals; the others are keys: bit 7 holds Shift,
  // 0x10-0x1F are Ctrl+C, V, X, Z, 0x70-0x7F the punctuation keys (0xB0-0xBF), the rest as they are.
  nio.SetInputFormat(Formats[data[0] & 7]);
  nio.SetDecPlaceSep(Seps[(data[0] >> 3) & 3]);
  nio.SetFixPointDecPlaces(1 + (data[0] >> 5));
  nio.SetText(String());
  for (size_t i = 1; i < size; ++i) {
    const bool shift = (data[i] & 0x80) != 0;
    Word key = data[i] & 0x7F;
    const bool ctrl = key >= 0x10 && key < 0x20;
    if (ctrl) key = static_cast<Word>(u"CVXZ"[key & 3]);
    if (key >= 0x70) key = static_cast<Word>(key + 0x40);
    if (shift) Key(nio, VK_SHIFT, true);
    if (ctrl) Key(nio, VK_CONTROL, true);
    Key(nio, key, true);
    Key(nio, key, false);
    if (ctrl) Key(nio, VK_CONTROL, false);
    if (shift) Key(nio, VK_SHIFT, false);
    if (nio.CaretPos() < 0 || nio.CaretPos() > static_cast<int>(nio.Text().size())) std::abort();
    if (!Passes(nio) || !std::isfinite(nio.GetNioValue())) std::abort();
  }
  return 0;
}
