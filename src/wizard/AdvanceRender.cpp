#include "wizard/AdvanceRender.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/NamedWidget.h"
#include "controls/SpinEdits.h"

namespace qv {

namespace {

constexpr int kMaxLimit = 999999999;

const char kDistanceHelp[] =
    "Distance between same image: how many cells must lie between two uses of the same tile, in every direction. "
    "0 lets a tile stand next to itself; larger values spread the tiles out but need a larger library.";
const char kRepeatHelp[] =
    "Repeat any image no more then: how many times one tile may be used in the whole mosaic. 0 (Auto) sets no "
    "limit of its own; the Distance rule still applies.";
const char kIntro[] = "Move the mouse over a field or click into it to read what it does.";

}  // namespace

TAdvanceRender::TAdvanceRender(int distance, int repeat, QWidget* parent) : QDialog(parent) {
  setObjectName("AdvanceRender");
  setWindowTitle("Advanced render options");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  SpinDistance = MakeNamed<TVNSpinEdit>("SpinDistance", 0, kMaxLimit, 1, kDefaultDistance, this);
  SpinDistance->SetValue(distance);
  grid->addWidget(new QLabel("Distance between same image:", this), 0, 0);
  grid->addWidget(SpinDistance, 0, 1);
  grid->addWidget(new QLabel("cells.", this), 0, 2);
  auto* hint1 = MakeNamed<QLabel>("LabelDistanceHint", "Recommended: 4 to 10 cells.", this);
  grid->addWidget(hint1, 1, 0, 1, 3);

  SpinRepeat = MakeNamed<TVNCharSpinEdit>("SpinRepeat", 0, kMaxLimit, 1, kDefaultRepeat, this);
  SpinRepeat->SetValue(repeat);
  grid->addWidget(new QLabel("Repeat any image no more then ", this), 2, 0);
  grid->addWidget(SpinRepeat, 2, 1);
  grid->addWidget(new QLabel("times", this), 2, 2);
  auto* hint2 = MakeNamed<QLabel>("LabelRepeatHint", "Recommended: 0 (Auto), and let the Distance rule work.", this);
  grid->addWidget(hint2, 3, 0, 1, 3);
  for (QLabel* hint : {hint1, hint2}) hint->setStyleSheet("color: palette(mid);");

  MemoExplain = MakeNamed<QPlainTextEdit>("MemoExplain", this);
  MemoExplain->setReadOnly(true);
  MemoExplain->setPlainText(kIntro);
  MemoExplain->setFixedHeight(90);
  layout->addWidget(MemoExplain);
  for (QWidget* field : std::initializer_list<QWidget*>{SpinDistance, SpinRepeat}) {
    field->installEventFilter(this);
    field->setAttribute(Qt::WA_Hover);
  }

  auto* buttons = new QHBoxLayout;
  BtnDefault = MakeNamed<QPushButton>("BtnDefault", "Default settings", this);
  BtnOK = MakeNamed<QPushButton>("BtnOK", "OK", this);
  BtnCancel = MakeNamed<QPushButton>("BtnCancel", "Cancel", this);
  BtnOK->setDefault(true);
  buttons->addWidget(BtnDefault);
  buttons->addStretch();
  buttons->addWidget(BtnOK);
  buttons->addWidget(BtnCancel);
  layout->addLayout(buttons);
  connect(BtnDefault, &QPushButton::clicked, this, [this] { BtnDefaultClick(); });
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TAdvanceRender::Distance() const { return SpinDistance->Value(); }
int TAdvanceRender::Repeat() const { return SpinRepeat->Value(); }

void TAdvanceRender::BtnDefaultClick() {
  SpinDistance->SetValue(kDefaultDistance);
  SpinRepeat->SetValue(kDefaultRepeat);
}

void TAdvanceRender::Explain(QObject* field) {
  MemoExplain->setPlainText(field == SpinDistance ? kDistanceHelp : kRepeatHelp);
}

bool TAdvanceRender::eventFilter(QObject* watched, QEvent* e) {
  if ((watched == SpinDistance || watched == SpinRepeat) &&
      (e->type() == QEvent::FocusIn || e->type() == QEvent::Enter || e->type() == QEvent::HoverEnter))
    Explain(watched);
  return QDialog::eventFilter(watched, e);
}

}  // namespace qv
