#include "platform/toolkit/widgets.h"

#include "platform/toolkit/compositor.h"

namespace tv {

TControl::TControl(Compositor& surface, std::string name, Rect bounds)
    : surface_(surface), name_(std::move(name)), bounds_(bounds) {}

TControl::~TControl() { surface_.Remove(this); }

void TControl::SetBounds(Rect r) {
  if (r == bounds_) return;
  Invalidate();
  bounds_ = r;
  Invalidate();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  surface_.Invalidate(bounds_);
}

void TControl::Invalidate() {
  if (visible_) surface_.Invalidate(bounds_);
}

TImage::TImage(Compositor& s, std::string name, Rect bounds, Bitmap picture, bool transparent)
    : TControl(s, std::move(name), bounds), picture_(std::move(picture)), transparent_(transparent) {}

void TImage::SetPicture(Bitmap picture) {
  picture_ = std::move(picture);
  Invalidate();
}

void TImage::Paint(Painter& p) const { p.DrawBitmap(Left(), Top(), picture_, transparent_); }

TLabel::TLabel(Compositor& s, TextRenderer& text, std::string name, Point at, std::string caption,
               FontSpec font, TColor fontColor, TColor color)
    : TControl(s, std::move(name), {at.x, at.y, 0, 0}),
      text_(text),
      caption_(std::move(caption)),
      font_(std::move(font)),
      fontColor_(fontColor),
      color_(color) {
  Layout();
}

void TLabel::Layout() {
  mask_ = text_.Render(font_, caption_);
  SetBounds({Left(), Top(), mask_.width, mask_.height});
}

void TLabel::SetCaption(const std::string& c) {
  if (c == caption_) return;
  caption_ = c;
  Invalidate();
  Layout();
}

void TLabel::SetFontColor(TColor c) {
  if (c == fontColor_) return;
  fontColor_ = c;
  Invalidate();
}

void TLabel::Paint(Painter& p) const {
  p.FillRect(BoundsRect(), ToPixel(color_));
  p.DrawMask(Left(), Top(), mask_, ToPixel(fontColor_));
}

TPanel::TPanel(Compositor& s, TextRenderer& text, std::string name, Rect bounds, std::string caption,
               FontSpec font, TColor fontColor, TColor color)
    : TControl(s, std::move(name), bounds),
      caption_(std::move(caption)),
      fontColor_(fontColor),
      color_(color),
      mask_(text.Render(font, caption_)) {}

void TPanel::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Invalidate();
}

void TPanel::Paint(Painter& p) const {
  const Rect r = BoundsRect();
  p.FillRect(r, ToPixel(color_));
  p.Frame3D(r, ToPixel(clBtnHighlight), ToPixel(clBtnShadow));
  // Centred on the row; the spare room is halved rounding down, so an odd pixel
  // of it lies right of and below the caption
  // (Toolkit.PanelHasARaisedFrameAndACentredCaption).
  p.DrawMask(r.x + (r.w - mask_.width) / 2, r.y + (r.h - mask_.height) / 2, mask_, ToPixel(fontColor_));
}

void TBevel::Paint(Painter& p) const {
  p.Frame3D(BoundsRect(), ToPixel(clBtnShadow), ToPixel(clBtnHighlight));
}

void TProgressBar::SetPosition(int v) {
  if (v == position_) return;
  position_ = v;
  Invalidate();
}

void TProgressBar::Paint(Painter& p) const {
  const Rect r = BoundsRect();
  p.FillRect(r, ToPixel(clBtnFace));
  p.Frame3D(r, ToPixel(clBtnShadow), ToPixel(clBtnHighlight));
  const int inner = r.w - 2;
  const int pos = position_ < 0 ? 0 : (position_ > 100 ? 100 : position_);
  const int filled = inner * pos / 100;
  p.FillRect({r.x + 1, r.y + 1, filled, r.h - 2}, ToPixel(clHighlight));
}

}  // namespace tv
