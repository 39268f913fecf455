// Numeric input: 10^4 keystrokes typed through the scripted user into the numeric edit box TNumIO
// and into the numeric input control TNumIO2 (digits and Backspace, each checked, processed and
// painted; the control's own drawing is not part of it yet), beside the same keystrokes into a plain
// TEdit; 10^6 IsValidDouble calls beside
// std::from_chars reading the same texts.

#include <benchmark/benchmark.h>

#include <charconv>
#include <string>
#include <vector>

#include "Edits.h"
#include "Encoding.h"
#include "Qelta_NumIO.h"
#include "SideBySide.h"
#include "Testing.h"

namespace {

using namespace qelta;

constexpr int kKeys = 10000;

Word Key(int i) { return i % 16 < 8 ? static_cast<Word>(VK_0 + i % 8) : VK_BACK; }

/// Types the keystrokes into `control` and into a plain edit on the same form, side by side.
void KeystrokesBesideEdit(benchmark::State& state, TWinControl* control, TForm& form, TScriptedUser& user) {
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 50, 200, 21);
  edit->SetAutoSelect(false);
  control->SetParent(&form);
  control->SetBounds(10, 10, 200, 28);
  user.Show(&form);
  // A leading "1" that no keystroke deletes: the numeric edit refuses an empty text.
  for (TWinControl* c : {control, static_cast<TWinControl*>(edit)}) {
    c->SetFocus();
    user.PressKey(VK_1);
  }
  qelta::bench::RunSideBySide(
      state,
      [&] {
        control->SetFocus();
        for (int i = 0; i < kKeys; ++i) user.PressKey(Key(i));
      },
      [&] {
        edit->SetFocus();
        for (int i = 0; i < kKeys; ++i) user.PressKey(Key(i));
      });
}

void BM_NumIOKeystrokes_vs_TEdit(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  auto* numio = new TNumIO(&form);
  numio->SetInputFormat(itFloat);
  numio->SetRangeHigh(1e12);
  numio->SetAutoSelect(false);
  KeystrokesBesideEdit(state, numio, form, user);
  if (numio->Text() != u"1") state.SkipWithError(("the numeric edit holds " + StringToUtf8(numio->Text())).c_str());
}
BENCHMARK(BM_NumIOKeystrokes_vs_TEdit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_NumIO2Keystrokes_vs_TEdit(benchmark::State& state) {
  TScriptedUser user;
  TForm form(nullptr);
  auto* numio2 = new TNumIO2(&form);
  KeystrokesBesideEdit(state, numio2, form, user);
  if (numio2->Text() != u"1") state.SkipWithError("the numeric input control holds another text");
}
BENCHMARK(BM_NumIO2Keystrokes_vs_TEdit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IsValidDouble_vs_from_chars(benchmark::State& state) {
  constexpr int kCalls = 1000000;
  const char* samples[] = {"3.14159", "-2.5E-12", "12345678", "+0.000125", "6.02214076E23", "1E4200", "-.5", "42"};
  std::vector<String> texts;
  std::vector<std::string> narrow;
  for (const char* s : samples) {
    narrow.emplace_back(s);
    texts.emplace_back(narrow.back().begin(), narrow.back().end());
  }
  const int n = static_cast<int>(texts.size());
  int oursValid = 0, anchorValid = 0;
  qelta::bench::SideBySide(
      state, kCalls, [&](int i) { oursValid += IsValidDouble(texts[i % n], true, dsDot) ? 1 : 0; },
      [&](int i) {
        const std::string& s = narrow[i % n];
        double v = 0;
        const char* first = s.data() + (s[0] == '+' ? 1 : 0);
        anchorValid += std::from_chars(first, s.data() + s.size(), v).ec == std::errc() ? 1 : 0;
      });
  benchmark::DoNotOptimize(oursValid);
  benchmark::DoNotOptimize(anchorValid);
}
BENCHMARK(BM_IsValidDouble_vs_from_chars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
