// Box plots (qeltaplot): TBoxPlot placed on a form over a data table of several columns, vertical
// and horizontal, with percentile ticks or marks, median lines and mean marks. Doubles as a usage
// example of TBoxPlot.
#include "Gallery.h"

#include <cmath>

#include "Forms.h"
#include "Qelta_boxplot.h"
#include "Qelta_math1.h"
#include "Random.h"

namespace qelta::gallery {
namespace {

// Five columns of 200 rows: normal, wide, skewed, two groups, and a short column.
void FillTable(TDataTable& t) {
  RandSeed = 2024;
  t.Resize(5, 200);
  const char* names[] = {"normal", "wide", "skewed", "bimodal", "few"};
  for (int c = 1; c <= 5; ++c) t.SetColName(c, names[c - 1]);
  for (int r = 1; r <= 200; ++r) {
    t.SetElem(1, r, 5 + GRandom());
    t.SetElem(2, r, 4 + 2.5 * GRandom());
    t.SetElem(3, r, 2 + std::exp(0.6 * GRandom()));
    t.SetElem(4, r, (r % 2 == 0 ? 3 : 7) + 0.6 * GRandom());
    if (r <= 12)
      t.SetElem(5, r, 6 + 0.5 * GRandom());
    else
      t.SetIsEmpty(5, r, true);
  }
}

}  // namespace

// The column labels stand inside the plot, near its bottom (vertical) or left (horizontal) edge: the
// value range reaches further that way than AutoRange takes it, so no box, whisker or mark lies under
// them, and the plots are wide enough for the names side by side.
void BoxPlotGallery(GalleryPage& page) {
  page.Section("Box plot (qeltaplot)");
  TForm form(nullptr);
  form.SetBounds(0, 0, 880, 330);
  TDataTable table(nullptr);
  for (int i = 0; i < 2; ++i) {
    auto* p = new TBoxPlot(&form);
    p->SetParent(&form);
    p->SetBounds(10 + i * 435, 10, 425, 310);
    p->SetSuppressPaint(true);  // one rebuild for the whole setup
    if (i == 0) {
      FillTable(*p->Data);
      p->SetCaption(u"vertical, P10/P90 ticks");
      p->SetGridStyle(bpgsDotLines);
    } else {
      FillTable(table);
      p->AssignAnotherDataTable(&table);
      p->SetOrientation(bpltHorizontal);
      p->SetCaption(u"horizontal, P10/P90 marks");
      p->SetMarginLeft(20);
      p->SetFPerc90Mark(17);
      p->SetColorBody(TColor(0xF0D8C0));
      p->OnBeforeBoxDraw = [](TObject*, int Column, TColor&, TColor& Body, TColor&, TColor&, TColor&, TColor&) {
        if (Column == 4) Body = TColor(0x90C0F0);  // one box in its own colour
      };
      p->Labels()->SetFLabelPos(-6);  // labels along the left edge
      p->Labels()->SetTransparent(true);
    }
    p->SetShow90Perc(true);
    p->SetColorMedian(clRed);
    p->SetSuppressPaint(false);
    p->AutoRange(8);
    TScaleProps* values = i == 0 ? static_cast<TScaleProps*>(p->GetScalePropsY(1)) : p->GetScalePropsX(1);
    const double span = values->RangeHigh() - values->RangeLow();
    values->SetRangeLow(values->RangeLow() - (i == 0 ? 0.2 : 0.35) * span);  // the labels' height, width
  }
  AddShownForm(page, form, "boxplot.png",
               "TBoxPlot over five columns (normal, wide, skewed, bimodal, twelve values): quartile boxes, whiskers "
               "with min/max marks, red median lines, blue mean marks and the 10th/90th percentiles as ticks "
               "(vertical, dotted grid) or marks (horizontal, an outside table, one box coloured by OnBeforeBoxDraw)");
}

}  // namespace qelta::gallery
