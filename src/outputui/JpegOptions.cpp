#include "outputui/JpegOptions.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace qv {

namespace {
constexpr char kSection[] = "Output";
constexpr char kKey[] = "JPG";
}  // namespace

Tjpegoptions::Tjpegoptions(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)) {
  setObjectName("jpegoptions");
  setWindowTitle("JPEG Options");
  SetHelpContext(this, kHelpContext);
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  GroupBox1 = new QGroupBox("Image quality", this);
  GroupBox1->setObjectName("GroupBox1");
  SpinEdit1 = new QSpinBox(GroupBox1);
  SpinEdit1->setObjectName("SpinEdit1");
  SpinEdit1->setRange(0, 100);
  TrackBar1 = new QSlider(Qt::Horizontal, GroupBox1);
  TrackBar1->setObjectName("TrackBar1");
  TrackBar1->setRange(0, 100);
  TrackBar1->setTickInterval(10);
  TrackBar1->setTickPosition(QSlider::TicksBelow);
  TrackBar1->setPageStep(10);
  TrackBar1->setMinimumWidth(260);
  Label1 = new QLabel("Best compression", GroupBox1);
  Label1->setObjectName("Label1");
  Label2 = new QLabel("Best quality", GroupBox1);
  Label2->setObjectName("Label2");

  auto* box = new QGridLayout(GroupBox1);
  box->addWidget(SpinEdit1, 0, 0, 1, 2, Qt::AlignHCenter);
  box->addWidget(TrackBar1, 1, 0, 1, 2);
  box->addWidget(Label1, 2, 0, Qt::AlignLeft);
  box->addWidget(Label2, 2, 1, Qt::AlignRight);

  BitBtn1 = new QPushButton("OK", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton("Cancel", this);
  BitBtn2->setObjectName("BitBtn2");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);

  auto* main = new QVBoxLayout(this);
  main->addWidget(GroupBox1);
  main->addLayout(buttons);

  connect(SpinEdit1, qOverload<int>(&QSpinBox::valueChanged), this, &Tjpegoptions::ValueChanged);
  connect(TrackBar1, &QSlider::valueChanged, this, &Tjpegoptions::ValueChanged);
  connect(BitBtn1, &QPushButton::clicked, this, &Tjpegoptions::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &Tjpegoptions::BitBtn2Click);

  SetQuality(IniReadInt(settingsPath_, kSection, kKey, kDefaultQuality));
}

int Tjpegoptions::Quality() const { return SpinEdit1->value(); }

void Tjpegoptions::SetQuality(int quality) { ValueChanged(quality); }

void Tjpegoptions::ValueChanged(int value) {
  if (syncing_) return;
  const int v = std::clamp(value, 0, kMaxQuality);
  syncing_ = true;
  SpinEdit1->setValue(v);
  TrackBar1->setValue(v);
  syncing_ = false;
}

void Tjpegoptions::BitBtn1Click() {
  const int q = Quality();
  if (q <= 0) return;  // no modal result: the dialog stays open
  IniWriteInt(settingsPath_, kSection, kKey, q);
  done(q);
}

void Tjpegoptions::BitBtn2Click() { done(-1); }

int Tjpegoptions::AskJpegQuality(const std::string& settingsPath, QWidget* parent) {
  Tjpegoptions dialog(settingsPath, parent);
  const int result = Prompts().ExecDialog(dialog);
  return result > 0 ? result : -1;
}

}  // namespace qv
