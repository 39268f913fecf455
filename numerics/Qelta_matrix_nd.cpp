// Qelta_matrix: the XML element of the arrays of three and four dimensions (TMat3D, TMat4D).
//
// The element is the matrix dialect (Qelta_vecmat_shared.cpp) with the extra counts and one cells
// line per row of each layer of each time slot, time slots outermost (lines end CR LF):
//   <?xml version="1.0"?>                              only when a header is asked for
//   (empty line)
//   <!-- TMat4D / Qeltakit -->                         the writing class
//   <matrix sig="Qeltakit" vers="1.0" id="ID">
//     <numcols>NC</numcols>
//     <numrows>NR</numrows>
//     <numlayers>NL</numlayers>
//     <numtimeslots>NT</numtimeslots>                  TMat4D only
//     <cells row="R" col="1" layer="L" timeslot="T">v v v</cells>   timeslot only in TMat4D
//   </matrix>
// Numbers are written with 17 significant digits (NaN "NAN", infinities "INF", "-INF"), so every
// cell, -0 and subnormals included, reads back bit for bit. A reader needs every count to be at
// least 1, every listed cell inside the counts, and the close tag; cells that no line lists are 0.
// It never allocates more cells than the element's text can fill plus a small allowance (CellsFitInput).

#include <cmath>

#include "Qelta_matnd_internal.h"
#include "Qelta_matrix.h"
#include "SysUtils.h"
#include "Qelta_vecmat_internal.h"

namespace qelta::num_detail {

namespace {

constexpr const char16_t* kCountTags[] = {u"numcols", u"numrows", u"numlayers", u"numtimeslots"};

// The place attributes of a cells line: layer, and time slot in four dimensions.
template <int N>
String PlaceOf(const typename TCellBlock<N>::TIndex& i) {
  String s = u" layer=\"" + IntToStr(i[2]) + u"\"";
  if constexpr (N == 4) s += u" timeslot=\"" + IntToStr(i[3]) + u"\"";
  return s;
}

}  // namespace

template <int N>
void WriteXmlBlock(TLineSink& out, const char16_t* className, bool createHeader, const String& id,
                   const TCellBlock<N>& block) {
  const auto& dims = block.Dims();
  WriteXmlMatrix(out, className, createHeader, id, false, dims[0], dims[1], [&](TLineSink& o) {
    for (int d = 2; d < N; ++d)
      o.Line(u"  <" + String(kCountTags[d]) + u">" + IntToStr(dims[static_cast<std::size_t>(d)]) + u"</" +
             String(kCountTags[d]) + u">");
    // One line per (row, layer, time slot), the time slot outermost and the row innermost.
    typename TCellBlock<N>::TIndex lines = dims;
    lines[0] = 1;
    block.VisitBox(block.Ones(), lines, TCellBlock<N>::voLastOutermost, [&](int64_t, const auto& first) {
      typename TCellBlock<N>::TIndex i = first;
      String values;
      for (i[0] = 1; i[0] <= dims[0]; ++i[0]) {
        if (i[0] > 1) values += u' ';
        values += ExactNumText(block.Get(i));
      }
      o.Line(XmlCellsLine(first[1], 1, values, PlaceOf<N>(first)));
    });
  });
}

template <int N>
bool ReadXmlBlock(TTagReader& in, const String& id, TCellBlock<N>& block, String& idOut) {
  TXmlMatrix<double> x;
  String why;
  if (!ReadXmlMatrix(in, id, x, why, N)) return false;
  typename TCellBlock<N>::TIndex dims;
  dims[0] = x.NCols;
  dims[1] = x.NRows;
  dims[2] = x.NLayers < 0 ? 1 : x.NLayers;
  if constexpr (N == 4) dims[3] = x.NTimeSlots < 0 ? 1 : x.NTimeSlots;
  const int64_t cells = TCellBlock<N>::CellsOf(dims);
  if (!CellsFitInput(cells, sizeof(double), x.Chars)) return false;
  TCellBlock<N> next(block.FirstFastest());
  try {
    next.Reshape(dims, false);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const TXmlRun<double>& run : x.Runs) {
    typename TCellBlock<N>::TIndex i;
    i[1] = run.Row;
    i[2] = run.Layer;
    if constexpr (N == 4) i[3] = run.TimeSlot;
    for (std::size_t k = 0; k < run.Values.size(); ++k) {
      i[0] = run.Col + static_cast<int>(k);
      next.Set(i, run.Values[k]);
    }
  }
  std::swap(block, next);
  idOut = x.Id;
  return true;
}

template void WriteXmlBlock<3>(TLineSink&, const char16_t*, bool, const String&, const TCellBlock<3>&);
template void WriteXmlBlock<4>(TLineSink&, const char16_t*, bool, const String&, const TCellBlock<4>&);
template bool ReadXmlBlock<3>(TTagReader&, const String&, TCellBlock<3>&, String&);
template bool ReadXmlBlock<4>(TTagReader&, const String&, TCellBlock<4>&, String&);

// [SECTION] fingerprint and search of the blocks

template <int N>
String TCellBlock<N>::CRC() const {
  TCrcLanes<8> lanes;
  VisitBox(Ones(), FDims, voCanonical,
           [&](int64_t off, const TIndex&) { lanes.Feed(BitsOf(FCells[static_cast<std::size_t>(off)])); });
  return lanes.Text();
}

template <int N>
void TCellBlock<N>::Find(const TIndex& lo, const TIndex& hi, double value, TIndex& at) const {
  at.fill(0);
  double best = FarDistance<double>();
  VisitBox(lo, hi, voCanonical, [&](int64_t off, const TIndex& i) {
    const double d = DistElem(FCells[static_cast<std::size_t>(off)], value);
    if (d < best) {
      best = d;
      at = i;
    }
  });
}

template String TCellBlock<3>::CRC() const;
template String TCellBlock<4>::CRC() const;
template void TCellBlock<3>::Find(const TIndex&, const TIndex&, double, TIndex&) const;
template void TCellBlock<4>::Find(const TIndex&, const TIndex&, double, TIndex&) const;

}  // namespace qelta::num_detail
