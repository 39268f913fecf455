// Chemistry (qeltamol): the structure display TChemGraph in its four display modes, and the formula control
// TMolForm with isotopes and deuterium. Doubles as a usage example of both controls.
#include "Gallery.h"

#include "Forms.h"
#include "Qelta_ChemGrph.h"
#include "Qelta_cform.h"

namespace qelta::gallery {
namespace {

// Nicotinic acid methyl ester with a charged side chain, drawn from 2-D coordinates (pixels).
void BuildStructure(TCTab& t) {
  struct TAtom {
    int z;
    float x, y;
    int charge;
  };
  const TAtom atoms[] = {{6, 0, 0, 0},    {6, 26, 15, 0},   {6, 52, 0, 0},  {6, 52, -30, 0}, {6, 26, -45, 0},
                         {7, 0, -30, 0},  {6, 78, 15, 0},   {8, 78, 45, 0}, {8, 104, 0, 0},  {6, 130, 15, 0},
                         {6, -26, 15, 0}, {7, -52, 0, 1},   {6, 26, -75, 0}, {7, 52, -90, 0}};
  const int bonds[][3] = {{1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 5, 1}, {5, 6, 2}, {6, 1, 1}, {3, 7, 1},
                          {7, 8, 2}, {7, 9, 1}, {9, 10, 1}, {1, 11, 1}, {11, 12, 1}, {5, 13, 1}, {13, 14, 3}};
  t.Clear();
  for (const TAtom& a : atoms) {
    CTElem rec;
    rec.AtNum = static_cast<uint8_t>(a.z);
    rec.Charge = static_cast<int8_t>(a.charge);
    rec.Coords[1] = a.x;
    rec.Coords[2] = a.y;
    t.AddAtom(rec);
  }
  for (const auto& b : bonds) t.MakeConnection(b[0], b[1], b[2]);
}

void DisplayModes(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 4 * 250 + 10, 220);
  const TCGDispMode modes[] = {dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers};
  for (int i = 0; i < 4; ++i) {
    auto* g = new TChemGraph(&form);
    g->SetBounds(10 + i * 250, 10, 240, 200);
    g->SetParent(&form);
    g->SetSuppressPaint(true);  // one paint when everything is set
    BuildStructure(*g->Structure());
    g->SetDisplayMode(modes[i]);
    g->SetColorBkg(clWhite);
    g->SetAtColor(8, clRed);   // the carbonyl oxygen in red
    g->SetVisAttrib(12, 2);    // the ammonium nitrogen inverted
    // Labels are drawn 40 pixels inside the clip bounds: open them round the control so that edge atoms keep theirs.
    g->SetClipBoundary(TChemGraph::diLeft, -40);
    g->SetClipBoundary(TChemGraph::diTop, -40);
    g->SetClipBoundary(TChemGraph::diRight, g->Width() + 40);
    g->SetClipBoundary(TChemGraph::diBottom, g->Height() + 40);
    g->SetSuppressPaint(false);
  }
  AddShownForm(page, form, "chemgraph-modes.png",
               "Structure display: skeleton, hetero atoms, all atoms, atom numbers (bonds capped at 30 pixels)");
}

void Formulas(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 3 * 210 + 10, 2 * 50 + 10);
  const struct {
    const char16_t* text;
    TIsotVisib isotopes;
    bool deuterium;
  } formulas[] = {{u"C6 H12 O6", ivSpecial, true},      {u"13C1 2H3 18O D", ivSpecial, true},
                  {u"D2O", ivSpecial, false},           {u"Ca(O H)2", ivAlways, true},
                  {u"C12 H22 O11", ivNone, true},       {u"(C H3)3 N", ivSpecial, true}};
  for (int i = 0; i < 6; ++i) {
    auto* f = new TMolForm(&form);
    f->SetBounds(10 + (i % 3) * 210, 10 + (i / 3) * 50, 200, 28);
    f->SetParent(&form);
    f->Font()->SetSize(14);
    f->SetIsotopeVis(formulas[i].isotopes);
    f->SetUseDeuterium(formulas[i].deuterium);
    f->SetMolFormula(formulas[i].text);
  }
  AddShownForm(page, form, "molform-isotopes.png",
               "Formulas: isotopes where special, deuterium as D or as 2H, every mass number, none, a group");
}

}  // namespace

void ChemistryGallery(GalleryPage& page) {
  page.Section("Chemistry (qeltamol)");
  DisplayModes(page);
  Formulas(page);
}

}  // namespace qelta::gallery
