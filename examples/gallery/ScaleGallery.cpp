// Axis scales drawn as helpers into one picture each: the host owns a bitmap, points each scale at
// its canvas with UseForeignCanvas and calls ForcePaint. Doubles as a usage example of TScale.
#include "ScaleGallery.h"

#include "Encoding.h"
#include "Graphics.h"
#include "Qelta_Scale.h"

namespace qelta::gallery {
namespace {

// A helper scale of the given size drawing into `host` with its top-left at (x, y).
void Place(TScale& s, TBitmap& host, int x, int y, int w, int h) {
  s.SetIsHelper(true);
  s.SetBounds(0, 0, w, h);
  s.UseForeignCanvas(host.Canvas(), x, y);
}

void Save(TBitmap& picture, const std::filesystem::path& file) { picture.SaveToFile(Utf8ToString(file.string())); }

}  // namespace

std::vector<std::pair<std::string, std::string>> RenderScales(const std::filesystem::path& folder) {
  TBitmap horizontal(440, 200);
  TScale pressure(nullptr), frequency(nullptr);
  Place(pressure, horizontal, 10, 10, 420, 85);  // default: sctXB, 0..100, lowered frame
  pressure.SetCaption(u"pressure / kPa");
  pressure.SetCaptionAnchor(uaSclCenter);
  pressure.ForcePaint();
  Place(frequency, horizontal, 10, 105, 420, 85);
  frequency.SetScaleType(sctXT);
  frequency.SetRange(1, 1000);
  frequency.SetLogarithmic(true);
  frequency.SetMinTicks(10);  // few decades: 2 and 5 labelled, the rest short
  frequency.SetCaption(u"frequency / Hz");
  frequency.SetCaptionAnchor(uaSclBotRgt);
  frequency.SetCaptionAlignment(taRightJustify);
  frequency.SetCaptionPosY(32);
  frequency.ForcePaint();
  Save(horizontal, folder / "scale_horizontal.png");

  TBitmap vertical(330, 420);
  TScale level(nullptr), gain(nullptr);
  Place(level, vertical, 10, 10, 150, 400);
  level.SetScaleType(sctYL);
  level.SetRange(-1, 1);
  level.SetMinTicks(4);
  level.SetMarginTop(34);
  level.SetCaption(u"level / V");
  level.SetCaptionPosX(0);
  level.SetCaptionPosY(-28);
  level.SetCaptionAlignment(taLeftJustify);
  level.ForcePaint();
  Place(gain, vertical, 170, 10, 150, 400);
  gain.SetScaleType(sctYR);
  gain.SetRange(0.001, 1000);
  gain.SetLogarithmic(true);
  gain.SetDecPlaces(-3);
  gain.SetScaleInscript(u"10^&");  // labels 10^-3 .. 10^3 at the decades
  gain.SetMarginTop(34);
  gain.SetCaption(u"gain");
  gain.SetCaptionAlignment(taRightJustify);
  gain.SetCaptionPosX(0);
  gain.SetCaptionPosY(-28);
  gain.ForcePaint();
  Save(vertical, folder / "scale_vertical.png");

  TBitmap texts(440, 200);
  TScale days(nullptr), load(nullptr);
  Place(days, texts, 10, 10, 420, 85);
  days.SetRange(1, 7);
  days.SetMinTicks(6);
  days.SetLabelType(ftUserText);
  days.SetUserTickText(u"Mon|Tue|Wed|Thu|Fri|Sat|Sun");
  days.SetShortTicks(false);
  days.SetCaption(u"weekday");
  days.SetCaptionAnchor(uaSclCenter);
  days.ForcePaint();
  Place(load, texts, 10, 105, 420, 85);
  load.SetScaleType(sctXT);
  load.SetMinTicks(5);
  load.SetScaleInscript(u"&%");
  load.SetColorScale(clNavy);
  load.SetColorBackGnd(clWhite);
  load.SetFrameStyle(fsSimple);
  load.SetCaption(u"load");
  load.SetCaptionAnchor(uaSclCenter);
  load.SetCaptionPosY(32);
  load.ForcePaint();
  Save(texts, folder / "scale_texts.png");
  return {{"scale_horizontal.png", "Horizontal scales: linear 0..100 below its line, logarithmic 1 Hz..1 kHz above"},
          {"scale_vertical.png", "Vertical scales: linear -1..1 on the left, logarithmic decades labelled 10^n"},
          {"scale_texts.png", "User tick texts (weekdays) and an inscription with a suffix (%)"}};
}

}  // namespace qelta::gallery
