#include "models/CropModel.h"

#include <algorithm>

#include "base/Rounding.h"

namespace qv {

namespace {

bool LeftKind(int k) { return k == dkTopLeft || k == dkBottomLeft || k == dkLeft; }
bool RightKind(int k) { return k == dkTopRight || k == dkBottomRight || k == dkRight; }
bool TopKind(int k) { return k == dkTopLeft || k == dkTopRight || k == dkTop; }
bool BottomKind(int k) { return k == dkBottomLeft || k == dkBottomRight || k == dkBottom; }

int32_t Scaled(double value, double numerator, double denominator) {
  return denominator == 0 ? 0 : RoundHalfEven(value * numerator / denominator);
}

}  // namespace

void TCropModel::SetPictureSize(int width, int height) {
  picW_ = std::max(width, 0);
  picH_ = std::max(height, 0);
  if (!HasPicture()) return;
  Rect& r = pictureCrop_;
  const bool fits =
      cropSet_ && r.Left >= 0 && r.Top >= 0 && r.Right <= picW_ && r.Bottom <= picH_ && r.Width() > 0 && r.Height() > 0;
  if (!fits) {
    r = {std::clamp(r.Left, 0, picW_ - 1), std::clamp(r.Top, 0, picH_ - 1), std::clamp(r.Right, 1, picW_),
         std::clamp(r.Bottom, 1, picH_)};
    if (!cropSet_ || r.Width() <= 0 || r.Height() <= 0) r = {0, 0, picW_, picH_};
    cropSet_ = true;
  }
  Layout();
}

void TCropModel::SetPanelSize(int width, int height) {
  panelW_ = std::max(width, 0);
  panelH_ = std::max(height, 0);
  Layout();
}

void TCropModel::Layout() {
  if (!HasPicture()) return;
  if (PictureStretch) {
    control_ = {0, 0, panelW_, panelH_};
  } else if (int64_t(panelH_) * picW_ > int64_t(picH_) * panelW_) {
    // The panel is relatively taller: the picture takes its width.
    const int32_t h = Scaled(panelW_, picH_, picW_);
    const int32_t top = (panelH_ - h) / 2;
    control_ = {0, top, panelW_, top + h};
  } else {
    const int32_t w = Scaled(panelH_, picW_, picH_);
    const int32_t left = (panelW_ - w) / 2;
    control_ = {left, 0, left + w, panelH_};
  }
  frame_ = FrameFor(pictureCrop_);
}

Rect TCropModel::FrameFor(const Rect& r) const {
  const double cw = control_.Width(), ch = control_.Height();
  return {RoundHalfEven(double(r.Left) / picW_ * cw + control_.Left),
          RoundHalfEven(double(r.Top) / picH_ * ch + control_.Top),
          RoundHalfEven(double(r.Right) / picW_ * cw + control_.Left),
          RoundHalfEven(double(r.Bottom) / picH_ * ch + control_.Top)};
}

Rect TCropModel::PictureRectFor(const Rect& f) const {
  Rect r;
  r.Left = Scaled(picW_, f.Left - control_.Left, control_.Width());
  r.Top = Scaled(picH_, f.Top - control_.Top, control_.Height());
  r.Right = r.Left + Scaled(picW_, f.Width(), control_.Width());
  r.Bottom = r.Top + Scaled(picH_, f.Height(), control_.Height());
  return r;
}

void TCropModel::SetCropRect(const Rect& r) {
  pictureCrop_ = r;
  cropSet_ = true;
  if (HasPicture()) frame_ = FrameFor(r);
}

void TCropModel::SetFrame(const Rect& r) {
  frame_ = r;
  if (HasPicture() && control_.Width() > 0 && control_.Height() > 0) {
    pictureCrop_ = PictureRectFor(r);
    cropSet_ = true;
  }
}

int TCropModel::HitTest(Point p) const {
  const int x = p.X - frame_.Left, y = p.Y - frame_.Top;
  const int w = frame_.Width(), h = frame_.Height();
  if (x < 0 || y < 0 || x >= w || y >= h) return dkNone;
  const bool left = x < kEdgeZone, right = !left && x > w - kEdgeZone;
  const bool top = y < kEdgeZone, bottom = !top && y > h - kEdgeZone;
  if (top && left) return dkTopLeft;
  if (top && right) return dkTopRight;
  if (bottom && left) return dkBottomLeft;
  if (bottom && right) return dkBottomRight;
  if (top) return dkTop;
  if (left) return dkLeft;
  if (bottom) return dkBottom;
  if (right) return dkRight;
  return dkMove;
}

void TCropModel::BeginDrag(int kind, Point p) {
  dragKind_ = kind;
  dragStart_ = p;
  dragFrame_ = frame_;
}

Rect TCropModel::DragConfinement() const {
  const Rect& f = dragFrame_;
  const Point s = dragStart_;
  // Where the mouse may go is where the dragged sides may go, shifted by the point the
  // mouse grabbed.
  Rect c{control_.Left, control_.Top, control_.Right - 1, control_.Bottom - 1};
  if (dragKind_ == dkMove) {
    c = {s.X + control_.Left - f.Left, s.Y + control_.Top - f.Top, s.X + control_.Right - f.Right,
         s.Y + control_.Bottom - f.Bottom};
  } else {
    if (LeftKind(dragKind_)) {
      c.Left = s.X + control_.Left - f.Left;
      c.Right = s.X + (f.Right - kMinDragSize) - f.Left;
    }
    if (RightKind(dragKind_)) {
      c.Left = s.X + (f.Left + kMinDragSize) - f.Right;
      c.Right = s.X + control_.Right - f.Right;
    }
    if (TopKind(dragKind_)) {
      c.Top = s.Y + control_.Top - f.Top;
      c.Bottom = s.Y + (f.Bottom - kMinDragSize) - f.Top;
    }
    if (BottomKind(dragKind_)) {
      c.Top = s.Y + (f.Top + kMinDragSize) - f.Bottom;
      c.Bottom = s.Y + control_.Bottom - f.Bottom;
    }
  }
  // A frame already smaller than the minimum (or larger than the picture) cannot be
  // squeezed further; the mouse then stays where it started.
  if (c.Right < c.Left) c.Left = c.Right = s.X;
  if (c.Bottom < c.Top) c.Top = c.Bottom = s.Y;
  return c;
}

Rect TCropModel::DragTo(Point p) {
  if (!Dragging()) return frame_;
  const Rect c = DragConfinement();
  p.X = std::clamp(p.X, c.Left, c.Right);
  p.Y = std::clamp(p.Y, c.Top, c.Bottom);
  if (dragKind_ == dkMove) {
    const int dx = p.X - dragStart_.X, dy = p.Y - dragStart_.Y;
    frame_ = {dragFrame_.Left + dx, dragFrame_.Top + dy, dragFrame_.Right + dx, dragFrame_.Bottom + dy};
  } else if (ScaleStyle == TScaleStyle::ssFullScale && ScaleW > 0 && ScaleH > 0) {
    frame_ = ResizeFullScale(p);
  } else if (ScaleStyle == TScaleStyle::ssCornerScale && dragKind_ >= dkTopLeft && dragKind_ <= dkBottomRight &&
             dragFrame_.Width() > 0 && dragFrame_.Height() > 0) {
    frame_ = ResizeCornerScale(p);
  } else {
    frame_ = ResizeSides(p);
  }
  return frame_;
}

Rect TCropModel::ResizeSides(Point p) const {
  const int dx = p.X - dragStart_.X, dy = p.Y - dragStart_.Y;
  Rect r = dragFrame_;
  if (LeftKind(dragKind_)) r.Left += dx;
  if (RightKind(dragKind_)) r.Right += dx;
  if (TopKind(dragKind_)) r.Top += dy;
  if (BottomKind(dragKind_)) r.Bottom += dy;
  return r;
}

Rect TCropModel::ResizeCornerScale(Point p) const {
  // The corner keeps the frame's proportions at the start of the drag: the vertical movement
  // decides for the top corners, the horizontal one for the bottom corners; the opposite
  // corner stays put and the frame stays on the picture.
  const Rect& f = dragFrame_;
  const double w0 = f.Width(), h0 = f.Height();
  const int dx = p.X - dragStart_.X, dy = p.Y - dragStart_.Y;
  const bool rightFixed = LeftKind(dragKind_);
  int32_t w, h;
  if (TopKind(dragKind_)) {
    h = f.Bottom - (f.Top + dy);
    w = Scaled(h, w0, h0);
    const int32_t maxW = rightFixed ? f.Right - control_.Left : control_.Right - f.Left;
    if (w > maxW) {
      w = maxW;
      h = Scaled(w, h0, w0);
    }
    const int32_t left = rightFixed ? f.Right - w : f.Left;
    return {left, f.Bottom - h, left + w, f.Bottom};
  }
  w = rightFixed ? f.Right - (f.Left + dx) : (f.Right + dx) - f.Left;
  h = Scaled(w, h0, w0);
  const int32_t maxH = control_.Bottom - f.Top;
  if (h > maxH) {
    h = maxH;
    w = Scaled(h, w0, h0);
  }
  const int32_t left = rightFixed ? f.Right - w : f.Left;
  return {left, f.Top, left + w, f.Top + h};
}

Rect TCropModel::ResizeFullScale(Point p) const {
  // Every drag keeps ScaleW : ScaleH. One position drives one dimension, the other follows
  // from the ratio and is limited to the picture, and a limited one drives back.
  const Rect& f = dragFrame_;
  const int dx = p.X - dragStart_.X, dy = p.Y - dragStart_.Y;
  const bool rightFixed = LeftKind(dragKind_);
  const bool bottomFixed = TopKind(dragKind_);
  const bool vertical =
      dragKind_ == dkTopLeft || dragKind_ == dkTopRight || dragKind_ == dkTop || dragKind_ == dkBottom;
  int32_t w, h;
  if (vertical) {
    h = bottomFixed ? f.Bottom - (f.Top + dy) : (f.Bottom + dy) - f.Top;
    w = Scaled(h, ScaleW, ScaleH);
    const int32_t maxW = rightFixed ? f.Right - control_.Left : control_.Right - f.Left;
    if (w > maxW) {
      w = maxW;
      h = Scaled(w, ScaleH, ScaleW);
    }
  } else {
    w = rightFixed ? f.Right - (f.Left + dx) : (f.Right + dx) - f.Left;
    h = Scaled(w, ScaleH, ScaleW);
    const int32_t maxH = bottomFixed ? f.Bottom - control_.Top : control_.Bottom - f.Top;
    if (h > maxH) {
      h = maxH;
      w = Scaled(h, ScaleW, ScaleH);
    }
  }
  const int32_t left = rightFixed ? f.Right - w : f.Left;
  const int32_t top = bottomFixed ? f.Bottom - h : f.Top;
  return {left, top, left + w, top + h};
}

bool TCropModel::EndDrag() {
  if (!Dragging()) return false;
  dragKind_ = dkNone;
  if (frame_ == dragFrame_) return false;
  pictureCrop_ = PictureRectFor(frame_);
  cropSet_ = true;
  return true;
}

bool TCropModel::AcceptKeyRect(const Rect& r) {
  if (r.Left < 0 || r.Top < 0 || r.Right > picW_ || r.Bottom > picH_) return false;
  if (r == pictureCrop_) return false;
  SetCropRect(r);
  return true;
}

bool TCropModel::Key(TCropKey key, bool ctrl, bool shift) {
  if (!HasPicture() || Dragging()) return false;
  Rect r = pictureCrop_;
  const int32_t w = r.Width(), h = r.Height();
  const bool horizontal = key == TCropKey::Left || key == TCropKey::Right;
  const int sign = (key == TCropKey::Left || key == TCropKey::Up) ? -1 : 1;
  auto shift_by = [&r](int32_t dx, int32_t dy) { r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; };

  if (shift && !ctrl) {
    // Resizing: Left/Up make the frame smaller (not below 2 pixels), Right/Down larger.
    int32_t nw = w, nh = h;
    if (horizontal)
      nw += sign;
    else
      nh += sign;
    if (ScaleStyle == TScaleStyle::ssFullScale && ScaleW > 0 && ScaleH > 0) {
      if (horizontal)
        nh = Scaled(nw, ScaleH, ScaleW);
      else
        nw = Scaled(nh, ScaleW, ScaleH);
    }
    if (nw < kMinKeySize || nh < kMinKeySize) return false;
    r.Right = r.Left + nw;
    r.Bottom = r.Top + nh;
    return AcceptKeyRect(r);
  }
  int32_t step = 1;
  if (ctrl && shift) {
    step = horizontal ? w : h;  // a jump by the frame's own size
  } else if (ctrl) {
    // Ten pixels, or what remains up to the picture's edge.
    int32_t room = 0;
    switch (key) {
      case TCropKey::Left:
        room = r.Left;
        break;
      case TCropKey::Right:
        room = picW_ - r.Right;
        break;
      case TCropKey::Up:
        room = r.Top;
        break;
      case TCropKey::Down:
        room = picH_ - r.Bottom;
        break;
    }
    step = std::min<int32_t>(10, room);
    if (step <= 0) return false;
  }
  if (horizontal)
    shift_by(sign * step, 0);
  else
    shift_by(0, sign * step);
  return AcceptKeyRect(r);
}

TCutOut TCropModel::CutOut(double sy, double sx, bool crops) const {
  TCutOut c;
  if (!HasPicture()) return c;
  if (PictureStretch) {
    c.Scaled = true;
    c.Width = RoundHalfEven(sx * (crops ? frame_.Width() : control_.Width()));
    c.Height = RoundHalfEven(sy * (crops ? frame_.Height() : control_.Height()));
    c.Source = crops ? pictureCrop_ : Rect{0, 0, picW_, picH_};
  } else if (crops) {
    // The framed part at picture resolution: exactly the crop rectangle, so that what is cut
    // out is what a project records as its source rectangle.
    c.Source = pictureCrop_;
    c.Width = pictureCrop_.Width();
    c.Height = pictureCrop_.Height();
  } else {
    c.Width = control_.Width();
    c.Height = control_.Height();
    c.Source = {0, 0, c.Width, c.Height};  // the picture's top-left corner, unscaled
  }
  c.Width = std::max(c.Width, 0);
  c.Height = std::max(c.Height, 0);
  return c;
}

}  // namespace qv
