// Qelta_Scale: tick generation and label texts, as plain values.
//
// Linear ticks: CalcScalePars gives the first tick F, the distance T and n short intervals. Short
// ticks run from F - T in steps of T / n and are kept from RangeLow on; long ticks run from F in
// steps of T. Both passes stop once the next tick passes RangeHigh by more than 0.1 % of its step.
// Every tick is computed as F + i x step (never by repeated addition) in 80 bits.
// Logarithmic ticks: decades 10^e from the one below the low end, with the 2 and 5 ticks (labelled)
// and 3, 4, 6..9 (short, unlabelled) when MinTicks exceeds the number of decades + 0.5. A tick is
// kept when it lies inside the range by more than 1e-9 relative.
// Deviations from the classic generators, keeping every result on ordinary scales:
//  - A logarithmic axis with an end <= 0 or not finite (reachable: Logarithmic is accepted on a scale
//    not yet loaded, which includes every scale made at run time, with its default range 0..100)
//    stepped its decades from 10^-inf and never ended; it now gets the linear ticks, as an axis of
//    less than one decade does. Decades are exact powers of ten and at most 700 are walked.
//  - Each pass stops after Request.MaxTicks ticks (ScaleTickLimit: max(250, 4 x the axis length)):
//    MinTicks 0 on 0..1e9 asked for 10^9 ticks of one unit, and a range a few ulps wide far from
//    zero never reached its end.
//  - The integer test of DecPlaces 0 uses the nearest integer in floating point, so huge integral
//    values are not mistaken for fractions.

#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Qelta_Scale.h"
#include "Qelta_math1.h"
#include "Qelta_rcnumtext.h"
#include "StrUtils.h"

namespace qelta {
namespace {

constexpr Extended kNearlyOne = 0.999999999L;
constexpr int kMaxDecades = 700;
constexpr int kMaxTickLimit = 1 << 20;

// [SECTION] labels

String CutLabel(String t) {
  if (t.size() > MaxScaleLabelLength) t.resize(MaxScaleLabelLength);
  return t;
}

// User text or inscription, the last step of every numeric label.
String FinishLabel(const TScaleTickRequest& s, const String& number, int labelIndex) {
  if (s.LabelType == ftUserText) return TScale::ExtractUserText(s.UserTickText, labelIndex);
  return TScale::AddScaleInscription(number, s.ScaleInscript);
}

String LinearNumber(const TScaleTickRequest& s, Extended v) {
  const double span = s.RangeHigh - s.RangeLow, w = std::fabs(span);
  const int d = s.DecPlaces <= -2 ? AutoDecimals(w) : s.DecPlaces;
  String t;
  if (std::fabs(v / span) < 1e-14) {  // the zero tick, whatever rounding noise it carries
    t = w > 100000 ? String(d != 0 ? u"0.0" : u"0") : RCSpecStrf(0.0, 1, d);
  } else {
    t = RCSpecStrf(static_cast<double>(v), 1, d);
  }
  t = CutLabel(std::move(t));
  if (s.DecPlaces == 0 && std::fabs(v - std::nearbyint(v)) > 1e-6) t.clear();  // integer axes
  return t;
}

int LogDecimals(const TScaleTickRequest& s, double lo, double hi) {
  if (s.DecPlaces != -2) return s.DecPlaces;
  if (hi - lo >= 1e6 || hi - lo <= 1e-4) return -1;
  if (lo >= 1) return 0;
  return static_cast<int>(1 - Round(std::log10(std::fabs(lo))));
}

// "1.500" -> "1.5", "2.000" -> "2"; texts in exponent form stay.
String StripZeros(String t) {
  if (t.find(u'.') == String::npos || t.find_first_of(u"eE") != String::npos) return t;
  while (!t.empty() && t.back() == u'0') t.pop_back();
  if (!t.empty() && t.back() == u'.') t.pop_back();
  return t;
}

String LogNumber(const TScaleTickRequest& s, double v, int j, int exponent, int decimals) {
  if (decimals == -3) return j == 1 ? RCSpecStrf(exponent, 1, 0) : String();
  String t = CutLabel(RCSpecStrf(v, 1, decimals));
  return s.DecPlaces == -2 ? StripZeros(std::move(t)) : t;
}

// [SECTION] linear ticks

struct TLinearSteps {
  Extended First = 0, Long = 0, Short = 0;
  int Sub = 1;
  int Dir = 1;
};

void AddShortTicks(const TScaleTickRequest& s, const TLinearSteps& st, TScaleTickList& out) {
  const Extended start = st.First - st.Long, limit = 0.001L * std::fabs(st.Short);
  const int64_t maxSteps = int64_t{s.MaxTicks} + st.Sub + 2;
  int added = 0;
  for (int64_t i = 0; i < maxSteps && added < s.MaxTicks; ++i) {
    const Extended v = start + i * st.Short;
    if (st.Dir * v >= st.Dir * Extended{s.RangeLow}) {
      out.push_back({static_cast<double>(v), false, false, true, String(), String()});
      ++added;
    }
    if (st.Dir * (start + (i + 1) * st.Short - s.RangeHigh) > limit) break;
  }
}

void AddLongTicks(const TScaleTickRequest& s, const TLinearSteps& st, TScaleTickList& out) {
  const Extended limit = 0.001L * std::fabs(st.Long);
  const bool labelled = s.LabelType != ftNoFigs, recorded = s.Vertical || !s.ShortTicks;
  for (int i = 0; i < s.MaxTicks; ++i) {
    const Extended v = st.First + i * st.Long;
    const String label = labelled ? FinishLabel(s, LinearNumber(s, v), i + 1) : String();
    out.push_back({static_cast<double>(v), true, labelled, recorded, label, String()});
    if (st.Dir * (st.First + (i + 1) * st.Long - s.RangeHigh) > limit) break;
  }
}

// [SECTION] logarithmic ticks

struct TLogWalk {
  const TScaleTickRequest& Request;
  double Lo, Hi;
  int Decimals;
  int Labels = 0;  // labelled ticks so far, for the user texts
  TScaleTickList Ticks;

