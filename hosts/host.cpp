// A host program shaped like a real application: it links all seven libraries (the build links it
// twice, in the order pkg-config gives and in the reverse order) and runs one scenario per process,
// named on the command line, so that its exit code and its way out of main are what is tested.
//
//   host <scenario>   runs it: exit code 0 when it held, 1 (with one line on stderr) when not
//   host --list       prints the scenario names
//
// The xml-* scenarios write and read files of the numerics while the map library is loaded too; the
// exit-* scenarios leave forms owned by Application (with popups, menus, timers) for the exit to release.
// It is built from this one file, also with the README's plain `g++ app.cpp $(pkg-config ...)`.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Qelta_ChemGrph.h"
#include "Qelta_ColorScale.h"
#include "Qelta_Colsel.h"
#include "Qelta_Gauge.h"
#include "Qelta_Meter.h"
#include "Qelta_MiniCal.h"
#include "Qelta_NumIO.h"
#include "Qelta_NumLab.h"
#include "Qelta_ProgBar.h"
#include "Qelta_RasterLab.h"
#include "Qelta_Rot3D.h"
#include "Qelta_RotLab.h"
#include "Qelta_Scale.h"
#include "Qelta_Thumbnails.h"
#include "Qelta_boxplot.h"
#include "Qelta_cform.h"
#include "Qelta_cstruct.h"
#include "Qelta_datatable.h"
#include "Qelta_dstruct.h"
#include "Qelta_filesys.h"
#include "Qelta_fourier.h"
#include "Qelta_geoatlas.h"
#include "Qelta_GeoDB.h"
#include "Qelta_geomap.h"
#include "Qelta_gradfl.h"
#include "Qelta_htmlsupport.h"
#include "Qelta_kohonen.h"
#include "Qelta_marksel.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Qelta_ntabed.h"
#include "Qelta_onoffbut.h"
#include "Qelta_plot3d.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_rchart.h"
#include "Qelta_replist.h"
#include "Qelta_repsbut.h"
#include "Qelta_sevenseg.h"
#include "Qelta_sline.h"
#include "Qelta_statis.h"
#include "Qelta_stringl.h"
#include "Qelta_vector.h"
#include "Qelta_wavelet.h"

#include "Buttons.h"
#include "ComboBoxes.h"
#include "DateTimePickers.h"
#include "Dialogs.h"
#include "Edits.h"
#include "FileSys.h"
#include "Forms.h"
#include "Grids.h"
#include "Labels.h"
#include "Menus.h"
#include "Panels.h"
#include "Popups.h"
#include "StringLists.h"
#include "Streams.h"
#include "SysUtils.h"

using namespace qelta;

namespace {

// [SECTION] scaffolding

bool Fail(const std::string& why) {
  std::fprintf(stderr, "%s\n", why.c_str());
  return false;
}

/// A private folder to work in, made current for the files the scenarios write; removed at the end.
class TScratch {
 public:
  TScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qelta-host-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr && chdir(pattern.c_str()) == 0) FPath = pattern;
  }
  ~TScratch() {
    if (FPath.empty()) return;
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
    std::filesystem::remove_all(FPath, ignored);
  }
  bool Ready() const { return !FPath.empty(); }

 private:
  std::string FPath;
};

/// Windows the platform still knows: handles are handed out in order from 1 and never reused, so a
/// fresh one bounds every handle given so far.
int LiveWindows() {
  const HWND bound = AllocateHWnd([](TMessage&) {});
  int live = 0;
  for (HWND h = 1; h < bound; ++h) live += IsWindow(h) ? 1 : 0;
  DeallocateHWnd(bound);
  return live;
}

// [SECTION] files of the numerics with the map library loaded

/// The sizes of an array, to compare what was read with what was written.
std::vector<int> Dims(const TMatrix& m) { return {m.NrOfColumns(), m.NrOfRows()}; }
std::vector<int> Dims(const TIntMatrix& m) { return {m.NrOfColumns(), m.NrOfRows()}; }
std::vector<int> Dims(const TMat3D& m) { return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers()}; }
std::vector<int> Dims(const TMat4D& m) {
  return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(), m.NrOfTimeSlots()};
}
std::vector<int> Dims(const TKohonen& k) { return {k.SizeX(), k.SizeY(), k.NrOfInSens()}; }

