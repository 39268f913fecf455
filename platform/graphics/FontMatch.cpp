// Fontconfig side of the font engine: name mapping, the family lists and face files.
//
// Mapping: the classic Windows proportional UI names go to DejaVu Sans, the serif names to DejaVu
// Serif and the fixed-pitch names to DejaVu Sans Mono, so that layouts measure the same whatever
// else a machine has installed; Symbol goes to DejaVu Sans, which holds the Greek letters. Any
// other name is used when it is an installed scalable family (ignoring A-Z case) and falls back
// to DejaVu Sans otherwise. Only scalable families count: the renderer works on outlines.
//
// A mapped name counts as an installed TrueType font when its target family is installed: text in
// that name is drawn from a scalable outline font, so that is what its metrics report.
//
// Fontconfig runs on a private configuration owned by a function-local static and destroyed at
// exit, so leak checkers see nothing left behind.

#include "FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "Encoding.h"
#include "FontEngine.h"

namespace qelta::platform_detail {
namespace {

constexpr char16_t kSans[] = u"DejaVu Sans";
constexpr char16_t kSerif[] = u"DejaVu Serif";
constexpr char16_t kMono[] = u"DejaVu Sans Mono";

struct NameMapping {
  const char16_t* WindowsName;
  const char16_t* Family;
};

// clang-format off
const NameMapping kWindowsNames[] = {
    {u"Arial", kSans}, {u"Helvetica", kSans}, {u"Tahoma", kSans}, {u"Verdana", kSans}, {u"MS Sans Serif", kSans},
    {u"Microsoft Sans Serif", kSans}, {u"Segoe UI", kSans}, {u"Calibri", kSans}, {u"System", kSans},
    {u"Symbol", kSans},
    {u"Times New Roman", kSerif}, {u"Times", kSerif}, {u"Georgia", kSerif}, {u"MS Serif", kSerif},
    {u"Courier New", kMono}, {u"Courier", kMono}, {u"Consolas", kMono}, {u"Lucida Console", kMono},
    {u"Fixedsys", kMono}, {u"Terminal", kMono},
};
// clang-format on

Char FoldAscii(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

// Orders names ignoring A-Z case only.
bool LessFolded(const String& a, const String& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](Char x, Char y) { return FoldAscii(x) < FoldAscii(y); });
}

bool SameName(const String& a, const String& b) { return !LessFolded(a, b) && !LessFolded(b, a); }

// Case-insensitive order, exact order between names that differ only in case.
bool LessForList(const String& a, const String& b) {
  if (LessFolded(a, b)) return true;
  if (LessFolded(b, a)) return false;
  return a < b;
}

const char16_t* MappedFamily(const String& name) {
  for (const NameMapping& m : kWindowsNames)
    if (SameName(name, m.WindowsName)) return m.Family;
  return nullptr;
}

String FcText(const FcChar8* text) { return Utf8ToString(reinterpret_cast<const char*>(text)); }

// Every family name (all names of a font, not only its first) of the fonts matching `pattern`.
std::vector<String> ListFamilies(FcConfig* config, FcPattern* pattern) {
  std::vector<String> families;
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* set = config && objects ? FcFontList(config, pattern, objects) : nullptr;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcChar8* family = nullptr;
    for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &family) == FcResultMatch; ++k)
      families.push_back(FcText(family));
  }
  if (set) FcFontSetDestroy(set);
  if (objects) FcObjectSetDestroy(objects);
  std::sort(families.begin(), families.end(), LessForList);
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

FaceChoice ChoiceFromFont(FcPattern* font, bool bold, bool italic) {
  FaceChoice choice;
  FcChar8* file = nullptr;
  FcBool scalable = FcFalse;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
      FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable)
    return choice;
  int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(font, FC_INDEX, 0, &choice.Index);
  FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(font, FC_SLANT, 0, &slant);
  choice.File = reinterpret_cast<const char*>(file);
  choice.SyntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
  choice.SyntheticItalic = italic && slant == FC_SLANT_ROMAN;
  return choice;
}

FaceChoice QueryFace(FcConfig* config, const String& family, bool bold, bool italic) {
  FaceChoice choice;
  FcPattern* pattern = config ? FcPatternCreate() : nullptr;
  if (!pattern) return choice;
  const std::string utf8 = StringToUtf8(family);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  // The best of the sorted list is the font as installed; FcFontMatch would report the style
  // that Fontconfig's own synthesis rules promise, hiding a missing bold or italic file.
  FcResult result = FcResultNoMatch;
  if (FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result)) {
    if (sorted->nfont > 0) choice = ChoiceFromFont(sorted->fonts[0], bold, italic);
    FcFontSetDestroy(sorted);
  }
  FcPatternDestroy(pattern);
  return choice;
}

