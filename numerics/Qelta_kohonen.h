#pragma once
// Qelta_kohonen: the Kohonen self-organising map (TKohonen).
//
// What: a rectangular map of SizeX x SizeY nodes, each a weight vector of NrOfInSens components, is
// trained on the objects of a data matrix (rows; columns are the components) and then names the
// node that best matches an input. The map, its settings and the standardisation of the data are
// kept in an XML element.
// How: T. Kohonen's training (Self-Organizing Maps, 1995) in NrOfTrnSteps steps. Step s, with
// r = (NrOfTrnSteps - s) / NrOfTrnSteps, has the radius round(r^2 (InitialNeighbors - 1) + 1) and the
// learning rate r^2 InitialAlpha. Each object in turn finds its winner, the node of least squared
// distance (x outermost, then y; the first of equals), and every node of the square neighbourhood
// of that radius around it (cut at the map's edges, or wrapped round a torus with Cyclic, where the
// radius is kept below half the map) moves towards the object by
// alpha / (sqrt(D - Dmin) + 1), D and Dmin the squared distances of the node and of the winner:
// the winner by the full rate, the others by how much worse they match. Training runs on private
// copies, written back after every step.
// Standardisation: StandardizeData scales the data's columns (TMatrix.StandardizeColumns) and keeps
// their means and standard deviations; a deviation of 0 (none taken yet, or a constant column, which
// StandardizeColumns leaves raw) means "not standardised": GetWeight answers the weight itself and
// ApplyIt takes that input component raw.
// Failure channel: nothing is raised but EQeltaMatrixError (`Component "Name": not enough memory`)
// when a new weight or data matrix does not fit; the XML readers answer false and leave the map as
// it was on anything malformed.

#include <cstdint>
#include <memory>

#include "Classes.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Qelta_vector.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// The self-organising map. After Create: 1 x 1 node of 1 component with a random weight,
/// InitialNeighbors 2, NrOfTrnSteps 200, InitialAlpha 1.0, not cyclic, a 1 x 1 data matrix and
/// zero mean and deviation vectors of 1 element.
class TKohonen : public TComponent {
 public:
  /// Tags of the XML element, in the order of the reader's tag list.
  enum TKohonenXMLTag : uint8_t {
    xmlSizeX,
    xmlSizeY,
    xmlComment,
    xmlNrInsens,
    xmlMaxNeighb,
    xmlMaxSteps,
    xmlMaxAlpha,
    xmlCurStep,
    xmlCyclic,
    xmlCell,
    xmlMeanStdDev,
    xmlEndKohonen,
    xmlInvalid
  };

  explicit TKohonen(TComponent* AOwner);
  ~TKohonen() override;

  // --- data ---
  /// NrOfInSens := Value's columns, the object count its rows; the data matrix becomes a copy of
  /// Value; a zero weight matrix SizeX x SizeY x NrOfInSens and zero mean and deviation vectors of
  /// NrOfInSens elements replace the old ones. Nil does nothing.
  void SetDataMat(const TMatrix* Value);
  /// Standardises the data's columns in place; their means and deviations go to MeanVec and StdDevVec.
  void StandardizeData();

  // --- training ---
  /// Every weight := (r - 0.5) 0.2 with one Random draw r per weight, x outermost, then y, then the
  /// component: uniform in [-0.1, 0.1).
  void SetWeigtsToRandom();
  /// Step 1, random weights, ContinueTraining.
  void Trainit();
  /// Runs steps from the current one while no abort was requested and the next step is below
  /// NrOfTrnSteps (at least one step); OnFeedback(round(step 100 / NrOfTrnSteps)) after each step.
  /// The abort request is cleared at the start and at the end.
  void ContinueTraining();
  /// Stops the training after the step in progress (OnFeedback handlers may call it).
  void AbortTraining() { FAbort = true; }
  /// OnFeedback(this, p) when assigned.
  void DoFeedback(int p);