void Shape(TMatrix& m) { m.Resize(2, 2); }
void Shape(TIntMatrix& m) { m.Resize(2, 2); }
void Shape(TMat3D& m) { m.Resize(2, 2, 3); }
void Shape(TMat4D& m) { m.Resize(2, 2, 3, 2); }
void Shape(TKohonen& k) {
  k.SetSizeX(2);
  k.SetSizeY(3);
  k.SetNumInsens(4);
}

bool SameShape(const std::vector<int>& read, const std::vector<int>& written) {
  if (read == written) return true;
  std::string text = "read back as";
  for (int d : read) text += " " + std::to_string(d);
  return Fail(text + ", not as written");
}

/// Saves an element to a file and loads it into a new object: true, and the same sizes.
template <class T>
bool XmlFileRoundTrip() {
  TGeoMap map(nullptr);  // a map in the same program, as a host with both would have
  T written(nullptr);
  Shape(written);
  if (!written.SaveAsXMLFile(u"a.xml", u"id")) return Fail("SaveAsXMLFile answered false");
  T read(nullptr);
  if (!read.LoadFromXMLFile(u"a.xml", u"id")) return Fail("LoadFromXMLFile answered false");
  return SameShape(Dims(read), Dims(written));
}

/// Writes an element to a memory stream and reads it back from the start: true, and the same sizes.
template <class T>
bool XmlStreamRoundTrip() {
  TGeoMap map(nullptr);
  T written(nullptr);
  Shape(written);
  TMemoryStream stream;
  written.WriteToXMLStream(stream, true, u"id");
  stream.Seek(0, soFromBeginning);
  T read(nullptr);
  if (!read.ReadFromXMLStream(stream, u"id")) return Fail("ReadFromXMLStream answered false");
  return SameShape(Dims(read), Dims(written));
}

// [SECTION] forms owned by Application at the exit

/// The README's pattern: a popup menu with one item on the main form, then out of main. It ended with
/// "free(): double free detected" (exit code 134): the menu command table, built after Application, was
/// destroyed before Application released the form and the item unregistered from it.
bool PopupMenuAtExit() {
  TForm* f = Application->CreateForm<TForm>();
  auto* pm = new TPopupMenu(f);
  auto* it = new TMenuItem(pm);
  it->SetCaption(u"Copy");
  pm->Items()->Add(it);
  return true;
}

/// A table editor (its data and heading menus) on the shown main form: it ended with SIGSEGV, for the
/// same reason as the popup menu.
bool TableEditorAtExit() {
  TForm* f = Application->CreateForm<TForm>();
  auto* editor = new TNTabEd(f);
  editor->SetParent(f);
  editor->SetBounds(10, 10, 300, 200);
  f->Show();
  Application->ProcessMessages();
  return true;
}

/// A control a host keeps in a static of its own, made before Application: it is destroyed after
/// Application and still leaves the windows and input state it was registered in (they went with
/// Application before, and it wrote into freed memory).
bool StaticControlAtExit() {
  static TEdit edit(nullptr);
  TForm* f = Application->CreateForm<TForm>();
  edit.SetParent(f);
  f->Show();
  edit.SetFocus();
  Application->ProcessMessages();
  edit.SetParent(nullptr);
  return true;
}

