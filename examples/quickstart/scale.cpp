// Quick start 2: an axis scale drawn into a bitmap and saved as a PNG file.
#include <cstdio>

#include <qelta/Graphics.h>
#include <qelta/Qelta_Scale.h>

using namespace qelta;

int main() {
  TBitmap picture(420, 90);             // white
  TScale scale(nullptr);
  scale.SetIsHelper(true);              // draws into a host's picture, never gets a window
  scale.SetBounds(0, 0, 420, 90);
  scale.UseForeignCanvas(picture.Canvas(), 0, 0);
  scale.SetRange(0, 2.5);               // ticks from the 1-2-5 rule, labels with automatic decimals
  scale.SetCaption(u"time / s");
  scale.SetCaptionAnchor(uaSclCenter);
  scale.ForcePaint();
  picture.SaveToFile(u"scale.png");
  std::printf("scale.png: %d x %d, %d ticks recorded\n", picture.Width(), picture.Height(), scale.NumTicks());
  return 0;
}
