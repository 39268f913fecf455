#pragma once
// The gallery's registry: a page of pictures grouped by section, written as PNG files with an
// index.html beside them. Each topic file (<Topic>Gallery.cpp) adds its sections and pictures through
// a GalleryPage; each entry there is a short, complete usage example of one component.
// Pictures of single pixels (frames, marks) are drawn at their true size and saved enlarged with
// nearest pixels (Enlarged), so a person can count the pixels.
// The index page shows beside each picture the code that drew it: Add notes where it was called, and
// the page cuts that function (with the comment above it and the helpers it calls) out of the topic
// files, which the build compiles into the gallery (GallerySources.inc).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Graphics.h"

namespace qelta {
class TForm;
}  // namespace qelta

namespace qelta::gallery {

/// Where a call stands: file and line, taken at the caller by the compilers' builtins in default arguments
/// (std::source_location does the same, but clang 14 cannot build it with libstdc++ 12: its header needs a
/// builtin that compiler lacks).
class CallSite {
 public:
  static constexpr CallSite Current(const char* file = __builtin_FILE(), unsigned line = __builtin_LINE()) {
    return CallSite(file, line);
  }
  constexpr const char* file_name() const { return file_; }
  constexpr unsigned line() const { return line_; }

 private:
  constexpr CallSite(const char* file, unsigned line) : file_(file), line_(line) {}
  const char* file_;
  unsigned line_;
};

/// One picture of the page: its PNG file name (inside the gallery folder), its caption and the place
/// of the Add call that listed it.
struct GalleryPicture {
  std::string file, caption;
  CallSite where;
};

/// Collects the pictures of every topic and writes the index page.
class GalleryPage {
 public:
  /// Pictures go to `folder`, which is created when missing.
  explicit GalleryPage(std::filesystem::path folder);

  /// Starts a section: the pictures added next are listed under this heading.
  void Section(std::string title);
  /// Saves the bitmap as a PNG file in the folder and lists it with its caption and the code of the
  /// function that calls Add (`where` is that call).
  void Add(const TBitmap& picture, const std::string& file, const std::string& caption,
           CallSite where = CallSite::Current());
  /// Writes index.html (UTF-8, static) into the folder and answers its path.
  std::filesystem::path WriteIndex(const std::string& title) const;

  const std::filesystem::path& Folder() const { return folder_; }
  int PictureCount() const;

  /// Live: nothing is written; every form page (AddShownForm) opens as a desktop window with its real,
  /// interactive components, one after the other, each until the person closes it. `only` names the
  /// one page to show (its PNG file name); empty shows them all.
  void SetLive(bool live, std::string only = std::string());
  bool Live() const { return live_; }
  /// True when the page of this file is shown (always when not live).
  bool Shows(const std::string& file) const { return !live_ || only_.empty() || only_ == file; }

 private:
  struct PageSection {
    std::string title;
    std::vector<GalleryPicture> pictures;
  };
  std::filesystem::path folder_;
  std::vector<PageSection> sections_;
  bool live_ = false;
  std::string only_;
};

/// The code that drew a picture, cut out of its topic file (GalleryCode.cpp).
struct ShownCode {
  /// The file's own helpers, types and constants that the function uses, each with its comment.
  std::string uses;
  /// The function's lines before the picture's own part (shown dimmed): where one function adds several
  /// pictures, the lines up to the previous Add.
  std::string earlier;
  /// The function of the Add call with the comment above it, or its part after the previous Add, up to
  /// this Add ("  ..." follows when another Add comes after it) or to the function's end.
  std::string own;
};

/// The code of the picture whose Add call stands at `where`; `after` is the line of the previous Add
/// in the same function (0 for none). All empty when the source is not known.
ShownCode CodeOf(const CallSite& where, unsigned after);
/// A key of the top-level function that holds `where` (file and line); empty when none does.
std::string FunctionOf(const CallSite& where);

/// A copy of the bitmap `zoom` times larger, each pixel a zoom x zoom block (nearest pixels).
std::unique_ptr<TBitmap> Enlarged(TBitmap& picture, int zoom);

/// Shows the form (in a session of the scripted user) and adds what it shows to the page, with the code
/// around `where` (the caller's line, as for Add); live, shows it as a desktop window until the person
/// closes it.
void AddShownForm(GalleryPage& page, TForm& form, const std::string& file, const std::string& caption,
                  CallSite where = CallSite::Current());

/// Writes the text with its top-left at (x, y) in the colour over what is there; the brush is kept.
void Label(TCanvas* canvas, int x, int y, const String& text, TColor color = clBlack);

}  // namespace qelta::gallery