/// Every component class of the seven libraries that the palette does not list (the palette's own
/// are added from RegisteredComponents).
std::vector<TComponentClass> UnlistedClasses() {
  return {
      // the platform's widgets and services
      ComponentClassOf<TEdit>(), ComponentClassOf<TMemo>(), ComponentClassOf<TLabel>(),
      ComponentClassOf<TPanel>(), ComponentClassOf<TSpeedButton>(), ComponentClassOf<TComboBox>(),
      ComponentClassOf<TDrawGrid>(), ComponentClassOf<TStringGrid>(), ComponentClassOf<TDateTimePicker>(),
      ComponentClassOf<TPopupMenu>(), ComponentClassOf<TTimer>(), ComponentClassOf<TSaveDialog>(),
      ComponentClassOf<TColorDialog>(),
      // foundation and numerics
      ComponentClassOf<TStringArray>(), ComponentClassOf<TAssocArray>(), ComponentClassOf<TBitFld>(),
      ComponentClassOf<TByteMatrix>(), ComponentClassOf<TFifo>(), ComponentClassOf<TRLEncoder>(),
      ComponentClassOf<TColorArray>(), ComponentClassOf<TGrep>(), ComponentClassOf<THtmlProducer>(),
      ComponentClassOf<TUnivSaveDialog>(), ComponentClassOf<TVector>(), ComponentClassOf<TIntVector>(),
      ComponentClassOf<TMatrix>(), ComponentClassOf<TIntMatrix>(), ComponentClassOf<TMat3D>(),
      ComponentClassOf<TMat4D>(), ComponentClassOf<TCurveFit>(), ComponentClassOf<TDataTable>(),
      ComponentClassOf<TRandGen>(), ComponentClassOf<TCrossValidator>(), ComponentClassOf<TSLine>(),
      ComponentClassOf<TFastFourier>(), ComponentClassOf<TWavelet1D>(), ComponentClassOf<TKohonen>(),
      // charts
      ComponentClassOf<TScale>(), ComponentClassOf<TBoxPlot>(), ComponentClassOf<TContourPlot>(),
      ComponentClassOf<TSmithChart>(), ComponentClassOf<TPlot3D>(), ComponentClassOf<TRot3D>(),
      // controls
      ComponentClassOf<TColSel>(), ComponentClassOf<TGradFill>(), ComponentClassOf<TMarkSel>(),
      ComponentClassOf<TMeter>(), ComponentClassOf<TMiniCal>(), ComponentClassOf<TNTabEd>(),
      ComponentClassOf<TNumIO>(), ComponentClassOf<TNumIO2>(), ComponentClassOf<TNumLab>(),
      ComponentClassOf<TOnOffBut>(), ComponentClassOf<TProgBar>(), ComponentClassOf<TRasterLab>(),
      ComponentClassOf<TRepSpeedButton>(), ComponentClassOf<TReportListView>(), ComponentClassOf<TRLData>(),
      ComponentClassOf<TRotLab>(), ComponentClassOf<TSevenSeg>(), ComponentClassOf<TThumbnails>(),
      // maps and chemistry
      ComponentClassOf<TGeoDB>(), ComponentClassOf<TCTab>(), ComponentClassOf<TChemGraph>(),
      ComponentClassOf<TMolForm>(),
  };
}

std::vector<TComponentClass> EveryComponentClass() {
  Qelta_rchart::Register();
  Qelta_Gauge::Register();
  Qelta_ColorScale::Register();
  Qelta_geomap::Register();
  Qelta_geoatlas::Register();
  std::vector<TComponentClass> classes = UnlistedClasses();
  for (const String& page : RegisteredPages())
    for (const TComponentClass& c : RegisteredComponents(page)) classes.push_back(c);
  return classes;
}

/// The settings file the main form of the every-component scenario writes as it goes.
String SettingsFile() { return GetTempPath() + u"qelta-host-settings-" + IntToStr(getpid()) + u".txt"; }

/// The main form of the every-component scenario: as many a host's does, it saves its settings when it
/// is destroyed (at exit: by Application), and tells the exit check it has gone.
bool gMainFormReleased = false;
class THostForm : public TForm {
 public:
  using TForm::TForm;
  ~THostForm() override {
    try {
      TStringList settings;
      settings.Add(u"left=" + IntToStr(Left()));
      settings.SaveToFile(SettingsFile());
    } catch (const Exception&) {  // the exit check finds no file
    }
    gMainFormReleased = true;
  }
};

/// The settings file holds what the form saved; removes it.
bool SettingsSaved() {
  TStringList settings;
  try {
    settings.LoadFromFile(SettingsFile());
  } catch (const Exception&) {
    return false;
  }
  DeleteFile(SettingsFile());
  return settings.Count() == 1 && settings.Strings(0) == u"left=7";
}

/// Runs after Application is destroyed (registered before it was built): the forms it owned are gone,
/// and with them every window (and so every timer, which lives on a window) and every open popup; the
/// main form's settings file was written.
void CheckReleasedAtExit() {
  const int windows = LiveWindows();
  const std::size_t popups = TPopupWindow::OpenPopups().size();
  const bool saved = SettingsSaved();
  if (gMainFormReleased && windows == 0 && popups == 0 && saved) return;
  std::fprintf(stderr, "at exit: main form %s, %d windows and %zu popups left, settings %s\n",
               gMainFormReleased ? "released" : "not released", windows, popups, saved ? "saved" : "lost");
  std::_Exit(1);
}

