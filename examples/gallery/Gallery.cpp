// The gallery's registry: PNG files and a static index page.

#include "Gallery.h"

#include <cstdio>
#include <fstream>
#include <map>

#include "Encoding.h"
#include "Forms.h"
#include "Testing.h"

namespace qelta::gallery {
namespace {

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
    // min-width:0 lets the flex item be narrower than its longest line, which then wraps inside the panel.
    "pre{margin:0;padding:.8em;background:#f0f0f0;border:1px solid #ddd;font-size:.8em;max-width:100%;"
    "min-width:0;box-sizing:border-box;white-space:pre-wrap;overflow-wrap:anywhere;overflow:auto;flex:1 1 32em}"
    ".earlier{color:#999}";

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
      // A helper that adds one picture per call, or a loop, reaches the same Add again: its whole code.
      unsigned& last = lastAdd[FunctionOf(p.where)];
      const ShownCode code = CodeOf(p.where, last < p.where.line() ? last : 0);
      last = p.where.line();
      html << "<div class=\"entry\"><figure><img src=\"" << Escaped(p.file) << "\" alt=\"" << Escaped(p.caption)
           << "\"><figcaption>" << Escaped(p.caption) << "</figcaption></figure>\n";
      if (!code.own.empty()) {
        html << "<pre><code>" << Escaped(code.uses);
        if (!code.earlier.empty()) html << "<span class=\"earlier\">" << Escaped(code.earlier) << "</span>";
        html << Escaped(code.own) << "</code></pre>\n";
      }
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

void AddShownForm(GalleryPage& page, TForm& form, const std::string& file, const std::string& caption,
                  CallSite where) {
  if (page.Live()) {
    if (page.Shows(file)) ShowLive(form, file, caption);
    return;
  }
  TScriptedUser user;
  user.Show(&form);
  page.Add(*user.Grab(&form), file, caption, where);
}

}  // namespace qelta::gallery