  void Add(int j, double decade, int exponent) {
    const double v = j * decade;
    if (!(v / kNearlyOne > Lo && kNearlyOne * v < Hi) || static_cast<int>(Ticks.size()) >= Request.MaxTicks) return;
    const bool major = j == 1 || j == 2 || j == 5, labelled = major && Request.LabelType != ftNoFigs;
    String label;
    if (labelled) label = FinishLabel(Request, LogNumber(Request, v, j, exponent, Decimals), ++Labels);
    Ticks.push_back({v, Request.Vertical || major, labelled, true, std::move(label), String()});
  }
};

double DecadeValue(int exponent) { return static_cast<double>(std::pow(10.0L, static_cast<Extended>(exponent))); }

}  // namespace

// [SECTION] generators

int ScaleTickLimit(int64_t AxisLength) {
  return static_cast<int>(std::clamp<int64_t>(4 * std::clamp<int64_t>(AxisLength, 0, kMaxTickLimit), MaxScaleTickPos,
                                              kMaxTickLimit));
}

int AutoDecimals(double w) {
  if (w >= 1e6 || w <= 1e-4) return -1;
  if (w >= 100) return 0;
  return static_cast<int>(2 - Round(std::log(w) / 2.5));
}

TScaleTickList MakeScaleTicks(const TScaleTickRequest& Request) {
  if (Request.LabelType == ftDateTime) return MakeDateTimeTicks(Request);
  TScaleTickList ticks;
  if (Request.LabelType == ftTime && MakeTimeTicks(Request, ticks)) return ticks;
  return Request.Logarithmic ? MakeLogTicks(Request) : MakeLinearTicks(Request);
}

TScaleTickList MakeLinearTicks(const TScaleTickRequest& Request) {
  TScaleTickList ticks;
  Extended first = 0, distance = 0;
  uint16_t sub = 1;
  CalcScalePars(Request.MinTicks, Request.RangeLow, Request.RangeHigh, first, distance, sub);
  if (distance == 0 || !std::isfinite(distance) || sub == 0) return ticks;
  const TLinearSteps steps{first, distance, distance / sub, sub, Request.RangeHigh > Request.RangeLow ? 1 : -1};
  if (Request.ShortTicks) AddShortTicks(Request, steps, ticks);
  AddLongTicks(Request, steps, ticks);
  return ticks;
}

TScaleTickList MakeLogTicks(const TScaleTickRequest& Request) {
  const double lo = std::min(Request.RangeLow, Request.RangeHigh), hi = std::max(Request.RangeLow, Request.RangeHigh);
  if (!(lo > 0) || !std::isfinite(hi)) return MakeLinearTicks(Request);
  const double decades = std::fabs(std::log10(Request.RangeHigh) - std::log10(Request.RangeLow));
  if (decades < 1) return MakeLinearTicks(Request);
  const bool between = Request.MinTicks > decades + 0.5;
  TLogWalk walk{Request, lo, hi, LogDecimals(Request, lo, hi), 0, {}};
  // lo x 0.999999999 may underflow to 0 at the bottom of the subnormals: clamp before converting.
  const int e0 = static_cast<int>(std::clamp(std::floor(std::log10(lo * static_cast<double>(kNearlyOne))), -400.0, 400.0));
  for (int k = 0; k < kMaxDecades; ++k) {
    const double decade = DecadeValue(e0 + k);
    walk.Add(1, decade, e0 + k);
    for (int j = 2; between && j <= 9; ++j)
      if (j == 2 || j == 5 || Request.ShortTicks) walk.Add(j, decade, e0 + k);
    if (kNearlyOne * DecadeValue(e0 + k + 1) > hi) break;
  }
  return walk.Ticks;
}

// [SECTION] label helpers

String TScale::ExtractUserText(const String& Text, int Index) {
  if (Index < 1) return String();
  std::size_t start = 0;
  for (int field = 1;; ++field) {
    const std::size_t bar = Text.find(u'|', start);
    if (field == Index || bar == String::npos) return Text.substr(start, bar == String::npos ? String::npos : bar - start);
    start = bar + 1;
  }
}

String TScale::AddScaleInscription(const String& Label, const String& Inscription) {
  if (Label.empty()) return Label;
  const std::size_t amp = Inscription.find(u'&');
  if (amp == String::npos) return Inscription + Label;
  return Inscription.substr(0, amp) + Label + Inscription.substr(amp + 1);
}

}  // namespace qelta
