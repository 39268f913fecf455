// The gallery's registry: PNG files and a static index page.

#include "Gallery.h"

#include <fstream>

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
    "figure{display:inline-block;vertical-align:top;margin:0 2em 2em 0;max-width:100%}"
    "img{border:1px solid #ddd;background:#fff;max-width:100%}"
    "figcaption{max-width:60em;margin-top:.4em;font-size:.95em}";

}  // namespace

GalleryPage::GalleryPage(std::filesystem::path folder) : folder_(std::move(folder)) {
  std::filesystem::create_directories(folder_);
}

void GalleryPage::Section(std::string title) { sections_.push_back({std::move(title), {}}); }

void GalleryPage::Add(const TBitmap& picture, const std::string& file, const std::string& caption) {
  if (sections_.empty()) Section("Pictures");
  picture.SaveToFile(Utf8ToString((folder_ / file).string()));
  sections_.back().pictures.push_back({file, caption});
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
  for (const PageSection& s : sections_) {
    html << "<h2>" << Escaped(s.title) << "</h2>\n";
    for (const GalleryPicture& p : s.pictures)
      html << "<figure><img src=\"" << Escaped(p.file) << "\" alt=\"" << Escaped(p.caption) << "\"><figcaption>"
           << Escaped(p.caption) << "</figcaption></figure>\n";
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

void AddShownForm(GalleryPage& page, TForm& form, const std::string& file, const std::string& caption) {
  TScriptedUser user;
  user.Show(&form);
  page.Add(*user.Grab(&form), file, caption);
}

}  // namespace qelta::gallery
