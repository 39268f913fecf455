// Qelta_kohonen: TKohonen, training, use and the XML element of the self-organising map.
//
// The XML element (lines end CR LF, one byte per character; numbers with 17 significant digits so
// that every value reads back bit for bit, "-0", "NAN", "INF", "-INF" as such):
//   <?xml version="1.0"?>                                only when a header is asked for
//   (empty line)
//   <!-- TKohonen / Qeltakit -->
//   <kohonen sig="Qeltakit" vers="1.0" id="ID">
//     <sizex>SX</sizex>
//     <sizey>SY</sizey>
//     <nrinsens>N</nrinsens>
//     <maxneighb>InitialNeighbors</maxneighb>
//     <maxsteps>NrOfTrnSteps</maxsteps>
//     <maxalpha>InitialAlpha</maxalpha>
//     <curstep>the current training step</curstep>
//     <cyclic>0 or 1</cyclic>
//     <comment>TEXT</comment>                             & < > " and characters outside 32..126 and
//                                                          160..255 as references (&amp; ... &#n;): one line
//     <meanstddev ix="c" mean="m" sd="s" />                c = 1..N
//     <cell x="x" y="y" w="w1 w2 ... wN" />                x outermost, then y
//   </kohonen>
// The reader finds the start line as the other XML readers of the numerics do (a line holding
// "<kohonen" and "qeltakit" in any case, its id equal to DataID ignoring case, any id for an empty
// DataID), then takes the tags up to "</kohonen>" in any order. It answers false, map unchanged,
// unless every setting is present and readable, the sizes, NrOfTrnSteps and the step are at least 1,
// every component has exactly one meanstddev line and every node exactly one cell line of N weights,
// so nothing is allocated that the element does not list.
// Decisions on faults: a deviation of 0 counts as "not standardised" in GetWeight and ApplyIt (the
// weight was multiplied by 0 and shifted to the mean, while ApplyIt centred its input there);
// NrOfTrnSteps below 1 is stored as 1 (0 divided by zero in the schedule).

#include "Qelta_kohonen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Math.h"
#include "Qelta_streams.h"
#include "Qelta_univconst.h"
#include "Qelta_vecmat_internal.h"
#include "Random.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace num_detail {

void KohonenSchedule(int step, int maxSteps, int maxNeighb, double maxAlpha, int& radius, double& alpha) {
  const double r = (static_cast<double>(maxSteps) - step) / maxSteps, r2 = r * r;
  radius = static_cast<int>(std::clamp<int64_t>(Round(r2 * (maxNeighb - 1.0) + 1.0), -2147483647, 2147483647));
  alpha = r2 * maxAlpha;
}

}  // namespace num_detail

// [SECTION] construction and sizes

TKohonen::TKohonen(TComponent* AOwner) : TComponent(AOwner) {
  FKohMat = NewWeights(1, 1, 1);
  num_detail::GuardAlloc<EQeltaMatrixError>(*this, u"not enough memory on heap", [&] {
    FMeanVec = std::make_unique<TVector>(nullptr);
    FStdDevVec = std::make_unique<TVector>(nullptr);
    FDataMat = std::make_unique<TMatrix>(nullptr);
  });
  SetWeigtsToRandom();
}

TKohonen::~TKohonen() = default;

std::unique_ptr<TMat3D> TKohonen::NewWeights(int sx, int sy, int n) const {
  std::unique_ptr<TMat3D> m;
  try {
    m = std::make_unique<TMat3D>(nullptr);
    m->Resize(sx, sy, n);
  } catch (const EQeltaMatrixError&) {
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"not enough memory"));
  } catch (const std::bad_alloc&) {
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"not enough memory"));
  }
  return m;
}

void TKohonen::SetSizeX(int a) {
  if (a <= 0) return;
  FKohMat = NewWeights(a, FSizeY, FNrInSens);
  FSizeX = a;
}

void TKohonen::SetSizeY(int a) {
  if (a <= 0) return;
  FKohMat = NewWeights(FSizeX, a, FNrInSens);
  FSizeY = a;
}

namespace {

/// A zero vector of n elements (EQeltaMatrixError with the owner's name when it does not fit).
std::unique_ptr<TVector> ZeroVector(const TComponent& owner, int n) {
  auto v = std::make_unique<TVector>(nullptr);
  try {
    v->Resize(n);
  } catch (const EQeltaVectorError&) {
    throw EQeltaMatrixError(num_detail::ComponentText(owner, u"not enough memory"));
  }
  return v;
}

}  // namespace

