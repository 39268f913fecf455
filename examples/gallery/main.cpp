// The gallery: renders what the library draws into PNG files with an index page. Until the
// graphics land it reports the library's version and the state of each subsystem.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Qelta_qeltamap.h"
#include "Qelta_qeltamol.h"
#include "Qelta_qeltanum.h"
#include "Qelta_qeltaplot.h"
#include "Qelta_qeltactl.h"
#include "FormsGallery.h"
#include "Version.h"

int main(int argc, char** argv) {
  const std::filesystem::path out = argc > 1 ? argv[1] : "gallery";
  std::filesystem::create_directories(out);
  std::printf("qelta %s\n", qelta::QeltaVersion());
  struct Row { const char* library; const char* state; };
  const Row rows[] = {
      {"qeltaplatform", "core: strings, number text, dates, object model"},
      {"qeltacore", "shared types, constants and tables"},
      {qelta::LibraryName_qeltanum(), "not yet built"},
      {qelta::LibraryName_qeltaplot(), "not yet built"},
      {qelta::LibraryName_qeltactl(), "not yet built"},
      {qelta::LibraryName_qeltamap(), "not yet built"},
      {qelta::LibraryName_qeltamol(), "not yet built"},
  };
  for (const Row& r : rows) std::printf("  %-14s %s\n", r.library, r.state);
  for (const std::string& f : qelta::gallery::RenderForms(out)) std::printf("  wrote %s\n", f.c_str());
  std::printf("gallery folder: %s (pictures arrive with the graphics)\n", out.string().c_str());
  return 0;
}