  // --- use ---
  /// The node (BestIx, BestIy) nearest to InData in standardised units: component c is
  /// (InData[c] - MeanVec[c]) / StdDevVec[c], or InData[c] itself where the deviation is 0.
  /// Distance := the squared distance (1.7e308 to start; strict comparisons, x outermost).
  void ApplyIt(const TVector* InData, int& BestIx, int& BestIy, double& Distance) const;
  /// Weight (ix, iy, component) in data units: weight StdDevVec[c] + MeanVec[c], or the weight itself
  /// where the deviation is 0; 0 outside the map.
  double GetWeight(int ix, int iy, int component) const;

  // --- XML element (layout in Qelta_kohonen.cpp) ---
  /// Writes the element to a text file open for writing; the platform's I/O errors pass.
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const;
  /// Writes the element to a stream, one byte per character; the stream's errors pass.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  /// Creates the file with the declaration and the element; false on any file error.
  bool SaveAsXMLFile(const String& FName, const String& DataID) const;
  /// Reads the next element whose id equals DataID (case of A-Z ignored; empty: any) and takes its
  /// map, settings, means and deviations. False, map unchanged, when none is found or it is
  /// malformed. The platform's I/O errors pass.
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  /// ReadFromOpenXMLFile on a file; false when it cannot be read.
  bool LoadFromXMLFile(const String& FName, const String& DataID);

  // --- properties ---
  int InitialNeighbors() const { return FMaxNeighb; }
  void SetInitialNeighbors(int a) { FMaxNeighb = a; }
  const String& Comment() const { return FComment; }
  void SetComment(const String& s) { FComment = s; }
  int NrOfTrnSteps() const { return FMaxSteps; }
  /// Values below 1 are stored as 1.
  void SetNrOfTrnSteps(int a) { FMaxSteps = a < 1 ? 1 : a; }
  double InitialAlpha() const { return FMaxAlpha; }
  void SetInitialAlpha(double a) { FMaxAlpha = a; }
  int SizeX() const { return FSizeX; }
  /// a <= 0 is ignored; else the size and a new zero weight matrix.
  void SetSizeX(int a);
  int SizeY() const { return FSizeY; }
  void SetSizeY(int a);
  int NrOfInSens() const { return FNrInSens; }
  /// a <= 0 is ignored; else a new zero weight matrix, a zero data matrix of a columns and the
  /// present object count, and zero mean and deviation vectors of a elements.
  void SetNumInsens(int a);
  bool Cyclic() const { return FCyclic; }
  void SetCyclic(bool c) { FCyclic = c; }
  /// Column means and standard deviations of the training data (owned; replaced by SetDataMat).
  TVector* MeanVec() const { return FMeanVec.get(); }
  TVector* StdDevVec() const { return FStdDevVec.get(); }

  // --- events ---
  TOnPercentDoneEvent OnFeedback;

 private:
  struct TStaged;
  /// One training step at FCurStep on private copies of the weights and the data.
  void TrainStep();
  /// New zero weights of the given shape (EQeltaMatrixError "... not enough memory").
  std::unique_ptr<TMat3D> NewWeights(int sx, int sy, int n) const;
  /// Makes the state the staged one (all allocations first, so a failure changes nothing).
  void Adopt(const TStaged& st);
  void WriteXml(num_detail::TLineSink& out, bool CreateHeader, const String& DataID) const;
  bool ReadXml(TTagReader& in, const String& DataID);

  int FMaxNeighb = 2;
  String FComment;
  int FCurNeighb = 0;
  int FMaxSteps = 200;
  int FCurStep = 1;
  double FMaxAlpha = 1.0;
  double FCurAlpha = 0;
  std::unique_ptr<TMat3D> FKohMat;
  int FSizeX = 1, FSizeY = 1;
  int FNrInSens = 1;
  int FNrTrnObj = 1;
  std::unique_ptr<TVector> FMeanVec, FStdDevVec;
  bool FCyclic = false;
  bool FAbort = false;
  std::unique_ptr<TMatrix> FDataMat;
};

namespace num_detail {
/// The schedule of a training step (not part of the public interface): with r = (maxSteps - step) /
/// maxSteps, the radius round(r^2 (maxNeighb - 1) + 1) and the rate r^2 maxAlpha.
void KohonenSchedule(int step, int maxSteps, int maxNeighb, double maxAlpha, int& radius, double& alpha);
}  // namespace num_detail

}  // namespace qelta

QELTA_PUBLIC_END