void TKohonen::SetNumInsens(int a) {
  if (a <= 0) return;
  std::unique_ptr<TMat3D> weights = NewWeights(FSizeX, FSizeY, a);
  auto data = std::make_unique<TMatrix>(nullptr);
  try {
    data->Resize(a, FNrTrnObj);
  } catch (const EQeltaMatrixError&) {
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"not enough memory"));
  }
  std::unique_ptr<TVector> mean = ZeroVector(*this, a), sd = ZeroVector(*this, a);
  FKohMat = std::move(weights), FDataMat = std::move(data), FMeanVec = std::move(mean), FStdDevVec = std::move(sd);
  FNrInSens = a;
}

void TKohonen::SetDataMat(const TMatrix* Value) {
  if (Value == nullptr) return;
  const int n = Value->NrOfColumns();
  std::unique_ptr<TMat3D> weights = NewWeights(FSizeX, FSizeY, n);
  auto data = std::make_unique<TMatrix>(nullptr);
  try {
    data->Clone(Value);
  } catch (const EQeltaMatrixError&) {
    throw EQeltaMatrixError(num_detail::ComponentText(*this, u"not enough memory"));
  }
  std::unique_ptr<TVector> mean = ZeroVector(*this, n), sd = ZeroVector(*this, n);
  FKohMat = std::move(weights), FDataMat = std::move(data), FMeanVec = std::move(mean), FStdDevVec = std::move(sd);
  FNrInSens = n;
  FNrTrnObj = Value->NrOfRows();
}

void TKohonen::StandardizeData() { FDataMat->StandardizeColumns(FMeanVec.get(), FStdDevVec.get()); }

// [SECTION] training

void TKohonen::SetWeigtsToRandom() {
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y)
      for (int c = 1; c <= FNrInSens; ++c) FKohMat->SetVal(x, y, c, (Random() - 0.5) * 0.2);
}

void TKohonen::Trainit() {
  FCurStep = 1;
  SetWeigtsToRandom();
  ContinueTraining();
}

void TKohonen::ContinueTraining() {
  FAbort = false;
  do {
    TrainStep();
    DoFeedback(static_cast<int>(Round(static_cast<Extended>(FCurStep) * 100 / FMaxSteps)));
    if (FCurStep == std::numeric_limits<int>::max()) break;  // a step count read from a file
    ++FCurStep;
  } while (!FAbort && FCurStep < FMaxSteps);
  FAbort = false;
}

void TKohonen::DoFeedback(int p) {
  if (OnFeedback) OnFeedback(this, p);
}

namespace {

/// The map of a training step: the weights of node (x, y) (1-based) at ((x - 1) sy + y - 1) n.
struct TMap {
  int SX, SY, N;
  std::vector<double> W;
  double* Node(int x, int y) { return W.data() + (static_cast<std::size_t>(x - 1) * SY + static_cast<std::size_t>(y - 1)) * N; }
  double Dist(int x, int y, const double* obj) {
    const double* w = Node(x, y);
    double s = 0;
    for (int c = 0; c < N; ++c) s += (w[c] - obj[c]) * (w[c] - obj[c]);
    return s;
  }
};

/// The stretch lo..hi of the neighbourhood of radius r about w along a side of `size` nodes: cut to
/// 1..size, or on a torus with the radius kept below half the side (at least 0).
void SideRange(int w, int r, int size, bool cyclic, int& lo, int& hi) {
  if (cyclic) {
    if (r >= size / 2) r = std::max(size / 2 - 1, 0);
    lo = w - r, hi = w + r;
    return;
  }
  lo = static_cast<int>(std::max<int64_t>(int64_t{w} - r, 1));
  hi = static_cast<int>(std::min<int64_t>(int64_t{w} + r, size));
}

/// Index i of a stretch on the side: wrapped round once on a torus.
int SideIndex(int i, int size) { return i < 1 ? i + size : (i > size ? i - size : i); }

}  // namespace

