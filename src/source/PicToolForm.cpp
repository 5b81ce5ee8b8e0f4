#include "source/PicToolForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include "controls/BitmapImage.h"
#include "imaging/PictureCorrection.h"
#include "imaging/PictureScaling.h"
#include "mainwindow/HelpWindow.h"

namespace qv {

Bitmap24 CorrectedPicture(const Bitmap24& original, const TCorrection& c) {
  Bitmap24 work = original;
  if (c.Contrast != 0) ApplyContrast(work, c.Contrast, c.Channel);
  if (c.Brightness != 0) ApplyBrightness(work, c.Brightness, c.Channel);
  if (c.Saturation != 255) ApplySaturation(work, c.Saturation, c.Channel);
  if (c.Sharp != 0) ApplySharpen(work, c.Sharp, c.Channel);
  return work;
}

TPicToolForm::TPicToolForm(TCropImage& view, QWidget* parent)
    : QDialog(parent), view_(view), original_(view.SharedPicture()), fileName_(view.PictureFileName()) {
  setObjectName("PicToolForm");
  setWindowTitle("Picture Correction Tools");
  SetHelpContext(this, kHelpContext);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  TrackBarSharp = AddSlider(grid, 0, "TrackBarSharp", "Blur/Sharp:", -10, 10, 0, "Blur/Sharp control",
                            "Blur/Sharp value (default 0)", SpinSharp);
  auto* ends = new QHBoxLayout;
  LabelBlur = new QLabel("Blur", this);
  LabelBlur->setObjectName("LabelBlur");
  LabelSharp = new QLabel("Sharp", this);
  LabelSharp->setObjectName("LabelSharp");
  ends->addWidget(LabelBlur);
  ends->addStretch();
  ends->addWidget(LabelSharp);
  grid->addLayout(ends, 1, 1);
  TrackBarContrast = AddSlider(grid, 2, "TrackBarContrast", "Contrast:", -255, 255, 0, "Contrast control",
                               "Contrast value (default 0)", SpinContrast);
  TrackBarBrightness = AddSlider(grid, 3, "TrackBarBrightness", "Brightness:", -255, 255, 0, "Brightness control",
                                 "Brightness value (default 0)", SpinBrightness);
  TrackBarSaturation = AddSlider(grid, 4, "TrackBarSaturation", "Saturation:", 0, 510, 255, "Saturation control",
                                 "Saturation value (default 255)", SpinSaturation);

  auto* options = new QHBoxLayout;
  SpinChannel = new QSpinBox(this);
  SpinChannel->setObjectName("SpinChannel");
  SpinChannel->setRange(0, 3);
  SpinChannel->setToolTip("0 all channels, 1 red, 2 green, 3 blue");
  options->addWidget(SpinChannel);
  CBAutoPreview = new QCheckBox("Auto preview", this);
  CBAutoPreview->setObjectName("CBAutoPreview");
  CBAutoPreview->setChecked(true);
  CBAutoPreview->setToolTip("Show preview in the main screen interactively ");
  options->addWidget(CBAutoPreview);
  options->addStretch();
  layout->addLayout(options);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  BtnRefresh = button("BtnRefresh", "Refresh", "Refresh picture in the main screen");
  BtnResetAll = button("BtnResetAll", "Reset All", "Set all values to default. I.e. no correction");
  buttons->addStretch();
  BtnOK = button("BtnOK", "OK", "Use corrections");
  BtnCancel = button("BtnCancel", "Cancel", "Don't use corrections");
  layout->addLayout(buttons);

  connect(SpinChannel, &QSpinBox::valueChanged, this, [this] {
    if (CBAutoPreview->isChecked()) DrawPreview();
  });
  connect(BtnRefresh, &QPushButton::clicked, this, &TPicToolForm::DrawPreview);
  connect(BtnResetAll, &QPushButton::clicked, this, &TPicToolForm::ResetAll);
  connect(BtnOK, &QPushButton::clicked, this, &TPicToolForm::accept);
  connect(BtnCancel, &QPushButton::clicked, this, &TPicToolForm::reject);

  setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
  if (QScreen* s = QApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

TPicToolForm::~TPicToolForm() {
  discard_ = true;
  if (worker_.joinable()) worker_.join();
}

QSlider* TPicToolForm::AddSlider(QGridLayout* grid, int row, const char* name, const QString& caption, int lo, int hi,
                                 int value, const QString& hint, const QString& boxHint, QSpinBox*& box) {
  auto* label = new QLabel(caption, this);
  grid->addWidget(label, row, 0);
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(name);
  slider->setRange(lo, hi);
  slider->setValue(value);
  slider->setPageStep(hi - lo > 100 ? 10 : 1);
  slider->setToolTip(hint);
  slider->setMinimumWidth(240);
  grid->addWidget(slider, row, 1);
  box = new QSpinBox(this);
  box->setObjectName(QString(name).replace("TrackBar", "Spin"));
  box->setRange(lo, hi);
  box->setValue(value);
  box->setToolTip(boxHint);
  grid->addWidget(box, row, 2);
  label->setBuddy(box);
  // The slider and its box follow each other; the slider drives the preview.
  QSpinBox* b = box;
  connect(slider, &QSlider::valueChanged, this, [this, b](int v) {
    const QSignalBlocker block(b);
    b->setValue(v);
    SliderMoved();
  });
  connect(box, &QSpinBox::valueChanged, slider, &QSlider::setValue);
  return slider;
}

TCorrection TPicToolForm::Values() const {
  return {TrackBarSharp->value(), TrackBarContrast->value(), TrackBarBrightness->value(), TrackBarSaturation->value(),
          SpinChannel->value()};
}

void TPicToolForm::UpdateSharpCaptions() {
  const int v = TrackBarSharp->value();
  LabelBlur->setText(v < 0 ? "Blur: " + QString::number(v) : QString("Blur"));
  LabelSharp->setText(v > 0 ? "Sharp: +" + QString::number(v) : QString("Sharp"));
}

void TPicToolForm::SliderMoved() {
  UpdateSharpCaptions();
  if (CBAutoPreview->isChecked()) DrawPreview();
}

void TPicToolForm::ResetAll() {
  TrackBarSharp->setValue(0);
  TrackBarContrast->setValue(0);
  TrackBarBrightness->setValue(0);
  TrackBarSaturation->setValue(255);
}

void TPicToolForm::DrawPreview() {
  if (!original_ || original_->Empty()) return;
  const TCorrection c = Values();
  if (running_) {
    // The newest values are computed once the running preview is done.
    queued_ = true;
    queuedValues_ = c;
    newerWanted_ = true;
    return;
  }
  StartPreview(c);
}

void TPicToolForm::StartPreview(const TCorrection& c) {
  if (worker_.joinable()) worker_.join();
  running_ = true;
  queued_ = false;
  newerWanted_ = false;
  TPicturePtr original = original_;
  worker_ = std::thread([this, original, c] {
    std::shared_ptr<Bitmap24> picture;
    QImage display;
    if (!c.Neutral()) {
      const bool large =
          original->Width() > TCropImage::kDisplayMaxSide || original->Height() > TCropImage::kDisplayMaxSide;
      if (large) {
        if (!reduced_) reduced_ = std::make_shared<Bitmap24>(ReduceToFit(*original, TCropImage::kDisplayMaxSide));
        QImage quick = ToQImage(CorrectedPicture(*reduced_, c));
        if (discard_) return;
        QMetaObject::invokeMethod(
            this, [this, quick] { QuickPreview(quick); }, Qt::QueuedConnection);
        if (newerWanted_) {
          // Newer values wait: their pass replaces this one's full-size work.
          QMetaObject::invokeMethod(
              this, [this] { PreviewDone(nullptr, QImage(), false); }, Qt::QueuedConnection);
          return;
        }
      }
      picture = std::make_shared<Bitmap24>(CorrectedPicture(*original, c));
      if (discard_) return;
      display = TCropImage::DisplayImage(*picture);
    }
    if (discard_) return;
    QMetaObject::invokeMethod(
        this, [this, picture, display] { PreviewDone(picture, display, true); }, Qt::QueuedConnection);
  });
}

void TPicToolForm::QuickPreview(QImage display) {
  if (!discard_) view_.SetDisplayImage(std::move(display));
}

void TPicToolForm::PreviewDone(std::shared_ptr<Bitmap24> picture, QImage display, bool complete) {
  if (discard_) return;
  running_ = false;
  if (complete) {
    // Neutral values give the original back, not a copy of it.
    if (picture)
      view_.SetPicture(std::move(picture), fileName_, std::move(display));
    else
      view_.SetPicture(original_, fileName_);
  }
  if (queued_) StartPreview(queuedValues_);
}

void TPicToolForm::WaitForPreview() {
  while (PreviewPending()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (PreviewPending()) QThread::msleep(2);
  }
}

void TPicToolForm::accept() {
  // The view keeps what the last preview put there.
  WaitForPreview();
  QDialog::accept();
}

void TPicToolForm::reject() {
  discard_ = true;
  if (worker_.joinable()) worker_.join();
  running_ = queued_ = false;
  view_.SetPicture(original_, fileName_);
  QDialog::reject();
}

}  // namespace qv