/// Places one of every class on the form; the controls in a grid of cells, the form their parent.
void PlaceAll(TForm* form, const std::vector<TComponentClass>& classes) {
  constexpr int kCellW = 150, kCellH = 110, kColumns = 8;
  int cell = 0;
  for (const TComponentClass& c : classes) {
    TComponent* made = c.Create(form);
    made->SetName(c.ClassName + u"1");
    auto* control = dynamic_cast<TControl*>(made);
    if (control == nullptr) continue;
    control->SetParent(form);
    control->SetBounds(cell % kColumns * kCellW, cell / kColumns * kCellH, kCellW - 4, kCellH - 4);
    ++cell;
  }
}

/// Timers that run and a popup that is open when main returns, and proof that they do.
bool StartTimersAndPopup(TForm* form) {
  int ticks = 0, scrolls = 0;
  auto* timer = new TTimer(form);
  timer->SetInterval(50);
  timer->OnTimer = [&ticks](TObject*) { ++ticks; };
  auto* lab = dynamic_cast<TRasterLab*>(form->FindComponent(u"TRasterLab1"));
  lab->SetCaption(u"exit");
  lab->SetScrollInterval(40);
  lab->SetOnScrollTimer([&scrolls](TObject*) { ++scrolls; });
  lab->SetScrollMode(rdsmLeft);
  dynamic_cast<TNumIO2*>(form->FindComponent(u"TNumIO21"))->SetFocus();  // its caret blinks on a timer
  Application->AdvanceClock(500);
  timer->OnTimer = nullptr;
  lab->SetOnScrollTimer(nullptr);
  auto* colors = dynamic_cast<TColSel*>(form->FindComponent(u"TColSel1"));
  colors->SetDroppedDown(true);
  Application->ProcessMessages();
  if (ticks == 0 || scrolls == 0) return Fail("the timers did not run");
  if (TPopupWindow::OpenPopups().empty()) return Fail("the colour list did not open");
  return true;
}

/// One of every component on a shown main form, timers running and a popup open, then out of main;
/// the exit check above runs after Application released the form.
bool EveryComponentAtExit() {
  std::atexit(CheckReleasedAtExit);  // before Application exists, so it runs after it is gone
  Application->UseVirtualClock(45292.5);
  auto* form = Application->CreateForm<THostForm>();
  form->SetBounds(7, 0, 1200, 1000);
  DeleteFile(SettingsFile());  // none left from an earlier run
  PlaceAll(form, EveryComponentClass());
  form->Show();
  Application->ProcessMessages();
  return StartTimersAndPopup(form) && (LiveWindows() > 0 || Fail("no window was open before the exit"));
}

// [SECTION] the scenarios

struct TScenario {
  const char* Name;
  std::function<bool()> Run;
};

const std::vector<TScenario>& Scenarios() {
  static const std::vector<TScenario> all = {
      {"xml-matrix", XmlFileRoundTrip<TMatrix>},
      {"xml-intmatrix", XmlFileRoundTrip<TIntMatrix>},
      {"xml-mat3d", XmlFileRoundTrip<TMat3D>},
      {"xml-mat4d", XmlFileRoundTrip<TMat4D>},
      {"xml-kohonen", XmlFileRoundTrip<TKohonen>},
      {"xml-stream-matrix", XmlStreamRoundTrip<TMatrix>},
      {"xml-stream-kohonen", XmlStreamRoundTrip<TKohonen>},
      {"exit-popup-menu", PopupMenuAtExit},
      {"exit-table-editor", TableEditorAtExit},
      {"exit-static-control", StaticControlAtExit},
      {"exit-every-component", EveryComponentAtExit},
  };
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const TScenario& s : Scenarios()) std::puts(s.Name);
    return 0;
  }
  for (const TScenario& s : Scenarios()) {
    if (argc != 2 || std::strcmp(argv[1], s.Name) != 0) continue;
    TScratch scratch;
    if (!scratch.Ready()) return Fail("no scratch folder"), 1;
    try {
      return s.Run() ? 0 : 1;
    } catch (const std::exception& e) {
      return Fail(std::string(s.Name) + ": " + e.what()), 1;
    }
  }
  std::fprintf(stderr, "usage: %s --list | <scenario>\n", argv[0]);
  return 2;
}
