// DrawText: text laid out in a rectangle (lines, alignment, tabs, clipping), as labels, buttons and
// menus write their captions.

#include <algorithm>
#include <vector>

#include "Graphics.h"

namespace qelta {

namespace {

std::vector<String> LinesOf(const String& text, unsigned format) {
  if (format & DT_SINGLELINE) return {text};
  std::vector<String> lines(1);
  for (Char c : text) {
    if (c == u'\n') {
      if (!lines.back().empty() && lines.back().back() == u'\r') lines.back().pop_back();
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// Tabs become blanks up to the next stop, stops 8 average character widths apart.
String ExpandTabs(const TCanvas& canvas, const String& line) {
  if (line.find(u'\t') == String::npos) return line;
  const int stop = std::max(1, 8 * canvas.GetTextMetrics().tmAveCharWidth);
  const int blank = std::max(1, canvas.TextWidth(u" "));
  String out;
  for (Char c : line) {
    if (c != u'\t') {
      out += c;
      continue;
    }
    const int width = canvas.TextWidth(out);
    const int blanks = std::max(1, ((width / stop + 1) * stop - width + blank - 1) / blank);
    out.append(static_cast<std::size_t>(blanks), u' ');
  }
  return out;
}

}  // namespace

int DrawText(TCanvas* canvas, const String& text, TRect& rect, unsigned format) {
  if (canvas == nullptr) return 0;
  std::vector<String> lines = LinesOf(text, format);
  if (format & DT_EXPANDTABS)
    for (String& line : lines) line = ExpandTabs(*canvas, line);
  const int lineHeight = canvas->TextHeight(u"Wg");
  const int height = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int width = 0;
    for (const String& line : lines) width = std::max(width, canvas->TextWidth(line));
    rect.Right = rect.Left + width;
    rect.Bottom = rect.Top + height;
    return height;
  }
  int y = rect.Top;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = rect.Top + (rect.Height() - lineHeight) / 2;
  if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = rect.Bottom - lineHeight;
  for (const String& line : lines) {
    const int width = canvas->TextWidth(line);
    int x = rect.Left;
    if (format & DT_CENTER)
      x = rect.Left + (rect.Width() - width) / 2;
    else if (format & DT_RIGHT)
      x = rect.Right - width;
    if (format & DT_NOCLIP) {
      canvas->TextOut(x, y, line);
    } else {  // each line clipped to its band of the rectangle, so a solid brush fills only behind it
      const TRect band{rect.Left, std::max(y, rect.Top), rect.Right, std::min(y + lineHeight, rect.Bottom)};
      if (band.Top < band.Bottom) canvas->TextRect(band, x, y, line);
    }
    y += lineHeight;
  }
  return height;
}

}  // namespace qelta
