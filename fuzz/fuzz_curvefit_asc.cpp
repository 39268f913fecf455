// TCurveFit::ImportASC on arbitrary bytes: a code of 0, 250..255 or -7 (or the refusal of a column
// count other than 2), the points untouched on a code, never a crash.
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_math2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::fuzz::WriteScratchFile(data, size);
  qelta::TCurveFit fit(nullptr);
  fit.EnterStatValue(1, 2);
  int code = 0;
  try {
    code = fit.ImportASC(qelta::Utf8ToString(qelta::fuzz::ScratchFile()));
  } catch (const qelta::EQeltaMath2Error&) {
    code = 1;  // a column count other than 2
  }
  const bool known = code == 0 || code == 1 || code == -7 || (code >= 250 && code <= 255);
  if (!known) std::abort();
  if (code != 0 && (fit.NumData() != 1 || fit.GetDataX(1) != 1 || fit.GetDataY(1) != 2)) std::abort();
  if (code == 0) {  // the fitter works on whatever was read
    double k = 0, d = 0, q = 0, p = 0;
    if (fit.NumData() >= 2) fit.CalcLinFit(k, d, q);
    fit.KendallsTau(p);
    fit.GetSpearman();
    fit.CubicSpline(0.5);
  }
  return 0;
}
