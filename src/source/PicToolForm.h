#pragma once
// The window "Picture Correction Tools": contrast, brightness, saturation and blur/sharpen of
// the picture shown in a crop view, for all channels or one. Every preview replaces the
// view's picture, so the user judges the effect on the real picture; "OK" keeps the last
// preview, "Cancel" puts the untouched picture back.
//
// A preview of the full picture is computed on a worker thread: the window and its sliders
// stay responsive however large the picture is. A picture larger than the view shows is
// first corrected on the reduced copy the view shows, so the effect appears at once, then at
// full size. While one preview is computed, further changes are gathered and the newest of
// them is computed next (a full-size pass that newer values overtake is dropped).
#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

#include "controls/CropImage.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace qv {

// The values of the window: the corrections DrawPreview applies.
struct TCorrection {
  int Sharp = 0;         // -10..10
  int Contrast = 0;      // -255..255
  int Brightness = 0;    // -255..255
  int Saturation = 255;  // 0..510
  int Channel = 0;       // 0 all, 1 red, 2 green, 3 blue
  bool Neutral() const { return Sharp == 0 && Contrast == 0 && Brightness == 0 && Saturation == 255; }
  bool operator==(const TCorrection&) const = default;
};

// The original with the corrections applied in the window's order (contrast, brightness,
// saturation, blur/sharp, each only when not neutral).
Bitmap24 CorrectedPicture(const Bitmap24& original, const TCorrection& c);

class TPicToolForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 19;
  TPicToolForm(TCropImage& view, QWidget* parent = nullptr);
  ~TPicToolForm() override;

  TCorrection Values() const;
  // Runs a preview with the window's values (on the worker thread).
  void DrawPreview();
  // True while a preview is being computed or waits to be.
  bool PreviewPending() const { return running_ || queued_; }
  // Waits (handling events) until the previews asked for have reached the view.
  void WaitForPreview();

  void accept() override;  // "OK"
  void reject() override;  // "Cancel"

 private:
  QSlider* AddSlider(QGridLayout* grid, int row, const char* name, const QString& caption, int lo, int hi, int value,
                     const QString& hint, const QString& boxHint, QSpinBox*& box);
  void SliderMoved();
  void UpdateSharpCaptions();
  void StartPreview(const TCorrection& c);
  void PreviewDone(std::shared_ptr<Bitmap24> picture, QImage display, bool complete);
  void QuickPreview(QImage display);
  void ResetAll();

  TCropImage& view_;
  TPicturePtr original_;  // OriginalCopy: the view's picture when the window opened
  std::string fileName_;
  QSlider* TrackBarSharp = nullptr;
  QSlider* TrackBarContrast = nullptr;
  QSlider* TrackBarBrightness = nullptr;
  QSlider* TrackBarSaturation = nullptr;
  QSpinBox* SpinSharp = nullptr;
  QSpinBox* SpinContrast = nullptr;
  QSpinBox* SpinBrightness = nullptr;
  QSpinBox* SpinSaturation = nullptr;
  QSpinBox* SpinChannel = nullptr;
  QLabel* LabelBlur = nullptr;
  QLabel* LabelSharp = nullptr;
  QCheckBox* CBAutoPreview = nullptr;
  QPushButton* BtnRefresh = nullptr;
  QPushButton* BtnResetAll = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;

  std::thread worker_;
  bool running_ = false;
  bool queued_ = false;
  TCorrection queuedValues_;
  std::atomic<bool> discard_{false};
  std::atomic<bool> newerWanted_{false};  // values changed while the worker runs
  // The reduced copy of a large original (made by the first worker that needs it).
  std::shared_ptr<const Bitmap24> reduced_;
};

}  // namespace qv
