// TForm1: construction of the window (tool panel, status bar, grid) and its destruction.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/Resources.h"
#include "mainwindow/SplashForm.h"
#include "mainwindow/StatusPanel.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {
constexpr int kDesignWidth = 508;
constexpr int kDesignHeight = 457;
constexpr int kPanelWidth = 113;
constexpr int kButtonSize = 28;
constexpr int kSmallButtonSize = 19;
}  // namespace

TForm1::TForm1(std::string settingsPath, QWidget* parent)
    : QMainWindow(parent), settingsPath_(std::move(settingsPath)) {
  InitQuivaraResources();
  InstallHelpKey();
  setObjectName("Form1");
  QVLib1.ShowThumbs = true;

  CreateToolPanel();
  CreateGrid();
  CreateStatusBar();
  CreateMenus();
  ConnectEngines();

  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(Panel1);
  row->addWidget(DrawGrid1, 1);
  setCentralWidget(central);

  // FormCreate
  setMinimumSize(kDesignWidth, kDesignHeight);
  resize(kDesignWidth, kDesignHeight);
  QApplication::setApplicationName(kApplicationTitle);
  applicationTitle_ = kApplicationTitle;
  caption_ = AppTitle;
  setWindowTitle(caption_);
  SetHelpContext(this, kHelpContext);
  InitRecentFileMenu();
  bool restored = false;
  try {
    restored = RestoreWindowBounds(settingsPath_, "LayOut", "MainForm", this);
  } catch (const std::exception& e) {
    ShowException(e);
  }
  // Without stored bounds the window opens large enough to show a mosaic well.
  if (!restored) setGeometry(FirstStartBounds(AvailableArea(this), minimumSize()));
  ReadInitialIni();
  SetButtonsOnOff();
  DrawGrid1->setFocus();
}

void TForm1::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shownOnce_) return;
  shownOnce_ = true;
  // A project opened before the window came up was fitted to a grid that had no size yet.
  QTimer::singleShot(0, this, [this] {
    if (QVMosaic1.TableIsOpen()) MosaicView1->FitToWindow();
  });
}

TForm1::~TForm1() {
  FormDestroy();
  // The grid paints from the engine instances, which go before the child widgets do.
  if (DrawGrid1) DrawGrid1->OnDrawCell = nullptr;
  delete MosaicView1;
  MosaicView1 = nullptr;
}

void TForm1::ConnectEngines() {
  for (TQVData* t : {&QVLib1, &QVPlan1, &QVMosaic1}) {
    t->OnProcessMessages = [] { QCoreApplication::processEvents(); };
    t->OnWarning = [](const std::string& text, const std::string& caption) {
      Prompts().Message({FromCore(text), FromCore(caption), TPromptIcon::Warning, pbOK, pbOK});
    };
  }
  QVMosaic1.OnProgress = [this](TQVData&) { QVMosaic1Progress(); };
}

QToolButton* TForm1::MakeSpeedButton(const char* name, const QString& hint, const QString& glyph, int size) {
  auto* b = new QToolButton(Panel1);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(GlyphIcon(glyph));
  b->setIconSize(QSize(size - 8, size - 8));
  b->setFixedSize(size, size);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

void TForm1::AddHint(QWidget* w, const QString& hint) {
  w->setToolTip(hint);
  w->setProperty("quivaraHint", hint);
  w->installEventFilter(this);
}

// ---- The tool panel ----

void TForm1::CreateToolPanel() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFixedWidth(kPanelWidth);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  QFont small = Panel1->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  Panel1->setFont(small);

  // Left the column of toolbar buttons; right, top to bottom, the small view buttons, the
  // views, "Color" and "Blend", "Distance:" and "Repeat:", the three flag boxes and the group
  // "Use tiles: ".
  QLayout* buttons = CreateButtonColumn();
  auto* right = new QVBoxLayout;
  right->setSpacing(1);
  right->addLayout(CreateViewButtons());
  right->addWidget(CreateEnhanceGroup());
  right->addSpacing(4);
  right->addLayout(CreateRunFields());
  right->addSpacing(4);
  right->addLayout(CreateFixBoxes());
  right->addSpacing(4);
  right->addWidget(CreateFlipGroup());
  right->addStretch(1);

  auto* columns = new QHBoxLayout;
  columns->setSpacing(2);
  columns->addLayout(buttons);
  columns->addLayout(right, 1);
  auto* outer = new QVBoxLayout(Panel1);
  outer->setContentsMargins(2, 2, 2, 2);
  outer->setSpacing(2);
  outer->addLayout(columns, 1);
}

