// Cursor resources: the registry behind RegisterCursorResource / LoadCursorFromResource and the
// cursor pictures the libraries embed, drawn here as 16 x 16 pixel art.
//
// Pixel art: one string per row, top first; '#' is black, 'o' white, anything else transparent.
// The hot spot is the pixel that points. "CURHAND", "CURZOOMW", "CURZOOMD" and "CURZOOMP" are the
// chart's pan hand, zoom window, zoom drag and ordered zoom window; "CURGEOHAND" and "CURGEOZOOM" the
// map's grabbing hand and zoom. They are registered the first time any resource is looked up.

#include <algorithm>
#include <map>
#include <string>

#include "Encoding.h"
#include "Screen.h"

namespace qelta {

namespace {

// clang-format off
constexpr const char* kHand[] = {
    "......##........",
    "...##.#o###.....",
    "..#oo##oo#o#....",
    "..#oo##oo#oo#...",
    "...#oo#oo#oo#.#.",
    "...#oo#oo#oo##o#",
    ".##.#ooooooo#oo#",
    "#oo##oooooooooo#",
    "#ooo#ooooooooo#.",
    ".#ooooooooooooo#",
    "..#ooooooooooo#.",
    "..#oooooooooo#..",
    "...#ooooooooo#..",
    "....#oooooooo#..",
    ".....#ooooooo#..",
    ".....#ooooooo#..",
};

constexpr const char* kGrabHand[] = {
    "................",
    "................",
    "................",
    "....##.##.##....",
    "...#oo#oo#oo##..",
    "...#oooooooo#o#.",
    "..##ooooooooooo#",
    ".#o#ooooooooooo#",
    ".#ooooooooooooo#",
    "..#oooooooooooo#",
    "..#ooooooooooo#.",
    "...#oooooooooo#.",
    "....#ooooooooo#.",
    ".....#oooooooo#.",
    ".....#oooooooo#.",
    "................",
};

// A magnifying glass; the variants below mark its lens.
constexpr const char* kZoomWindow[] = {
    "....####........",
    "..##oooo##......",
    ".#oooooooo#.....",
    ".#o######o#.....",
    "#oo#oooo#oo#....",
    "#oo#oooo#oo#....",
    "#oo#oooo#oo#....",
    "#oo######oo#....",
    ".#oooooooo#.....",
    ".#oooooooo#.....",
    "..##oooo####....",
    "....####.###....",
    "..........###...",
    "...........###..",
    "............###.",
    ".............##.",
};

constexpr const char* kZoomDrag[] = {
    "....####........",
    "..##oo#o##......",
    ".#ooo###oo#.....",
    ".#oo#####o#.....",
    "#ooooo#oooo#....",
    "#ooooo#oooo#....",
    "#ooooo#oooo#....",
    "#oo#####ooo#....",
    ".#oo###ooo#.....",
    ".#ooo#oooo#.....",
    "..##oooo####....",
    "....####.###....",
    "..........###...",
    "...........###..",
    "............###.",
    ".............##.",
};

constexpr const char* kZoomPlus[] = {
    "....####........",
    "..##oooo##......",
    ".#oooooooo#.....",
    ".#ooo##ooo#.....",
    "#oooo##oooo#....",
    "#o########o#....",
    "#o########o#....",
    "#oooo##oooo#....",
    ".#ooo##ooo#.....",
    ".#oooooooo#.....",
    "..##oooo####....",
    "....####.###....",
    "..........###...",
    "...........###..",
    "............###.",
    ".............##.",
};

constexpr const char* kGeoZoom[] = {
    "....####........",
    "..##oo#o##......",
    ".#oooo#ooo#.....",
    ".#oooo#ooo#.....",
    "#ooooo#oooo#....",
    "#ooooo#oooo#....",
    "###########o#...",
    "#ooooo#oooo#....",
    ".#oooo#ooo#.....",
    ".#oooo#ooo#.....",
    "..##oo#o####....",
    "....####.###....",
    "..........###...",
    "...........###..",
    "............###.",
    ".............##.",
};
// clang-format on

struct Builtin {
  const char* name;
  std::span<const char* const> rows;
  TPoint hotSpot;
};

const Builtin kBuiltins[] = {
    {"CURHAND", kHand, {8, 8}},          {"CURZOOMW", kZoomWindow, {5, 5}}, {"CURZOOMD", kZoomDrag, {5, 5}},
    {"CURZOOMP", kZoomPlus, {5, 5}},     {"CURGEOHAND", kGrabHand, {8, 8}}, {"CURGEOZOOM", kGeoZoom, {6, 6}},
};

/// Resource names compare ignoring the case of A-Z.
String Key(const String& name) {
  String k = name;
  for (Char& c : k)
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
  return k;
}

// Never destroyed, so components released at exit (Application's forms go last) still find it.
std::map<String, HCURSOR>& Registry() {
  static auto* registry = new std::map<String, HCURSOR>();
  return *registry;
}

void Add(const String& name, std::span<const char* const> rows, TPoint hotSpot) {
  auto image = std::make_shared<TCursorImage>();
  image->Name = name;
  image->Height = static_cast<int>(rows.size());
  for (const char* row : rows) image->Width = std::max(image->Width, static_cast<int>(std::char_traits<char>::length(row)));
  image->HotX = std::clamp(hotSpot.X, 0, std::max(image->Width - 1, 0));
  image->HotY = std::clamp(hotSpot.Y, 0, std::max(image->Height - 1, 0));
  image->Pixels.assign(static_cast<std::size_t>(image->Width) * static_cast<std::size_t>(image->Height), 0);
  for (int y = 0; y < image->Height; ++y)
    for (int x = 0; rows[static_cast<std::size_t>(y)][x] != '\0'; ++x) {
      const char c = rows[static_cast<std::size_t>(y)][x];
      uint32_t& px = image->Pixels[static_cast<std::size_t>(y * image->Width + x)];
      if (c == '#') px = 0xFF000000u;
      if (c == 'o') px = 0xFFFFFFFFu;
    }
  Registry()[Key(name)] = std::move(image);
}

void RegisterBuiltins() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const Builtin& b : kBuiltins)
    if (Registry().count(Key(Utf8ToString(b.name))) == 0) Add(Utf8ToString(b.name), b.rows, b.hotSpot);
}

}  // namespace

void RegisterCursorResource(const String& Name, std::span<const char* const> Rows, TPoint HotSpot) {
  RegisterBuiltins();
  Add(Name, Rows, HotSpot);
}

HCURSOR LoadCursorFromResource(const String& Name) {
  RegisterBuiltins();
  auto it = Registry().find(Key(Name));
  return it != Registry().end() ? it->second : nullptr;
}

}  // namespace qelta
