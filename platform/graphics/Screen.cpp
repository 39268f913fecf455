// The screen: pixel density, fonts and the cursor table.

#include "Screen.h"

#include <algorithm>

#include "Encoding.h"
#include "FontEngine.h"

namespace qelta {
namespace {

HCURSOR Named(const char* name) {
  auto c = std::make_shared<TCursorImage>();
  c->Name = Utf8ToString(name);
  return c;
}

}  // namespace

TScreen::TScreen() : TComponent(nullptr), FFallback(Named("crDefault")) {
  static const std::pair<TCursor, const char*> standard[] = {
      {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},       {crCross, "crCross"},
      {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},     {crSizeNWSE, "crSizeNWSE"},
      {crSizeWE, "crSizeWE"},     {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"},     {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},     {crMultiDrag, "crMultiDrag"},
      {crSQLWait, "crSQLWait"},   {crNo, "crNo"},             {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
      {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
  };
  for (const auto& [n, name] : standard) FCursors[n] = n == crDefault ? FFallback : Named(name);
}

const std::vector<String>& TScreen::Fonts() const {
  if (!FFontsRead) {
    FFonts = platform_detail::InstalledFontFamilies();
    FFontsRead = true;
  }
  return FFonts;
}

HCURSOR TScreen::Cursors(TCursor n) const {
  auto it = FCursors.find(n);
  if (it != FCursors.end()) return it->second;
  it = FCursors.find(crDefault);
  return it != FCursors.end() ? it->second : FFallback;
}

void TScreen::SetCursors(TCursor n, HCURSOR cursor) {
  if (cursor) FCursors[n] = std::move(cursor);
  else FCursors.erase(n);
}

void TScreen::SetSize(int width, int height) {
  FWidth = std::max(width, 1);
  FHeight = std::max(height, 1);
}

// Never destroyed, so components released at exit (Application's forms go last) still find it.
TScreen* Screen() {
  static auto* screen = new TScreen();
  return screen;
}

}  // namespace qelta