QLayout* TForm1::CreateButtonColumn() {
  SpeedButton11 = MakeSpeedButton("SpeedButton11", "Run Quivara wizard", "wizard", kButtonSize);
  SpeedButton1 = MakeSpeedButton("SpeedButton1", "Create new library", "newlibrary", kButtonSize);
  SpeedButton2 = MakeSpeedButton("SpeedButton2", "Open library", "openlibrary", kButtonSize);
  SpeedButton3 = MakeSpeedButton("SpeedButton3", "Open image", "openimage", kButtonSize);
  SpeedButton4 = MakeSpeedButton("SpeedButton4", "Open project", "openproject", kButtonSize);
  SpeedButton5 = MakeSpeedButton("SpeedButton5", "Save project", "saveproject", kButtonSize);
  SpeedButton7 = MakeSpeedButton("SpeedButton7", "Render mosaic", "render", kButtonSize);
  SpeedButton8 = MakeSpeedButton("SpeedButton8", "Manual render", "manual", kButtonSize);
  SpeedButton6 = MakeSpeedButton("SpeedButton6", "Save mosaic image", "savemosaic", kButtonSize);
  SpeedButton9 = MakeSpeedButton("SpeedButton9", "Stop", "stop", kButtonSize);
  SpeedButton10 = MakeSpeedButton("SpeedButton10", "Exit", "exit", kButtonSize);
  // Buttons of commands that other windows bring are made (so the column keeps its order)
  // but stay hidden until AddCommand gives them their command.
  for (QToolButton* later : {SpeedButton11, SpeedButton1, SpeedButton3, SpeedButton8, SpeedButton6}) later->hide();
  for (QToolButton* b : {SpeedButton3, SpeedButton5, SpeedButton7, SpeedButton8, SpeedButton6, SpeedButton9})
    b->setEnabled(false);

  auto* column = new QVBoxLayout;
  column->setSpacing(0);
  for (QToolButton* b : {SpeedButton11, SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5,
                         SpeedButton7, SpeedButton8, SpeedButton6, SpeedButton9, SpeedButton10})
    column->addWidget(b);
  column->addStretch(1);
  return column;
}

QLayout* TForm1::CreateViewButtons() {
  SpeedButton12 = MakeSpeedButton("SpeedButton12", "Fast View", "fastview", kSmallButtonSize);
  SpeedButton13 = MakeSpeedButton("SpeedButton13", "Zoom Out", "zoomout", kSmallButtonSize);
  SpeedButton14 = MakeSpeedButton("SpeedButton14", "Zoom In", "zoomin", kSmallButtonSize);
  SpeedButton15 = MakeSpeedButton("SpeedButton15", "View 100% mosaic", "view100", kSmallButtonSize);
  auto* smallRow = new QHBoxLayout;
  smallRow->setSpacing(1);
  for (QToolButton* b : {SpeedButton12, SpeedButton13, SpeedButton14, SpeedButton15}) smallRow->addWidget(b);
  smallRow->addStretch(1);

  RBDelta1 = new QRadioButton("Difference", Panel1);
  RBDelta1->setObjectName("RBDelta1");
  RBSource1 = new QRadioButton("Source", Panel1);
  RBSource1->setObjectName("RBSource1");
  RBSource1->setChecked(true);
  RBTarget1 = new QRadioButton("Target", Panel1);
  RBTarget1->setObjectName("RBTarget1");
  RBEnhance1 = new QRadioButton("Enhance", Panel1);
  RBEnhance1->setObjectName("RBEnhance1");
  AddHint(RBSource1, "View source image");
  AddHint(RBTarget1, "View target mosaic");
  AddHint(RBDelta1, "View difference between source and mosaic");
  AddHint(RBEnhance1, "Show color enhanced mosaic");

  auto* views = new QVBoxLayout;
  views->setSpacing(1);
  views->addLayout(smallRow);
  views->addSpacing(4);
  for (QRadioButton* r : {RBDelta1, RBSource1, RBTarget1, RBEnhance1}) views->addWidget(r);
  return views;
}

QWidget* TForm1::CreateEnhanceGroup() {
  GroupBox2 = new QGroupBox(Panel1);
  GroupBox2->setObjectName("GroupBox2");
  auto* enhance = new QVBoxLayout(GroupBox2);
  enhance->setContentsMargins(3, 2, 3, 3);
  enhance->setSpacing(0);
  SpinEdit2 = new TSpinEdit(0, 100, 10, 40, GroupBox2);
  SpinEdit2->setObjectName("SpinEdit2");
  VNSpinEdit1 = new TVNSpinEdit(0, 100, 10, 10, GroupBox2);
  VNSpinEdit1->setObjectName("VNSpinEdit1");
  enhance->addWidget(new QLabel("Color", GroupBox2));
  enhance->addWidget(SpinEdit2);
  enhance->addWidget(new QLabel("Blend", GroupBox2));
  enhance->addWidget(VNSpinEdit1);
  AddHint(SpinEdit2, "Shift the colors in a tile to better match");
  AddHint(VNSpinEdit1, "Blend the mosaic with the original image");
  GroupBox2->hide();  // shown in the "Enhance" view
  return GroupBox2;
}

