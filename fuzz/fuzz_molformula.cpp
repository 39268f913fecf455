// TMolForm's formula parsers: any text gives at most 20 entries of known elements, and the formula written back
// without mass numbers reads again to the same text. (With mass numbers it need not: a count of 1 is not written,
// so in "13C 16O" the 16 reads as carbon's count.)
#include <cstdlib>
#include <string_view>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_cform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String text = qelta::AnsiToString(std::string_view(reinterpret_cast<const char*>(data), size));
  qelta::TMolForm f(nullptr), back(nullptr);
  for (int grouped = 0; grouped < 2; ++grouped) {
    if (grouped) f.SetMolFormula(text); else f.ReadFromString(text);
    if (f.NumAtoms() < 0 || f.NumAtoms() > qelta::MaxFormulaEntries) std::abort();
    for (int i = 1; i <= f.NumAtoms(); ++i)
      if (f.GetAtNum(i) < 1 || f.GetAtNum(i) > 103) std::abort();
    back.SetMolFormula(f.AsString(0));
    if (back.AsString(0) != f.AsString(0)) std::abort();
    f.CompareTo(back);
  }
  return 0;
}