void TKohonen::TrainStep() {
  num_detail::KohonenSchedule(FCurStep, FMaxSteps, FMaxNeighb, FMaxAlpha, FCurNeighb, FCurAlpha);
  TMap map{FSizeX, FSizeY, FNrInSens, {}};
  map.W.resize(static_cast<std::size_t>(map.SX) * map.SY * map.N);
  for (int x = 1; x <= map.SX; ++x)
    for (int y = 1; y <= map.SY; ++y)
      for (int c = 1; c <= map.N; ++c) map.Node(x, y)[c - 1] = FKohMat->GetVal(x, y, c);
  std::vector<double> obj(static_cast<std::size_t>(map.N));
  for (int i = 1; i <= FDataMat->NrOfRows(); ++i) {
    for (int c = 1; c <= map.N; ++c) obj[static_cast<std::size_t>(c - 1)] = FDataMat->GetVal(c, i);
    int wx = 1, wy = 1;
    double dmin = map.Dist(1, 1, obj.data());
    for (int x = 1; x <= map.SX; ++x)
      for (int y = 1; y <= map.SY; ++y)
        if (const double d = map.Dist(x, y, obj.data()); d < dmin) dmin = d, wx = x, wy = y;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    SideRange(wx, FCurNeighb, map.SX, FCyclic, x0, x1);
    SideRange(wy, FCurNeighb, map.SY, FCyclic, y0, y1);
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y) {
        const int ix = SideIndex(x, map.SX), iy = SideIndex(y, map.SY);
        const double factor = FCurAlpha / (std::sqrt(map.Dist(ix, iy, obj.data()) - dmin) + 1);
        double* w = map.Node(ix, iy);
        for (int c = 0; c < map.N; ++c) w[c] += (obj[static_cast<std::size_t>(c)] - w[c]) * factor;
      }
  }
  for (int x = 1; x <= map.SX; ++x)
    for (int y = 1; y <= map.SY; ++y)
      for (int c = 1; c <= map.N; ++c) FKohMat->SetVal(x, y, c, map.Node(x, y)[c - 1]);
}

// [SECTION] use

void TKohonen::ApplyIt(const TVector* InData, int& BestIx, int& BestIy, double& Distance) const {
  Distance = static_cast<double>(uc_MaxDouble);
  if (InData == nullptr) return;
  std::vector<double> s(static_cast<std::size_t>(FNrInSens));
  for (int c = 1; c <= FNrInSens; ++c) {
    const double sd = FStdDevVec->GetVal(c), in = InData->GetVal(c);
    s[static_cast<std::size_t>(c - 1)] = sd != 0 ? (in - FMeanVec->GetVal(c)) / sd : in;
  }
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y) {
      double sum = 0;
      for (int c = 1; c <= FNrInSens; ++c) {
        const double d = FKohMat->GetVal(x, y, c) - s[static_cast<std::size_t>(c - 1)];
        sum += d * d;
      }
      if (sum < Distance) Distance = sum, BestIx = x, BestIy = y;
    }
}

double TKohonen::GetWeight(int ix, int iy, int component) const {
  if (ix < 1 || ix > FSizeX || iy < 1 || iy > FSizeY || component < 1 || component > FNrInSens) return 0.0;
  const double w = FKohMat->GetVal(ix, iy, component), sd = FStdDevVec->GetVal(component);
  return sd != 0 ? w * sd + FMeanVec->GetVal(component) : w;
}

// [SECTION] XML writer

void TKohonen::WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const {
  auto item = [&](const char16_t* tag, const String& value) {
    out.Line(u"  <" + String(tag) + u">" + value + u"</" + String(tag) + u">");
  };
  if (CreateHeader) out.Line(u"<?xml version=\"1.0\"?>");
  out.Line(String());
  out.Line(u"<!-- TKohonen / Qeltakit -->");
  out.Line(u"<kohonen sig=\"Qeltakit\" vers=\"1.0\" id=\"" + DataID + u"\">");
  item(u"sizex", IntToStr(FSizeX));
  item(u"sizey", IntToStr(FSizeY));
  item(u"nrinsens", IntToStr(FNrInSens));
  item(u"maxneighb", IntToStr(FMaxNeighb));
  item(u"maxsteps", IntToStr(FMaxSteps));
  item(u"maxalpha", num_detail::ExactNumText(FMaxAlpha));
  item(u"curstep", IntToStr(FCurStep));
  item(u"cyclic", FCyclic ? u"1" : u"0");
  item(u"comment", XmlEscape(FComment));
  for (int c = 1; c <= FNrInSens; ++c)
    out.Line(u"  <meanstddev ix=\"" + IntToStr(c) + u"\" mean=\"" + num_detail::ExactNumText(FMeanVec->GetVal(c)) +
             u"\" sd=\"" + num_detail::ExactNumText(FStdDevVec->GetVal(c)) + u"\" />");
  for (int x = 1; x <= FSizeX; ++x)
    for (int y = 1; y <= FSizeY; ++y) {
      String w;
      for (int c = 1; c <= FNrInSens; ++c) {
        if (c > 1) w += u' ';
        w += num_detail::ExactNumText(FKohMat->GetVal(x, y, c));
      }
      out.Line(u"  <cell x=\"" + IntToStr(x) + u"\" y=\"" + IntToStr(y) + u"\" w=\"" + w + u"\" />");
    }
  out.Line(u"</kohonen>");
}

