// The gallery's registry: PNG files and a static index page.

#include "Gallery.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "Encoding.h"
#include "Forms.h"
#include "Testing.h"

namespace qelta::gallery {
namespace {

// The topic files as the build compiled them in: file name and text.
struct SourceFile {
  const char* name;
  const char* text;
};
constexpr SourceFile kSources[] = {
#include "GallerySources.inc"
};

std::vector<std::string> LinesOf(const std::string& fileName) {
  const std::string base = std::filesystem::path(fileName).filename().string();
  for (const SourceFile& f : kSources) {
    if (base != f.name) continue;
    std::vector<std::string> lines;
    std::istringstream in(f.text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  return {};
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The first line at or after `i` that ends a statement (its last character is ';').
size_t StatementEnd(const std::vector<std::string>& lines, size_t i) {
  while (i + 1 < lines.size() && (lines[i].empty() || lines[i].back() != ';')) ++i;
  return i;
}

// The line that opens the top-level function holding line `line` (1-based): the nearest line above it that
// starts in the first column; lines.size() when that one opens no block (the call is not in a function).
size_t DefinitionOf(const std::vector<std::string>& lines, unsigned line) {
  for (size_t i = std::min<size_t>(line, lines.size()); i-- > 0;) {
    const std::string& s = lines[i];
    if (s.empty() || s[0] == ' ' || StartsWith(s, "//")) continue;
    return s.back() == '{' ? i : lines.size();
  }
  return lines.size();
}

// Text for HTML element content and attribute values.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em;background:#fafafa;color:#222}"
    "h2{border-bottom:1px solid #ccc;padding-bottom:.2em;margin-top:2em}"
    ".entry{display:flex;flex-wrap:wrap;gap:1.5em;align-items:flex-start;margin:0 0 2.5em 0}"
    "figure{margin:0;max-width:100%}"
    "img{border:1px solid #ddd;background:#fff;max-width:100%}"
    "figcaption{max-width:60em;margin-top:.4em;font-size:.95em}"
    "pre{margin:0;padding:.8em;background:#f0f0f0;border:1px solid #ddd;font-size:.8em;max-width:100%;"
    "overflow:auto;flex:1 1 32em}";

}  // namespace

GalleryPage::GalleryPage(std::filesystem::path folder) : folder_(std::move(folder)) {
  std::filesystem::create_directories(folder_);
}

void GalleryPage::Section(std::string title) { sections_.push_back({std::move(title), {}}); }

void GalleryPage::Add(const TBitmap& picture, const std::string& file, const std::string& caption, CallSite where) {
  if (live_) return;
  if (sections_.empty()) Section("Pictures");
  picture.SaveToFile(Utf8ToString((folder_ / file).string()));
  sections_.back().pictures.push_back({file, caption, where});
}

std::string CodeOf(const CallSite& where, unsigned after) {
  const std::vector<std::string> lines = LinesOf(where.file_name());
  const size_t head = DefinitionOf(lines, where.line());
  if (head == lines.size()) return std::string();
  size_t end = head;  // the closing brace of the function
  while (end < lines.size() && lines[end] != "}") ++end;
  size_t from = head;
  while (from > 0 && StartsWith(lines[from - 1], "//")) --from;
  if (after > 0) from = StatementEnd(lines, after - 1) + 1;
  size_t to = std::min(StatementEnd(lines, where.line() - 1), end);
  const bool lastInFunction = [&] {
    for (size_t i = to + 1; i < end; ++i)
      if (lines[i].find("page.Add(") != std::string::npos) return false;
    return true;
  }();
  if (lastInFunction) to = end;
  std::string code = after > 0 ? "  ...\n" : "";
  for (size_t i = from; i <= to && i < lines.size(); ++i) code += lines[i] + "\n";
  if (!lastInFunction) code += "  ...\n";
  return code;
}

void GalleryPage::SetLive(bool live, std::string only) {
  live_ = live;
  only_ = std::move(only);
}

int GalleryPage::PictureCount() const {
  int n = 0;
  for (const PageSection& s : sections_) n += static_cast<int>(s.pictures.size());
  return n;
}

std::filesystem::path GalleryPage::WriteIndex(const std::string& title) const {
  const std::filesystem::path index = folder_ / "index.html";
  std::ofstream html(index, std::ios::binary);
  html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << Escaped(title)
       << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<h1>" << Escaped(title) << "</h1>\n";
  std::map<std::string, unsigned> lastAdd;  // function -> line of its previous Add
  for (const PageSection& s : sections_) {
    html << "<h2>" << Escaped(s.title) << "</h2>\n";
    for (const GalleryPicture& p : s.pictures) {
      const std::string function = std::string(p.where.file_name()) + ":" +
                                   std::to_string(DefinitionOf(LinesOf(p.where.file_name()), p.where.line()));
      const std::string code = CodeOf(p.where, lastAdd[function]);
      lastAdd[function] = p.where.line();
      html << "<div class=\"entry\"><figure><img src=\"" << Escaped(p.file) << "\" alt=\"" << Escaped(p.caption)
           << "\"><figcaption>" << Escaped(p.caption) << "</figcaption></figure>\n";
      if (!code.empty()) html << "<pre><code>" << Escaped(code) << "</code></pre>\n";
      html << "</div>\n";
    }
  }
  html << "</body>\n</html>\n";
  if (!html.flush()) throw EFCreateError("Cannot write " + index.string());
  return index;
}

std::unique_ptr<TBitmap> Enlarged(TBitmap& picture, int zoom) {
  auto big = std::make_unique<TBitmap>(picture.Width() * zoom, picture.Height() * zoom);
  big->Canvas()->SetStretchMode(COLORONCOLOR);  // nearest pixel: every source pixel a sharp block
  big->Canvas()->StretchDraw(Rect(0, 0, big->Width(), big->Height()), &picture);
  return big;
}

void Label(TCanvas* canvas, int x, int y, const String& text, TColor color) {
  TBrush kept;
  kept.Assign(canvas->Brush());
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(color);
  canvas->TextOut(x, y, text);
  canvas->Brush()->Assign(&kept);
}

namespace {

/// The form as a desktop window, until the person closes it (or the program is asked to end).
void ShowLive(TForm& form, const std::string& file, const std::string& caption) {
  if (Application->Terminated()) return;
  form.SetCaption(Utf8ToString(caption));
  form.Show();
  Application->ProcessMessages();
  std::printf("live: %s at %d,%d size %dx%d\n", file.c_str(), form.Left(), form.Top(), form.Width(), form.Height());
  std::fflush(stdout);
  while (form.Visible() && !Application->Terminated()) Application->HandleMessage();
  form.Hide();
}

}  // namespace

void AddShownForm(GalleryPage& page, TForm& form, const std::string& file, const std::string& caption) {
  if (page.Live()) {
    if (page.Shows(file)) ShowLive(form, file, caption);
    return;
  }
  TScriptedUser user;
  user.Show(&form);
  page.Add(*user.Grab(&form), file, caption);
}

}  // namespace qelta::gallery
