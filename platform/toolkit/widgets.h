#pragma once
#include <functional>
#include <string>

#include "platform/base/bitmap.h"
#include "platform/toolkit/painter.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

namespace tv {

class Compositor;

// A visible widget of the window. Setters return early when nothing changes;
// otherwise they store the value and invalidate the old and new rectangles.
class TControl {
 public:
  TControl(Compositor& surface, std::string name, Rect bounds);
  // Leaves the compositor, which outlives it.
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::string& Name() const { return name_; }
  int Left() const { return bounds_.x; }
  int Top() const { return bounds_.y; }
  int Width() const { return bounds_.w; }
  int Height() const { return bounds_.h; }
  Rect BoundsRect() const { return bounds_; }
  bool Visible() const { return visible_; }

  void SetLeft(int v) { SetBounds({v, bounds_.y, bounds_.w, bounds_.h}); }
  void SetTop(int v) { SetBounds({bounds_.x, v, bounds_.w, bounds_.h}); }
  void SetWidth(int v) { SetBounds({bounds_.x, bounds_.y, v, bounds_.h}); }
  void SetHeight(int v) { SetBounds({bounds_.x, bounds_.y, bounds_.w, v}); }
  void SetBounds(Rect r);
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  // Drawn above every plain widget: the menu rows and the power bar are never
  // covered by a picture or a label, whatever the layout's order
  // (Toolkit.LaterWidgetsDrawOverEarlierOnesAndOnTopWidgetsOverAll).
  virtual bool OnTop() const { return false; }
  // Paints the widget; the painter clips to the widget and the region being recomposed.
  virtual void Paint(Painter& p) const = 0;

  std::function<void(MouseButton, int, int)> OnMouseDown;
  std::function<void(MouseButton, int, int)> OnMouseUp;
  std::function<void(int, int)> OnMouseMove;
  std::function<void()> OnClick;

 protected:
  void Invalidate();

 private:
  Compositor& surface_;
  std::string name_;
  Rect bounds_;
  bool visible_ = true;
};

// A picture at its natural size from the widget's top-left corner.
class TImage : public TControl {
 public:
  TImage(Compositor& s, std::string name, Rect bounds, Bitmap picture, bool transparent);
  const Bitmap& Picture() const { return picture_; }
  void SetPicture(Bitmap picture);
  bool Transparent() const { return transparent_; }
  void Paint(Painter& p) const override;

 private:
  Bitmap picture_;
  bool transparent_;
};

// One opaque line of text, sized to its caption.
class TLabel : public TControl {
 public:
  TLabel(Compositor& s, TextRenderer& text, std::string name, Point at, std::string caption,
         FontSpec font, TColor fontColor, TColor color);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor c);
  void Paint(Painter& p) const override;

 private:
  void Layout();
  TextRenderer& text_;
  std::string caption_;
  FontSpec font_;
  TColor fontColor_, color_;
  TextMask mask_;
};

// A filled rectangle with a raised frame and a centred caption.
class TPanel : public TControl {
 public:
  TPanel(Compositor& s, TextRenderer& text, std::string name, Rect bounds, std::string caption,
         FontSpec font, TColor fontColor, TColor color);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  const std::string& Caption() const { return caption_; }
  bool OnTop() const override { return true; }
  void Paint(Painter& p) const override;

 private:
  std::string caption_;
  TColor fontColor_, color_;
  TextMask mask_;
};

// A lowered box outline.
class TBevel : public TControl {
 public:
  using TControl::TControl;
  void Paint(Painter& p) const override;
};

// A smooth horizontal bar, range 0 to 100.
class TProgressBar : public TControl {
 public:
  using TControl::TControl;
  int Position() const { return position_; }
  void SetPosition(int v);
  bool OnTop() const override { return true; }
  void Paint(Painter& p) const override;

 private:
  int position_ = 0;
};

}  // namespace tv
