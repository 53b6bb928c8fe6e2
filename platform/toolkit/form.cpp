#include "platform/toolkit/form.h"

#include "platform/toolkit/widgets.h"

namespace tv {

TForm::TForm(TApplication& app, int clientWidth, int clientHeight)
    : app_(app),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight),
      surface_(clientWidth, clientHeight),
      canvas_(surface_) {
  // A widget that dies holding the mouse gets nothing more.
  surface_.OnRemove = [this](TControl* gone) {
    if (capture_ == gone) capture_ = nullptr;
    if (clicked_ == gone) clicked_ = nullptr;
  };
}

void TForm::SetCaption(const std::string& c) {
  caption_ = c;
  app_.GetBackend().SetTitle(c);
}

void TForm::HandleInput(const Event& ev) {
  switch (ev.type) {
    case Event::Type::KeyDown:
      if (OnKeyDown) OnKeyDown(ev.key);
      break;
    case Event::Type::KeyUp:
      if (OnKeyUp) OnKeyUp(ev.key);
      break;
    case Event::Type::MouseDown:
      MouseDown(ev);
      break;
    case Event::Type::MouseUp:
      MouseUp(ev);
      break;
    case Event::Type::MouseMove:
      MouseMove(ev);
      break;
    default:
      break;
  }
}

void TForm::MouseDown(const Event& ev) {
  TControl* target = surface_.HitTest(ev.x, ev.y);
  if (!target) return;
  if (ev.button == MouseButton::Left) {
    capture_ = target;
    clicked_ = target;
  }
  if (target->OnMouseDown) target->OnMouseDown(ev.button, ev.x - target->Left(), ev.y - target->Top());
}

// The left button's release goes to the widget that holds the mouse, wherever
// the pointer is; the click, when the pointer is still over it, comes first.
// A widget hidden since it took the mouse gets nothing more.
void TForm::MouseUp(const Event& ev) {
  TControl* target = surface_.HitTest(ev.x, ev.y);
  if (ev.button == MouseButton::Left) {
    if (capture_) target = capture_->Visible() ? capture_ : nullptr;
    TControl* clicked = clicked_;
    capture_ = clicked_ = nullptr;
    if (target && clicked == target && target->Visible() && target->BoundsRect().Contains(ev.x, ev.y) &&
        target->OnClick)
      target->OnClick();
  }
  if (target && target->OnMouseUp) target->OnMouseUp(ev.button, ev.x - target->Left(), ev.y - target->Top());
}

void TForm::MouseMove(const Event& ev) {
  TControl* target = capture_ ? capture_ : surface_.HitTest(ev.x, ev.y);
  if (target && !target->Visible()) return;
  if (target && target->OnMouseMove) target->OnMouseMove(ev.x - target->Left(), ev.y - target->Top());
}

}  // namespace tv