void TKohonen::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  num_detail::TTextFileSink sink(f);
  WriteXml(sink, CreateHeader, DataID);
}

void TKohonen::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  num_detail::TStreamSink sink(OutStream);
  WriteXml(sink, CreateHeader, DataID);
}

bool TKohonen::SaveAsXMLFile(const String& FName, const String& DataID) const {
  return num_detail::SaveXmlFile(FName, [&](TextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

// [SECTION] XML reader

/// What an element held, checked before anything of the map changes.
struct TKohonen::TStaged {
  int SizeX = -1, SizeY = -1, NrInSens = -1, MaxNeighb = 0, MaxSteps = -1, CurStep = 0;
  double MaxAlpha = 0;
  int Cyclic = -1;
  bool HasMaxNeighb = false, HasMaxAlpha = false, HasCurStep = false;
  String Comment;
  std::vector<int> MeanIx;
  std::vector<double> Mean, Sd;
  std::vector<int> CellX, CellY;
  std::vector<std::size_t> CellLen;  ///< weights listed per cell line
  std::vector<double> Weights;       ///< the weights of the cell lines, in their order

  /// Every setting read, the sizes positive and each component and node listed exactly once.
  bool Sound() const;
};

namespace {

const std::vector<String>& KohonenTags() {
  static const std::vector<String> tags = {u"sizex",    u"sizey",    u"comment", u"nrinsens", u"maxneighb",
                                           u"maxsteps", u"maxalpha", u"curstep", u"cyclic",   u"cell",
                                           u"meanstddev", u"/kohonen", u"invalidtag"};
  return tags;
}

bool ParseInt(const String& text, int& v) {
  int32_t n = 0;
  if (!num_detail::ParseIntegerToken(Trim(text), n)) return false;
  v = n;
  return true;
}

bool ParseReal(const String& text, double& v) { return num_detail::ParseDoubleToken(Trim(text), v); }

/// Marks position i (0..seen.size()-1) as listed; false when outside or listed before.
bool MarkOnce(std::vector<bool>& seen, int64_t i) {
  if (i < 0 || i >= static_cast<int64_t>(seen.size()) || seen[static_cast<std::size_t>(i)]) return false;
  seen[static_cast<std::size_t>(i)] = true;
  return true;
}

}  // namespace

bool TKohonen::TStaged::Sound() const {
  if (SizeX < 1 || SizeY < 1 || NrInSens < 1 || MaxSteps < 1 || CurStep < 1 || Cyclic < 0) return false;
  if (!HasMaxNeighb || !HasMaxAlpha || !HasCurStep) return false;
  const int64_t nodes = int64_t{SizeX} * SizeY;
  if (static_cast<int64_t>(MeanIx.size()) != NrInSens || static_cast<int64_t>(CellX.size()) != nodes) return false;
  if (static_cast<int64_t>(Weights.size()) != nodes * NrInSens) return false;
  std::vector<bool> components(static_cast<std::size_t>(NrInSens)), cells(static_cast<std::size_t>(nodes));
  for (int ix : MeanIx)
    if (!MarkOnce(components, int64_t{ix} - 1)) return false;
  for (std::size_t k = 0; k < CellX.size(); ++k) {
    if (CellLen[k] != static_cast<std::size_t>(NrInSens)) return false;
    if (CellX[k] < 1 || CellX[k] > SizeX || CellY[k] < 1 || CellY[k] > SizeY) return false;
    if (!MarkOnce(cells, (int64_t{CellX[k]} - 1) * SizeY + CellY[k] - 1)) return false;
  }
  return true;
}

bool TKohonen::ReadXml(TTagReader& in, const String& DataID) {
  String line, a, content;
  if (!num_detail::FindXmlStartLine(in, u"kohonen", DataID, line)) return false;
  TStaged st;
  for (;;) {
    const int tag = in.NextTag(KohonenTags(), a, content);
    if (tag == xmlEndKohonen) break;
    if (tag == xmlInvalid && in.AtEnd()) return false;  // the element never closed
    bool fine = true;
    switch (tag) {
      case xmlSizeX: fine = ParseInt(content, st.SizeX); break;
      case xmlSizeY: fine = ParseInt(content, st.SizeY); break;
      case xmlNrInsens: fine = ParseInt(content, st.NrInSens); break;
      case xmlMaxNeighb: fine = st.HasMaxNeighb = ParseInt(content, st.MaxNeighb); break;
      case xmlMaxSteps: fine = ParseInt(content, st.MaxSteps); break;
      case xmlMaxAlpha: fine = st.HasMaxAlpha = ParseReal(content, st.MaxAlpha); break;
      case xmlCurStep: fine = st.HasCurStep = ParseInt(content, st.CurStep); break;
      case xmlCyclic: fine = ParseInt(content, st.Cyclic) && (st.Cyclic == 0 || st.Cyclic == 1); break;
      case xmlComment: st.Comment = XmlUnescape(content); break;
      case xmlMeanStdDev: {
        int ix = 0;
        double mean = 0, sd = 0;
        fine = ParseInt(ScanForXMLAttrib(a, u"ix"), ix) && ParseReal(ScanForXMLAttrib(a, u"mean"), mean) &&
               ParseReal(ScanForXMLAttrib(a, u"sd"), sd);
        st.MeanIx.push_back(ix), st.Mean.push_back(mean), st.Sd.push_back(sd);
        break;
      }
      case xmlCell: {
        int x = 0, y = 0;
        const std::size_t before = st.Weights.size();
        fine = ParseInt(ScanForXMLAttrib(a, u"x"), x) && ParseInt(ScanForXMLAttrib(a, u"y"), y) &&
               num_detail::ParseNumberList(ScanForXMLAttrib(a, u"w"), st.Weights);
        st.CellX.push_back(x), st.CellY.push_back(y), st.CellLen.push_back(st.Weights.size() - before);
        break;
      }
      default: break;
    }
    if (!fine) return false;
  }
  if (!st.Sound()) return false;
  try {
    Adopt(st);
  } catch (const EQeltaError&) {
    return false;  // memory for the map: nothing changed
  }
  return true;
}

void TKohonen::Adopt(const TStaged& st) {
  const int n = st.NrInSens;
  std::unique_ptr<TMat3D> weights = NewWeights(st.SizeX, st.SizeY, n);
  std::unique_ptr<TVector> mean = ZeroVector(*this, n), sd = ZeroVector(*this, n);
  std::unique_ptr<TMatrix> data;
  if (n != FDataMat->NrOfColumns()) {  // the data keep their objects, the components follow the map
    data = std::make_unique<TMatrix>(nullptr);
    data->Resize(n, FNrTrnObj);
  }
  for (std::size_t k = 0; k < st.CellX.size(); ++k)
    for (int c = 1; c <= n; ++c) weights->SetVal(st.CellX[k], st.CellY[k], c, st.Weights[k * static_cast<std::size_t>(n) + static_cast<std::size_t>(c - 1)]);
  for (std::size_t k = 0; k < st.MeanIx.size(); ++k) {
    mean->SetVal(st.MeanIx[k], st.Mean[k]);
    sd->SetVal(st.MeanIx[k], st.Sd[k]);
  }
  FKohMat = std::move(weights), FMeanVec = std::move(mean), FStdDevVec = std::move(sd);
  if (data) FDataMat = std::move(data);
  FSizeX = st.SizeX, FSizeY = st.SizeY, FNrInSens = n;
  FMaxNeighb = st.MaxNeighb, FMaxSteps = st.MaxSteps, FMaxAlpha = st.MaxAlpha, FCurStep = st.CurStep;
  FCyclic = st.Cyclic == 1;
  FComment = st.Comment;
}

bool TKohonen::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader source(f);
  return ReadXml(source, DataID);
}

bool TKohonen::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  TTagReader source(InStream, 2);
  return ReadXml(source, DataID);
}

bool TKohonen::LoadFromXMLFile(const String& FName, const String& DataID) {
  return num_detail::LoadXmlFile(FName, [&](TextFile& f) { return ReadFromOpenXMLFile(f, DataID); });
}

}  // namespace qelta
