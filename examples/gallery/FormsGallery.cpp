// Gallery entry of the platform's forms: a form with a label, a gauge and a lamp, shown headless and
// saved as the scripted user sees it. Doubles as the smallest example of controls on a form.

#include "Gallery.h"

#include "Encoding.h"
#include "Forms.h"
#include "Testing.h"

namespace qelta::gallery {

void FormsGallery(GalleryPage& page) {
  page.Section("Platform: a form with controls, painted through the message loop");
  struct TextLabel : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    void Paint() override {
      Canvas()->Brush()->SetStyle(bsClear);
      Canvas()->TextOut(0, 0, Caption());
    }
  };
  struct Gauge : TCustomControl {
    using TCustomControl::TCustomControl;
    void Paint() override {
      Canvas()->Brush()->SetColor(clWhite);
      Canvas()->Pen()->SetColor(clGray);
      Canvas()->Rectangle(ClientRect());
      Canvas()->Brush()->SetColor(clNavy);
      Canvas()->FillRect(Rect(2, 2, 2 + (Width() - 4) * 65 / 100, Height() - 2));
    }
  };
  struct Lamp : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    void Paint() override {
      Canvas()->Brush()->SetColor(clLime);
      Canvas()->Ellipse(ClientRect());
    }
  };
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 240, 80);
  auto place = [&form](TControl* c, TRect r) {
    c->SetBoundsRect(r);
    c->SetParent(&form);
  };
  auto* label = new TextLabel(&form);
  label->SetCaption(u"Pressure 65 %");
  place(label, Rect(12, 10, 200, 26));
  place(new Gauge(&form), Rect(12, 34, 190, 54));
  place(new Lamp(&form), Rect(202, 32, 226, 56));
  user.Show(&form);
  const auto picture = user.Grab(&form);
  page.Add(*picture, "platform_form.png", "A label, a gauge and a lamp placed on a shown form and painted by the loop");
}

}  // namespace qelta::gallery
