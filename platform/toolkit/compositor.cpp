#include "platform/toolkit/compositor.h"

#include <algorithm>
#include <cstdlib>

#include "platform/toolkit/painter.h"
#include "platform/toolkit/widgets.h"

namespace tv {

Compositor::Compositor(int width, int height) : fb_(width, height, 0) { InvalidateAll(); }

void Compositor::Add(TControl* control) {
  controls_.push_back(control);
  Invalidate(control->BoundsRect());
}

void Compositor::Remove(TControl* control) {
  const auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (control->Visible()) Invalidate(control->BoundsRect());
  if (OnRemove) OnRemove(control);
}

// Overlapping rectangles are merged so a region is never composed twice.
void Compositor::AddMerged(std::vector<Rect>& list, Rect r) {
  bool merged = true;
  while (merged) {
    merged = false;
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i].Intersects(r)) {
        r = r.Union(list[i]);
        list.erase(list.begin() + long(i));
        merged = true;
        break;
      }
    }
  }
  list.push_back(r);
}

void Compositor::Invalidate(const Rect& r) {
  Rect c = r.Intersect({0, 0, fb_.width, fb_.height});
  if (!c.Empty()) AddMerged(dirty_, c);
}

void Compositor::MarkDrawn(const Rect& r) {
  Rect c = r.Intersect({0, 0, fb_.width, fb_.height});
  if (!c.Empty()) AddMerged(changed_, c);
}

void Compositor::Compose(const Rect& r) {
  Painter clear(fb_, r);
  clear.FillRect(r, 0);
  for (int pass = 0; pass < 2; ++pass) {
    for (const TControl* c : controls_) {
      if (!c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
      if (c->OnTop() != (pass == 1)) continue;
      Rect clip = r.Intersect(c->BoundsRect());
      if (clip.Empty()) continue;
      Painter p(fb_, clip);
      c->Paint(p);
    }
  }
}

void Compositor::Update() {
  std::vector<Rect> work;
  work.swap(dirty_);
  for (const Rect& r : work) {
    Compose(r);
    AddMerged(changed_, r);
  }
}

Pixel Compositor::ReadPixel(int x, int y) {
  Update();
  if (x < 0 || y < 0 || x >= fb_.width || y >= fb_.height) return 0;
  return fb_.At(x, y);
}

std::vector<Rect> Compositor::TakeChanged() {
  std::vector<Rect> out;
  out.swap(changed_);
  return out;
}

TControl* Compositor::HitTest(int x, int y) const {
  for (int pass = 1; pass >= 0; --pass) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      TControl* c = *it;
      if (c->OnTop() != (pass == 1) || !c->Visible()) continue;
      if (c->BoundsRect().Contains(x, y)) return c;
    }
  }
  return nullptr;
}

void TCanvas::LineTo(int x1, int y1) {
  Bitmap& fb = surface_.DrawTarget();
  Painter p(fb, {0, 0, fb.width, fb.height});
  const Pixel color = ToPixel(pen_);
  int x = at_.x, y = at_.y;
  const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
  const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
  int err = dx + dy;
  Rect touched{std::min(x, x1), std::min(y, y1), dx + 1, -dy + 1};
  while (x != x1 || y != y1) {
    p.SetPixel(x, y, color);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  surface_.MarkDrawn(touched);
  at_ = {x1, y1};
}

void TCanvas::Polyline(const std::vector<Point>& points) {
  if (points.empty()) return;
  MoveTo(points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].x, points[i].y);
}

}  // namespace tv
