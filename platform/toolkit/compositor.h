#pragma once
#include <functional>
#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/types.h"

namespace tv {

class TControl;

// Keeps the window's picture in a framebuffer and recomposes only what was
// invalidated: cleared to black, then every visible widget in drawing order,
// each clipped to its own bounds, the on-top widgets last.
class Compositor {
 public:
  Compositor(int width, int height);

  // Widgets are drawn in the order they are added.
  void Add(TControl* control);
  // A widget that goes away (its destructor calls this): it is drawn no more,
  // its place is recomposed, and OnRemove is told.
  void Remove(TControl* control);
  // Told of each widget removed, so nothing keeps a pointer to it.
  std::function<void(TControl*)> OnRemove;
  void Invalidate(const Rect& r);
  void InvalidateAll() { Invalidate({0, 0, fb_.width, fb_.height}); }
  // Recomposes every invalidated rectangle.
  void Update();

  // Reads what the window shows at (x, y), bringing the picture up to date first.
  Pixel ReadPixel(int x, int y);
  const Bitmap& Framebuffer() const { return fb_; }
  // Direct drawing (the window's canvas): the caller reports what it touched.
  Bitmap& DrawTarget() { return fb_; }
  void MarkDrawn(const Rect& r);
  // Rectangles changed since the last call: what the backend must show again.
  std::vector<Rect> TakeChanged();

  // The topmost visible widget under (x, y), or null.
  TControl* HitTest(int x, int y) const;

 private:
  static void AddMerged(std::vector<Rect>& list, Rect r);
  void Compose(const Rect& r);

  Bitmap fb_;
  std::vector<TControl*> controls_;
  std::vector<Rect> dirty_;
  std::vector<Rect> changed_;
};

// Pen drawing straight onto the window's picture; it lasts until those pixels
// are next recomposed.
class TCanvas {
 public:
  explicit TCanvas(Compositor& surface) : surface_(surface) {}
  void SetPenColor(TColor c) { pen_ = c; }
  TColor PenColor() const { return pen_; }
  void MoveTo(int x, int y) { at_ = {x, y}; }
  // A line from the pen position to (x, y), leaving out its last point.
  void LineTo(int x, int y);
  void Polyline(const std::vector<Point>& points);
  TColor GetPixel(int x, int y) { return ToTColor(surface_.ReadPixel(x, y)); }

 private:
  Compositor& surface_;
  TColor pen_ = clBlack;
  Point at_;
};

}  // namespace tv
