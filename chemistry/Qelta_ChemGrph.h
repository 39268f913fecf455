#pragma once
// Qelta_ChemGrph: the structure display TChemGraph, a control that draws the connection table it owns as a 2-D
// structure diagram and reports the atom under the mouse.
//
// What: bonds as single, double (two lines), triple (three lines) or aromatic (dashed) lines, atom labels by
// display mode (skeleton, hetero atoms, all atoms, atom numbers) with implicit hydrogens and charges, per-atom
// colours and bold, italic or inverse labels; the structure fitted into the control with an 8-pixel margin and a
// cap on the mean bond length. It finds the ring or the chain next to a point and improves a layout by random
// moves.
// How: Paint fits the extents (Qelta_cstruct's CalcMolExtents) and draws on an off-screen bitmap; the transform
// of the last drawing maps mouse positions back to structure coordinates. Bond ends are pulled back to the box
// of a label so that lines do not run through text. The layout search moves random atoms by a shrinking amount
// and keeps a move when the score (bond lengths near the ideal, angles near 120 degrees, non-bonded atoms apart)
// does not fall; it uses the platform's Random, so a seeded run repeats.
// Limits: the y axis is not inverted (screen coordinates); with clipping (Paint) labels are drawn only 40 pixels
// inside the clip bounds and bond ends are kept 4 pixels inside them. Structure coordinates should be in a pixel
// scale for OptimizeMolShape (moves are whole multiples of the factor).
// Failure channel: nothing raises; atom indices outside 1..N are ignored and read 0.

#include <cstdint>
#include <functional>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_cstruct.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Which atoms carry labels: isolated and charged ones, those and every non-carbon, every atom, or every atom
/// as its index.
enum TCGDispMode : uint8_t { dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers };

/// The atom nearest to the mouse (0 for none), its distance and the mouse position, in structure coordinates.
using TMoveOverStructEvent = std::function<void(TObject* Sender, int ClosestAtom, double Dist, TShiftState Shift,
                                                double rMousePosX, double rMousePosY)>;

namespace mol_detail {  // not part of the public interface
/// Label text of an atom: symbol plus hydrogens and charge by its element, charge and bond-type sum (see the
/// .cpp); "" outside 1..N.
String AtomLabel(const TCTab& t, int AtIx);
}  // namespace mol_detail

/// A structure diagram of the owned TCTab (see the top of this header).
class TChemGraph : public TGraphicControl {
 public:
  /// Sides of the clip bounds.
  enum TDirection : uint8_t { diLeft, diTop, diRight, diBottom };

  /// 300 x 200, "Courier New" 14, dark red structure on button face, raised frame, skeleton mode, bonds capped at
  /// 30 pixels, clip bounds (0, 0)-(800, 600); the structure repaints the control when it changes.
  explicit TChemGraph(TComponent* AOwner);
  ~TChemGraph() override;

  // -- the main job
  /// Draws the structure on any canvas fitted into the box (llx, lly)-(urx, ury), without clipping, in
  /// "Courier New" at the size the fit gives.
  void ShowMoleculeInABox(TCanvas* Canvas, TCGDispMode DispMode, int llx, int lly, int urx, int ury, int MaxBondLeng);
  /// Of the shortest rings of the six atoms nearest to (x, y), the one closest to it (sum of |dx| + |dy| over its
  /// atoms); the nearest atom's only ring when it has fewer than two; RingSize 0 when none.
  void FindRingNextToCursor(float x, float y, RingType& Ring);
  /// The chain through the atom with at most two connections nearest to (x, y), from one end to the other (the
  /// end with the smaller x first); a ring of such atoms stops back at its seed. Answers its length.
  int FindChainNexttoCursor(float x, float y, AtListType& ChainAtoms);
  /// 100 x N random moves of one or two atoms that are kept when the layout's score does not fall.
  void OptimizeMolShape(int IdealDist);
  /// Fires OnMoveOverStruct.
  void MoveOverStruct(int ClosestAtom, double Dist, TShiftState Shift, double rMousePosX, double rMousePosY);

