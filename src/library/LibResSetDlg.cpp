#include "library/LibResSetDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/SpinEdits.h"
#include "engine/Signature.h"
#include "mainwindow/HelpWindow.h"

namespace qv {

TLibResSetDlg::TLibResSetDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("LibResSetDlg");
  setWindowTitle("Library resample settings");
  SetHelpContext(this, kHelpContext);

  VNSpinEdit1 = new TVNSpinEdit(1, 100, 1, 1, this);
  VNSpinEdit1->setObjectName("VNSpinEdit1");
  VNSpinEdit2 = new TVNSpinEdit(1, 100, 1, 1, this);
  VNSpinEdit2->setObjectName("VNSpinEdit2");
  RadioButton1 = new QRadioButton("YCC color mode", this);
  RadioButton1->setObjectName("RadioButton1");
  RadioButton1->setChecked(true);
  RadioButton2 = new QRadioButton("RGB color mode", this);
  RadioButton2->setObjectName("RadioButton2");
  BitBtn2 = new QPushButton("Resample", this);
  BitBtn2->setObjectName("BitBtn2");
  BitBtn2->setDefault(true);
  BitBtn3 = new QPushButton("Cancel", this);
  BitBtn3->setObjectName("BitBtn3");

  auto* fields = new QGridLayout;
  auto* labelX = new QLabel("New X sampling", this);
  labelX->setBuddy(VNSpinEdit1);
  auto* labelY = new QLabel("New Y sampling", this);
  labelY->setBuddy(VNSpinEdit2);
  fields->addWidget(labelX, 0, 0);
  fields->addWidget(VNSpinEdit1, 0, 1);
  fields->addWidget(labelY, 1, 0);
  fields->addWidget(VNSpinEdit2, 1, 1);
  fields->addWidget(RadioButton1, 2, 0, 1, 2);
  fields->addWidget(RadioButton2, 3, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn2);
  buttons->addWidget(BitBtn3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(BitBtn2, &QPushButton::clicked, this, &TLibResSetDlg::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TLibResSetDlg::BitBtn3Click);
}

int32_t TLibResSetDlg::NewGridW() const { return VNSpinEdit1->Value(); }
int32_t TLibResSetDlg::NewGridH() const { return VNSpinEdit2->Value(); }
uint8_t TLibResSetDlg::NewColorSystem() const { return RadioButton2->isChecked() ? kColorRGB : kColorYCC; }

void TLibResSetDlg::SetStart(int32_t gridW, int32_t gridH, uint8_t colorSystem) {
  VNSpinEdit1->SetValue(gridW);
  VNSpinEdit2->SetValue(gridH);
  (colorSystem == kColorRGB ? RadioButton2 : RadioButton1)->setChecked(true);
}

void TLibResSetDlg::BitBtn2Click() {
  confirmed_ = true;
  accept();
}

void TLibResSetDlg::BitBtn3Click() {
  confirmed_ = false;
  reject();
}

}  // namespace qv