// Fontconfig's answer for a generic family such as "sans-serif": the first family name of the match.
String GenericFamily(FcConfig* config, const char* generic) {
  String family;
  FcPattern* pattern = config ? FcNameParse(reinterpret_cast<const FcChar8*>(generic)) : nullptr;
  if (!pattern) return family;
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) family = FcText(name);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
}

// The process's Fontconfig configuration with the lists and matches taken from it.
class FontConfigState {
 public:
  FontConfigState() : config_(FcInitLoadConfigAndFonts()) {}
  ~FontConfigState() { Close(); }
  FontConfigState(const FontConfigState&) = delete;
  FontConfigState& operator=(const FontConfigState&) = delete;

  const std::vector<String>& AllFamilies() {
    if (!allListed_) all_ = ListFamilies(config_, Pattern(false).get()), allListed_ = true;
    return all_;
  }

  const std::vector<String>& ScalableFamilies() {
    if (!scalableListed_) scalable_ = ListFamilies(config_, Pattern(true).get()), scalableListed_ = true;
    return scalable_;
  }

  /// The installed spelling of a scalable family, or nullptr.
  const String* FindScalable(const String& name) {
    const std::vector<String>& families = ScalableFamilies();
    auto it = std::lower_bound(families.begin(), families.end(), name, LessFolded);
    return it != families.end() && SameName(*it, name) ? &*it : nullptr;
  }

  const String& Fallback() {
    if (fallback_.empty()) fallback_ = PickFallback();
    return fallback_;
  }

  /// Releases the configuration; what was looked up stays, anything new answers as with no fonts.
  void Close() {
    if (config_) FcConfigDestroy(config_);
    config_ = nullptr;
  }

  const FaceChoice& Face(const String& family, bool bold, bool italic) {
    auto key = std::make_tuple(family, bold, italic);
    auto it = faces_.find(key);
    if (it == faces_.end()) it = faces_.emplace(key, QueryFace(config_, family, bold, italic)).first;
    return it->second;
  }

 private:
  struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
  };
  using PatternPtr = std::unique_ptr<FcPattern, PatternFree>;

  // A pattern for FcFontList: every font, or scalable ones only. The list call does not keep it, and
  // neither does this state (which is never destroyed): a pattern holds its elements by offset, a
  // reference the leak checker cannot follow.
  static PatternPtr Pattern(bool scalableOnly) {
    PatternPtr pattern(FcPatternCreate());
    if (pattern && scalableOnly) FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    return pattern;
  }

  String PickFallback() {
    if (const String* sans = FindScalable(kSans)) return *sans;
    String generic = GenericFamily(config_, "sans-serif:scalable=true");
    return generic.empty() ? String(kSans) : generic;
  }

  FcConfig* config_ = nullptr;
  bool allListed_ = false, scalableListed_ = false;
  std::vector<String> all_, scalable_;
  String fallback_;
  std::map<std::tuple<String, bool, bool>, FaceChoice> faces_;
};

// Never destroyed, so components released at exit (Application's forms go last) still find it. Only
// Fontconfig's configuration goes with the other statics: it holds references the leak checker cannot
// follow; a face looked up before keeps its answer.
FontConfigState& State() {
  static auto* state = new FontConfigState();
  static const struct Closer {
    ~Closer() { state->Close(); }
  } closer;
  return *state;
}

}  // namespace

FaceChoice MatchFace(const String& family, bool bold, bool italic) { return State().Face(family, bold, italic); }

std::vector<String> InstalledFontFamilies() { return State().AllFamilies(); }

String ResolveFontFamily(const String& name) {
  FontConfigState& state = State();
  const char16_t* mapped = MappedFamily(name);
  if (const String* installed = state.FindScalable(mapped ? String(mapped) : name)) return *installed;
  return state.Fallback();
}

bool IsInstalledTrueTypeFont(const String& name) {
  const char16_t* mapped = MappedFamily(name);
  return State().FindScalable(mapped ? String(mapped) : name) != nullptr;
}

}  // namespace qelta::platform_detail