  // -- atoms
  /// Colour of the atom's label (clears "no colour of its own"); repaints.
  void SetAtColor(int AtIx, TColor Color);
  int GetAtColor(int AtIx) const;
  /// Visual attribute bits 0..2 of the label: 1 bold, 2 inverse, 4 italic; repaints.
  void SetVisAttrib(int AtIx, int Value);
  int GetVisAttrib(int AtIx) const;
  void SetClipBoundary(TDirection Direction, int Value) { FClipBounds[Direction] = Value; }
  int GetClipBoundary(TDirection Direction) const { return FClipBounds[Direction]; }

  // -- properties (setters store a changed value and paint)
  /// The structure shown, owned by the control.
  TCTab* Structure() const { return FStructure.get(); }
  TColor ColorBkg() const { return FColorBakG; }
  void SetColorBkg(TColor value);
  TColor ColorStructure() const { return FMolColor; }
  void SetColorStructure(TColor value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csBWG: grey $808080 and white lines; csSystem: the button shadow and highlight colours.
  void SetColorScheme(TColorScheme value);
  TCGDispMode DisplayMode() const { return FDispMode; }
  void SetDisplayMode(TCGDispMode value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  int MaxBondLeng() const { return FMaxBondLeng; }
  /// Pixels; 0 fills the control.
  void SetMaxBondLeng(int value);
  bool DrawUnscaled() const { return FDrawAsIs; }
  /// Structure coordinates taken as pixels.
  void SetDrawUnscaled(bool value);
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Paints when it becomes false.
  void SetSuppressPaint(bool value);

  // -- events
  TMoveOverStructEvent OnMoveOverStruct;

 protected:
  void Paint() override;
  /// The platform's handling first, then the nearest atom to the mouse through OnMoveOverStruct.
  void MouseMove(TShiftState Shift, int X, int Y) override;
  /// Draws bonds and labels by DispMode with screen = structure x scale + offset; stores the transform.
  void DrawMolRaw(TCGDispMode DispMode, double scale, double xoff, double yoff, bool Clip, TCanvas* Canvas);
  /// Scale and offsets of the last drawing.
  double Scale() const { return FTransForm[0]; }
  double OffsetX() const { return FTransForm[1]; }
  double OffsetY() const { return FTransForm[2]; }
  /// The fit of the structure into a box of width W and height H around (cx, cy): scale, offsets, font size.
  void Fit(int W, int H, int cx, int cy, int maxBond, double& scale, double& xoff, double& yoff, int& fontSize) const;
  /// The layout's score that OptimizeMolShape maximises.
  double ShapeScore(int IdealDist) const;

 private:
  void DrawFrame(TCanvas* c, int W, int H) const;
  void DrawLabel(TCanvas* c, int AtIx, const String& text, int x, int y, bool Clip) const;
  void DrawConnection(TCanvas* c, int a, int b, int type, int lenA, int lenB, bool Clip) const;
  bool Labelled(TCGDispMode DispMode, int AtIx) const;
  int LabelLength(TCGDispMode DispMode, int AtIx) const;
  TPoint ScreenOf(int AtIx) const;
  void MoveRandomAtom(double factor, int IdealDist);
  void WalkChain(int seed, int first, AtListType& list) const;

  TColor FColorBakG = clBtnFace;
  TColor FMolColor = 0x000080;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = clWhite;
  TColorScheme FColorScheme = csBWG;
  double FTransForm[3] = {1, 0, 0};
  int FMaxBondLeng = 30;
  TFrameStyle FFrameStyle = fsRaised;
  int FClipBounds[4] = {0, 0, 800, 600};
  TCGDispMode FDispMode = dmSkeleton;
  bool FSuppressPaint = true;
  bool FDrawAsIs = false;
  int FFontSize = 14;  // of the labels in the last drawing
  std::unique_ptr<TCTab> FStructure;
};

}  // namespace qelta

QELTA_PUBLIC_END
