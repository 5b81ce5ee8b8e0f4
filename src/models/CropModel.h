#pragma once
// The geometry of a crop view (TCropImage): where the picture sits in the panel, where the
// crop frame sits over it, which part of the frame a point touches, how a mouse drag and
// the arrow keys move and resize the frame under the three scale styles, and how large the
// cut-outs are. Panel coordinates are pixels of the view; picture coordinates are pixels of
// the full picture (which the view may show reduced). The widget feeds events in and draws
// what comes out; nothing here knows a window.
#include <cstdint>

#include "base/Geometry.h"

namespace qv {

// How resizing the frame treats its proportions.
enum class TScaleStyle { ssNoScale, ssCornerScale, ssFullScale };

// What a press on the frame drags: the whole frame, a corner or a side.
enum TDragKind : int {
  dkNone = -1,
  dkMove = 0,
  dkTopLeft = 1,
  dkTopRight = 2,
  dkBottomLeft = 3,
  dkBottomRight = 4,
  dkTop = 5,
  dkLeft = 6,
  dkBottom = 7,
  dkRight = 8,
};

enum class TCropKey { Left, Right, Up, Down };

// A cut-out: the part of the picture (picture pixels) drawn into a bitmap of Width x Height.
// Scaled: the part is stretched to the bitmap's size; otherwise it is copied unscaled.
struct TCutOut {
  int Width = 0;
  int Height = 0;
  Rect Source;
  bool Scaled = false;
};

class TCropModel {
 public:
  // The edge zone of the frame that resizes rather than moves, and the smallest frame a
  // drag leaves.
  static constexpr int kEdgeZone = 4;
  static constexpr int kMinDragSize = 8;
  static constexpr int kMinKeySize = 2;

  TScaleStyle ScaleStyle = TScaleStyle::ssNoScale;
  int32_t ScaleW = 0;  // width : height the frame keeps in ssFullScale
  int32_t ScaleH = 0;
  bool PictureStretch = false;  // the picture fills the panel, proportions ignored

  // A new picture size: the crop rectangle is kept where it fits and clamped into the picture
  // otherwise; then the panel is laid out again.
  void SetPictureSize(int width, int height);
  void SetPanelSize(int width, int height);
  int PictureWidth() const { return picW_; }
  int PictureHeight() const { return picH_; }
  bool HasPicture() const { return picW_ > 0 && picH_ > 0; }

  // Places the picture in the panel and the frame over the crop rectangle. Nothing happens
  // without a picture.
  void Layout();
  // The picture in panel coordinates.
  const Rect& Control() const { return control_; }
  // The frame in panel coordinates (during a drag: where the drag has put it).
  const Rect& Frame() const { return frame_; }
  // The crop rectangle in picture pixels.
  const Rect& PictureCropRect() const { return pictureCrop_; }

  // Places the frame over r (picture pixels) and takes r as the crop rectangle exactly.
  void SetCropRect(const Rect& r);
  // Puts the frame at r (panel coordinates) and takes the crop rectangle from it.
  void SetFrame(const Rect& r);

  // The part of the frame at p (panel coordinates): a TDragKind, dkNone outside the frame.
  int HitTest(Point p) const;

  // A drag of kind starting with the mouse at p.
  void BeginDrag(int kind, Point p);
  bool Dragging() const { return dragKind_ != dkNone; }
  int DragKind() const { return dragKind_; }
  // Where the mouse may go during the drag (panel coordinates, Right and Bottom inclusive):
  // a moved frame stays on the picture, a resized one keeps kMinDragSize pixels.
  Rect DragConfinement() const;
  // The mouse at p (kept inside the confinement); returns the frame's new place.
  Rect DragTo(Point p);
  // Ends the drag. True when the frame's bounds changed; the crop rectangle then follows the
  // frame.
  bool EndDrag();

  // An arrow key with Ctrl and Shift as held. True when the crop rectangle changed; a key
  // that would leave the picture changes nothing.
  bool Key(TCropKey key, bool ctrl, bool shift);

  // The cut-out GetCropBitmap makes at scales sx, sy: crops (the frame limits the cut-out)
  // with the picture stretched or not. Empty without a picture.
  TCutOut CutOut(double sy, double sx, bool crops) const;

 private:
  Rect FrameFor(const Rect& pictureRect) const;
  Rect PictureRectFor(const Rect& frame) const;
  Rect ResizeFullScale(Point p) const;
  Rect ResizeCornerScale(Point p) const;
  Rect ResizeSides(Point p) const;
  bool AcceptKeyRect(const Rect& r);

  int picW_ = 0, picH_ = 0;
  int panelW_ = 0, panelH_ = 0;
  Rect control_;
  Rect frame_{0, 0, 10, 10};
  Rect pictureCrop_;
  bool cropSet_ = false;
  // Drag state: the kind, the mouse and the frame where the drag began.
  int dragKind_ = dkNone;
  Point dragStart_;
  Rect dragFrame_;
};

}  // namespace qv