QLayout* TForm1::CreateRunFields() {
  LabelDistance = new QLabel("Distance:", Panel1);
  LabelDistance->setObjectName("LabelDistance");
  SpinRadius2 = new TVNSpinEdit(0, 999999999, 1, 6, Panel1);
  SpinRadius2->setObjectName("SpinRadius2");
  LabelRepeat = new QLabel("Repeat:", Panel1);
  LabelRepeat->setObjectName("LabelRepeat");
  SpinRepetition2 = new TVNCharSpinEdit(0, 999999, 1, 0, Panel1);
  SpinRepetition2->setObjectName("SpinRepetition2");
  LabelDistance->setBuddy(SpinRadius2);
  LabelRepeat->setBuddy(SpinRepetition2);
  AddHint(SpinRadius2, "Set a distance between same tiles");
  AddHint(SpinRepetition2, "Set number of repetition of same tile");
  auto* fields = new QVBoxLayout;
  fields->setSpacing(1);
  for (QWidget* w : std::initializer_list<QWidget*>{LabelDistance, SpinRadius2, LabelRepeat, SpinRepetition2})
    fields->addWidget(w);
  return fields;
}

QLayout* TForm1::CreateFixBoxes() {
  ChkFixAuto = new QCheckBox("Fix auto", Panel1);
  ChkFixAuto->setObjectName("ChkFixAuto");
  ChkFixManual = new QCheckBox("Fix custom", Panel1);
  ChkFixManual->setObjectName("ChkFixManual");
  ChkInvertSelection = new QCheckBox("Inv select", Panel1);
  ChkInvertSelection->setObjectName("ChkInvertSelection");
  AddHint(ChkFixAuto, "Don't rewrite or erase already rendered cells.");
  AddHint(ChkFixManual, "Don't rewrite/erase cells that were rendered manually.");
  AddHint(ChkInvertSelection, "Invert selection. Selected cells are not active.");
  auto* boxes = new QVBoxLayout;
  boxes->setSpacing(1);
  for (QCheckBox* c : {ChkFixAuto, ChkFixManual, ChkInvertSelection}) boxes->addWidget(c);
  return boxes;
}

QWidget* TForm1::CreateFlipGroup() {
  GroupBox1 = new QGroupBox("Use tiles: ", Panel1);
  GroupBox1->setObjectName("GroupBox1");
  auto* flips = new QVBoxLayout(GroupBox1);
  flips->setContentsMargins(3, 3, 3, 3);
  flips->setSpacing(0);
  CBFlipOriginal = new QCheckBox("Original", GroupBox1);
  CBFlipOriginal->setObjectName("CBFlipOriginal");
  CBFlipH = new QCheckBox("H Flip", GroupBox1);
  CBFlipH->setObjectName("CBFlipH");
  CBFlipV = new QCheckBox("V Flip", GroupBox1);
  CBFlipV->setObjectName("CBFlipV");
  CBRota180 = new QCheckBox("180", GroupBox1);
  CBRota180->setObjectName("CBRota180");
  AddHint(CBFlipOriginal, "Use tile images in original orientation.");
  AddHint(CBFlipH, "Use flipped horizontally tile images.");
  AddHint(CBFlipV, "Use flipped vertically tile images.");
  AddHint(CBRota180, "Use 180 degs rotated tile images.");
  for (QCheckBox* c : {CBFlipOriginal, CBFlipH, CBFlipV, CBRota180}) flips->addWidget(c);
  return GroupBox1;
}

void TForm1::CreateGrid() {
  DrawGrid1 = new TDrawGrid(this);
  DrawGrid1->setObjectName("DrawGrid1");
  MosaicView1 = new TMosaicView(DrawGrid1, &QVLib1, &QVPlan1, &QVMosaic1, this);
  MosaicView1->ConnectViewControls(RBSource1, RBTarget1, RBDelta1, RBEnhance1, GroupBox2, SpinEdit2, VNSpinEdit1);
}

void TForm1::CreateStatusBar() {
  QStatusBar* bar = new QStatusBar(this);
  bar->setObjectName("StatusBar1");
  // A little smaller than the window's text, so the run's progress line fits its panel.
  QFont small = bar->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  bar->setFont(small);
  const int widths[3] = {82, 270, 50};
  for (int i = 0; i < 3; ++i) {
    auto* panel = new TStatusPanel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    if (i < 2)
      panel->setFixedWidth(widths[i]);
    else
      panel->setMinimumWidth(widths[i]);
    panel->setAlignment(i == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(panel, i == 2 ? 1 : 0);
    StatusPanel[i] = panel;
  }
  setStatusBar(bar);
}

QProgressBar* TForm1::CreatePanelProgressBar(int maximum) {
  auto* bar = new QProgressBar(Panel1);
  bar->setObjectName("PanelProgressBar");
  bar->setRange(0, std::max(0, maximum));
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setFixedHeight(14);
  static_cast<QVBoxLayout*>(Panel1->layout())->addWidget(bar);
  return bar;
}

void TForm1::DeletePanelProgressBar(QProgressBar*& bar) {
  delete bar;
  bar = nullptr;
}

void TForm1::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

void TForm1::ShowMessage(const std::string& text, TPromptIcon icon) {
  Prompts().Message({FromCore(text), AppTitle, icon, pbOK, pbOK});
}

}  // namespace qv
