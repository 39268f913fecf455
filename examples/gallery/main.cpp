// The gallery: renders what the library draws into PNG files with an index page beside them.
// Usage: gallery [<folder>]. Prints the library's version and the state of each subsystem, then runs
// every topic (one file each, <Topic>Gallery.cpp) and writes <folder>/index.html (folder "gallery").
// gallery --live [--page <file.png>]: the form pages as desktop windows, one after the other (close a
// window for the next); without a display it says so and ends with 0. gallery --help prints the usage;
// any other option is refused with one line and exit code 2, before anything is written.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "Forms.h"

#include "Gallery.h"
#include "Qelta_qeltactl.h"
#include "Qelta_qeltamap.h"
#include "Qelta_qeltamol.h"
#include "Qelta_qeltanum.h"
#include "Qelta_qeltaplot.h"
#include "Version.h"

// The topics in page order, one line each: TOPIC(Name) runs Name(GalleryPage&) of Name.cpp.
#define QELTA_GALLERY_TOPICS(TOPIC) \
  TOPIC(CanvasGallery)              \
  TOPIC(FoundationGallery)          \
  TOPIC(ColorsGallery)              \
  TOPIC(FormsGallery)               \
  TOPIC(ScaleGallery)               \
  TOPIC(View3DGallery)              \
  TOPIC(TimeScaleGallery)           \
  TOPIC(ColorScaleGallery)          \
  TOPIC(GaugeGallery)               \
  TOPIC(RChartGallery)              \
  TOPIC(RChartMouseGallery)         \
  TOPIC(SmithChartGallery)          \
  TOPIC(WidgetsGallery)             \
  TOPIC(ContourPlotGallery)         \
  TOPIC(BoxPlotGallery)             \
  TOPIC(TableEditorGallery)         \
  TOPIC(CalendarGallery)            \
  TOPIC(SmallControlsGallery)       \
  TOPIC(MeterGallery)               \
  TOPIC(GeoMapGallery)              \
  TOPIC(ChemistryGallery)           \
  TOPIC(NumericDisplaysGallery)     \
  TOPIC(ReportListGallery)          \
  TOPIC(TimerControlsGallery)       \
  /* new topics above this line */

namespace qelta::gallery {
#define QELTA_GALLERY_DECLARE(Name) void Name(GalleryPage& page);
QELTA_GALLERY_TOPICS(QELTA_GALLERY_DECLARE)
#undef QELTA_GALLERY_DECLARE
}  // namespace qelta::gallery

namespace {

void PrintStates() {
  std::printf("qelta %s\n", qelta::QeltaVersion());
  struct Row {
    const char* library;
    const char* state;
  };
  const Row rows[] = {
      {"qeltaplatform", "strings, number text, dates, object model, streams, canvas, bitmaps, printer, controls, message loop, desktop windows"},
      {"qeltacore", "shared types, tables, scanners, strings, streams, checksums, containers, colours, labels, frames and marks"},
      {qelta::LibraryName_qeltanum(), "scalar functions, tick rule, number text, random numbers, complex numbers, vectors, matrices"},
      {qelta::LibraryName_qeltaplot(), "axis scale with time and date ticks, chart with labels, cross-hairs, shared data, mouse and item files, Smith chart, contour plot, box plot, colour scale, gauge, surface plot, rotatable 3-D display"},
      {qelta::LibraryName_qeltactl(), "table editor (core, drawing, in-place editing, menus, marks, clipboard), month calendar, on/off button, mark selector, colour selector, gradient fill, meter, report list (data, view, row editor), numeric input and displays (numeric label, seven-segment display, rotated label), dot-matrix label, auto-repeat button, progress bar, thumbnail grid"},
      {qelta::LibraryName_qeltamap(), "geodesy: ellipsoids, datums, Helmert shift, TM, UTM, UPS; geographic database; map control: image, view, calibration models and files, landmarks and symbols, graticule, UTM grid, mouse; map atlas"},
      {qelta::LibraryName_qeltamol(), "element table, CAS numbers, connection table, structure files, rings, formulas and mass search, hydrogens and geometry, fragment codes, substructure search, formula control, structure display"},
  };
  for (const Row& r : rows) std::printf("  %-14s %s\n", r.library, r.state);
}

constexpr const char* kUsage =
    "usage: gallery [FOLDER]                  the pictures and index.html into FOLDER (default: gallery)\n"
    "       gallery --live [--page FILE.png]  the form pages as desktop windows (one page: --page)\n"
    "       gallery --help                    this text\n";

struct Options {
  std::string folder = "gallery";
  bool live = false;
  bool help = false;
  std::string page;   // live: the one page to show
  std::string error;  // why the arguments were refused; empty when they were not
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc && o.error.empty(); ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--live") o.live = true;
    else if (arg == "--page" && i + 1 < argc) o.page = argv[++i];
    else if (arg == "--page") o.error = "--page needs a picture's file name";
    else if (arg.size() > 1 && arg[0] == '-') o.error = "unknown option " + arg;  // never a folder named "--x"
    else o.folder = arg;
  }
  return o;
}

/// The form pages as desktop windows; false (after saying why) when there is no display.
bool StartLive() {
  try {
    qelta::Application->UseWindowBackend();
    return true;
  } catch (const qelta::EOSError& e) {
    std::printf("gallery --live: %s; the PNG gallery (without --live) needs no display\n", e.what());
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "gallery: %s (gallery --help shows the usage)\n", options.error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.live) {
    if (!StartLive()) return 0;
    qelta::gallery::GalleryPage page(std::filesystem::temp_directory_path());
    page.SetLive(true, options.page);
#define QELTA_GALLERY_RUN(Name) qelta::gallery::Name(page);
    QELTA_GALLERY_TOPICS(QELTA_GALLERY_RUN)
#undef QELTA_GALLERY_RUN
    return 0;
  }
  PrintStates();
  try {
    qelta::gallery::GalleryPage page(options.folder);
#define QELTA_GALLERY_RUN(Name) qelta::gallery::Name(page);
    QELTA_GALLERY_TOPICS(QELTA_GALLERY_RUN)
#undef QELTA_GALLERY_RUN
    const std::filesystem::path index = page.WriteIndex(std::string("Qelta ") + qelta::QeltaVersion() + " gallery");
    std::printf("gallery: %d pictures in %s\n", page.PictureCount(), page.Folder().string().c_str());
    std::printf("index:   %s\n", index.string().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gallery failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
