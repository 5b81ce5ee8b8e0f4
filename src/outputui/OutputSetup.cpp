// TOutputSetup: construction, settings, the entries' change handlers and the two refreshes.
// "Save as" and the writer runs are in OutputSetupSave.cpp.
#include "outputui/OutputSetup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <utility>

#include "controls/FitImageInBox.h"
#include "controls/NamedWidget.h"
#include "controls/SpinEdits.h"
#include "imaging/StretchDraw.h"
#include "imaging/TileOps.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

constexpr char kBoundsKey[] = "OutputSetup";

QLineEdit* MakeEntry(const char* name, QWidget* parent) {
  auto* e = MakeNamed<QLineEdit>(name, parent);
  e->setMaximumWidth(90);
  e->setAlignment(Qt::AlignRight);
  return e;
}

QColor ColorOfRef(uint32_t c) { return QColor(RedOfRef(c), GreenOfRef(c), BlueOfRef(c)); }

}  // namespace

TOutputSetup::TOutputSetup(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)) {
  setObjectName("OutputSetup");
  setWindowTitle("Output mosaic setup");
  SetHelpContext(this, kHelpContext);
  BuildControls();
  ChkFastJpeg->setChecked(true);  // not stored: every window starts with it on
  LoadSettings();
  ConnectHandlers();
  RestoreWindowBounds(settingsPath_, "LayOut", kBoundsKey, this, true);
}

TOutputSetup::~TOutputSetup() {
  SaveSettings();
  SaveWindowBounds(settingsPath_, "LayOut", kBoundsKey, this);
}

void TOutputSetup::BuildControls() {
  // ---- Size ----
  auto* size = new QGroupBox("Mosaic size", this);
  size->setObjectName("GroupSize");
  EditWidth = MakeEntry("EditWidth", size);
  EditHeight = MakeEntry("EditHeight", size);
  LabelUnitWidth = MakeNamed<QLabel>("LabelUnitWidth", "Pix", size);
  LabelUnitHeight = MakeNamed<QLabel>("LabelUnitHeight", "Pix", size);
  ComboUnits = new QComboBox(size);
  ComboUnits->setObjectName("ComboUnits");
  ComboUnits->addItems({"pixels", "inches", "cm"});
  EditResolution = MakeEntry("EditResolution", size);
  auto* sizeGrid = new QGridLayout(size);
  sizeGrid->addWidget(new QLabel("Width", size), 0, 0);
  sizeGrid->addWidget(EditWidth, 0, 1);
  sizeGrid->addWidget(LabelUnitWidth, 0, 2);
  sizeGrid->addWidget(new QLabel("Height", size), 1, 0);
  sizeGrid->addWidget(EditHeight, 1, 1);
  sizeGrid->addWidget(LabelUnitHeight, 1, 2);
  sizeGrid->addWidget(new QLabel("Units", size), 2, 0);
  sizeGrid->addWidget(ComboUnits, 2, 1, 1, 2);
  sizeGrid->addWidget(new QLabel("Resolution", size), 3, 0);
  sizeGrid->addWidget(EditResolution, 3, 1);
  sizeGrid->addWidget(new QLabel("dpi", size), 3, 2);

  // ---- Borders ----
  auto* borders = new QGroupBox("Borders", this);
  borders->setObjectName("GroupBorders");
  ChkBorders = MakeNamed<QCheckBox>("ChkBorders", "Add borders", borders);
  ShapeBorderColor = new QPushButton(borders);
  ShapeBorderColor->setObjectName("ShapeBorderColor");
  LabelBorderColor = MakeNamed<QLabel>("LabelBorderColor", "Border color", borders);
  EditBorderLeft = MakeEntry("EditBorderLeft", borders);
  EditBorderTop = MakeEntry("EditBorderTop", borders);
  EditBorderRight = MakeEntry("EditBorderRight", borders);
  EditBorderBottom = MakeEntry("EditBorderBottom", borders);
  LabelBorderLeft = MakeNamed<QLabel>("LabelBorderLeft", "Left", borders);
  LabelBorderTop = MakeNamed<QLabel>("LabelBorderTop", "Top", borders);
  LabelBorderRight = MakeNamed<QLabel>("LabelBorderRight", "Right", borders);
  LabelBorderBottom = MakeNamed<QLabel>("LabelBorderBottom", "Bottom", borders);
  LabelUnitBorders = MakeNamed<QLabel>("LabelUnitBorders", "Pix", borders);
  auto* bGrid = new QGridLayout(borders);
  bGrid->addWidget(ChkBorders, 0, 0, 1, 2);
  bGrid->addWidget(ShapeBorderColor, 0, 2);
  bGrid->addWidget(LabelBorderColor, 0, 3);
  bGrid->addWidget(LabelBorderLeft, 1, 0);
  bGrid->addWidget(EditBorderLeft, 1, 1);
  bGrid->addWidget(LabelBorderTop, 1, 2);
  bGrid->addWidget(EditBorderTop, 1, 3);
  bGrid->addWidget(LabelBorderRight, 2, 0);
  bGrid->addWidget(EditBorderRight, 2, 1);
  bGrid->addWidget(LabelBorderBottom, 2, 2);
  bGrid->addWidget(EditBorderBottom, 2, 3);
  bGrid->addWidget(LabelUnitBorders, 2, 4);

  // ---- Grid ----
  auto* gridBox = new QGroupBox("Grid", this);
  gridBox->setObjectName("GroupGrid");
  ChkGrid = MakeNamed<QCheckBox>("ChkGrid", "Draw grid", gridBox);
  ShapeGridColor = new QPushButton(gridBox);
  ShapeGridColor->setObjectName("ShapeGridColor");
  LabelGridColor = MakeNamed<QLabel>("LabelGridColor", "Grid color", gridBox);
  SpinGridWidth = new TVNSpinEdit(1, kMaxGridWidth, 1, 1, gridBox);
  SpinGridWidth->setObjectName("SpinGridWidth");
  LabelGridWidth = MakeNamed<QLabel>("LabelGridWidth", "Line width", gridBox);
  auto* gGrid = new QGridLayout(gridBox);
  gGrid->addWidget(ChkGrid, 0, 0, 1, 2);
  gGrid->addWidget(ShapeGridColor, 0, 2);
  gGrid->addWidget(LabelGridColor, 0, 3);
  gGrid->addWidget(LabelGridWidth, 1, 0);
  gGrid->addWidget(SpinGridWidth, 1, 1);

  // ---- Tiles ----
  auto* tiles = new QGroupBox("Tiles", this);
  tiles->setObjectName("GroupTiles");
  SpinCorrection = new TVNSpinEdit(0, 100, 5, 0, tiles);
  SpinCorrection->setObjectName("SpinCorrection");
  SpinBlend = new TVNSpinEdit(0, 100, 5, 0, tiles);
  SpinBlend->setObjectName("SpinBlend");
  auto* tGrid = new QGridLayout(tiles);
  tGrid->addWidget(new QLabel("Color correction %", tiles), 0, 0);
  tGrid->addWidget(SpinCorrection, 0, 1);
  tGrid->addWidget(new QLabel("Blend tile colors %", tiles), 1, 0);
  tGrid->addWidget(SpinBlend, 1, 1);
  // The check boxes below, one a row.
  const struct {
    QCheckBox** Slot;
    const char* Name;
    const char* Caption;
  } checks[] = {{&ChkDetailedBlend, "ChkDetailedBlend", "Detailed blend"},
                {&ChkUseThumb, "ChkUseThumb", "Use stored thumbs"},
                {&ChkSharpen, "ChkSharpen", "Sharpen tiles"},
                {&ChkDirectToDisk, "ChkDirectToDisk", "Write direct to disk (no RAM)"},
                {&ChkFastJpeg, "ChkFastJpeg", "Use fast jpg reading/resizing"},
                {&ChkOpenAfterSave, "ChkOpenAfterSave", "Open image after saving"}};
  int row = 2;
  for (const auto& c : checks) {
    *c.Slot = MakeNamed<QCheckBox>(c.Name, c.Caption, tiles);
    tGrid->addWidget(*c.Slot, row++, 0, 1, 2);
  }

  // ---- Layout preview and read-outs ----
  // The box's caption stands above it: the picture is fitted 10 pixels below the box's top,
  // where a caption drawn inside the frame would be covered.
  LabelLayout = MakeNamed<QLabel>("LabelLayout", "Layout", this);
  GroupLayout = new QGroupBox(this);
  GroupLayout->setObjectName("GroupLayout");
  GroupLayout->setFixedSize(kLayoutBoxWidth, 232);
  ImageLayout = new QLabel(GroupLayout);
  ImageLayout->setObjectName("ImageLayout");
  auto* figures = new QGroupBox("Output", this);
  figures->setObjectName("GroupFigures");
  auto* fGrid = new QGridLayout(figures);
  fGrid->addWidget(new QLabel("Single tile size:", figures), 0, 0);
  fGrid->addWidget(new QLabel("Output size:", figures), 3, 0);
  // The read-outs, in the right-hand column but for the file size, which spans both.
  const struct {
    QLabel** Slot;
    const char* Name;
  } readOuts[] = {{&LabelTileSize, "LabelTileSize"},     {&LabelTileInch, "LabelTileInch"},
                  {&LabelTileCm, "LabelTileCm"},         {&LabelOutputSize, "LabelOutputSize"},
                  {&LabelOutputInch, "LabelOutputInch"}, {&LabelOutputCm, "LabelOutputCm"},
                  {&LabelFileSize, "LabelFileSize"}};
  row = 0;
  for (const auto& r : readOuts) {
    *r.Slot = MakeNamed<QLabel>(r.Name, "", figures);
    if (r.Slot == &LabelFileSize)
      fGrid->addWidget(*r.Slot, row++, 0, 1, 2);
    else
      fGrid->addWidget(*r.Slot, row++, 1);
  }

  // ---- Buttons and status bar ----
  BtnSaveAs = new QPushButton("Save as", this);
  BtnSaveAs->setObjectName("BtnSaveAs");
  BtnClose = new QPushButton("Close", this);
  BtnClose->setObjectName("BtnClose");
  BtnStop = new QPushButton("Stop", this);
  BtnStop->setObjectName("BtnStop");
  BtnStop->setEnabled(false);
  BtnHelp = new QPushButton("Help", this);
  BtnHelp->setObjectName("BtnHelp");
  for (QPushButton* b : {BtnSaveAs, BtnClose, BtnStop, BtnHelp}) b->setAutoDefault(false);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel0 = MakeNamed<QLabel>("StatusPanel0", "", StatusBar1);
  StatusBar1->addWidget(StatusPanel0, 1);
  ProgressBar1 = new QProgressBar(StatusBar1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setMaximumWidth(220);
  ProgressBar1->setTextVisible(false);
  StatusBar1->addPermanentWidget(ProgressBar1);
  ProgressBar1->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(size);
  left->addWidget(borders);
  left->addWidget(gridBox);
  left->addStretch(1);
  auto* middle = new QVBoxLayout;
  middle->addWidget(tiles);
  middle->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(LabelLayout);
  right->addWidget(GroupLayout);
  right->addWidget(figures);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(middle);
  columns->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {BtnSaveAs, BtnClose, BtnStop, BtnHelp}) buttons->addWidget(b);
  auto* main = new QVBoxLayout(this);
  main->addLayout(columns);
  main->addLayout(buttons);
  main->addWidget(StatusBar1);
  main->setSizeConstraint(QLayout::SetFixedSize);
}

void TOutputSetup::LoadSettings() {
  settings_ = ReadOutputSettings(settingsPath_);
  ShowSwitches();
}

// The switches, spin edits and swatches from settings_, without running their handlers.
void TOutputSetup::ShowSwitches() {
  const bool was = Updating;
  Updating = true;
  ComboUnits->setCurrentIndex(settings_.Units);
  ChkBorders->setChecked(settings_.Borders);
  ChkGrid->setChecked(settings_.Grid);
  SpinCorrection->setValue(settings_.ColorCorrection);
  SpinBlend->setValue(settings_.Blending);
  ChkDetailedBlend->setChecked(settings_.DetailedBlend);
  ChkUseThumb->setChecked(settings_.UseThumb);
  ChkSharpen->setChecked(settings_.SharpenTiles);
  ChkDirectToDisk->setChecked(settings_.DirectToDisk);
  ChkOpenAfterSave->setChecked(settings_.OpenAfterSave);
  ShowSwatch(ShapeBorderColor, settings_.BorderColor);
  ShowSwatch(ShapeGridColor, settings_.GridColor);
  for (QWidget* w : std::initializer_list<QWidget*>{ShapeBorderColor, LabelBorderColor, EditBorderLeft, EditBorderTop,
                                                    EditBorderRight, EditBorderBottom, LabelBorderLeft, LabelBorderTop,
                                                    LabelBorderRight, LabelBorderBottom, LabelUnitBorders})
    w->setEnabled(settings_.Borders);
  for (QWidget* w : std::initializer_list<QWidget*>{ShapeGridColor, LabelGridColor, SpinGridWidth, LabelGridWidth})
    w->setEnabled(settings_.Grid);
  Updating = was;
}

void TOutputSetup::SaveSettings() {
  settings_.ColorCorrection = SpinCorrection->value();
  settings_.Blending = SpinBlend->value();
  WriteOutputSettings(settingsPath_, settings_);
  if (!RememberBlendSetting(settingsPath_)) {
    settings_.Blending = settings_.ColorCorrection = 0;
    ShowSwitches();
  }
}

void TOutputSetup::ShowSwatch(QPushButton* swatch, uint32_t colorRef) {
  swatch->setFixedSize(36, 18);
  swatch->setStyleSheet(QString("background-color: %1; border: 1px solid #404040;").arg(ColorOfRef(colorRef).name()));
}

void TOutputSetup::ConnectHandlers() {
  // The entry being typed in keeps its text while the others follow it.
  for (QLineEdit* e :
       {EditWidth, EditHeight, EditBorderLeft, EditBorderTop, EditBorderRight, EditBorderBottom, EditResolution})
    connect(e, &QLineEdit::textEdited, this, [this, e] { editing_ = e; });
  connect(EditWidth, &QLineEdit::textEdited, this, &TOutputSetup::EditWidthChange);
  connect(EditHeight, &QLineEdit::textEdited, this, &TOutputSetup::EditHeightChange);
  const std::pair<QLineEdit*, TBorderSide> sides[] = {{EditBorderLeft, kBorderLeft},
                                                      {EditBorderTop, kBorderTop},
                                                      {EditBorderRight, kBorderRight},
                                                      {EditBorderBottom, kBorderBottom}};
  for (const auto& [edit, side] : sides) {
    const TBorderSide s = side;
    connect(edit, &QLineEdit::textEdited, this, [this, s] { EditBorderChange(s); });
  }
  connect(EditResolution, &QLineEdit::textEdited, this, &TOutputSetup::EditResolutionChange);
  // Leaving an entry shows the value in force again (a refused entry goes back to it).
  for (QLineEdit* e :
       {EditWidth, EditHeight, EditBorderLeft, EditBorderTop, EditBorderRight, EditBorderBottom, EditResolution})
    connect(e, &QLineEdit::editingFinished, this, [this] {
      editing_ = nullptr;
      RefreshFigures();
    });
  connect(ComboUnits, qOverload<int>(&QComboBox::currentIndexChanged), this, &TOutputSetup::ComboUnitsChange);
  connect(ChkBorders, &QCheckBox::toggled, this, &TOutputSetup::ChkBordersClick);
  connect(ChkGrid, &QCheckBox::toggled, this, &TOutputSetup::ChkGridClick);
  connect(ShapeBorderColor, &QPushButton::clicked, this, [this] { SwatchClicked(true); });
  connect(ShapeGridColor, &QPushButton::clicked, this, [this] { SwatchClicked(false); });
  connect(SpinCorrection, qOverload<int>(&QSpinBox::valueChanged), this, &TOutputSetup::BlendOrCorrectionChange);
  connect(SpinBlend, qOverload<int>(&QSpinBox::valueChanged), this, &TOutputSetup::BlendOrCorrectionChange);
  auto flag = [this](QCheckBox* box, bool TOutputSettings::*field) {
    connect(box, &QCheckBox::toggled, this, [this, field](bool on) {
      if (!Updating) settings_.*field = on;
    });
  };
  flag(ChkDetailedBlend, &TOutputSettings::DetailedBlend);
  flag(ChkUseThumb, &TOutputSettings::UseThumb);
  flag(ChkSharpen, &TOutputSettings::SharpenTiles);
  flag(ChkDirectToDisk, &TOutputSettings::DirectToDisk);
  flag(ChkOpenAfterSave, &TOutputSettings::OpenAfterSave);
  connect(BtnSaveAs, &QPushButton::clicked, this, &TOutputSetup::BtnSaveAsClick);
  connect(BtnClose, &QPushButton::clicked, this, &TOutputSetup::BtnCloseClick);
  connect(BtnStop, &QPushButton::clicked, this, &TOutputSetup::BtnStopClick);
  connect(BtnHelp, &QPushButton::clicked, this, &TOutputSetup::BtnHelpClick);
}

int TOutputSetup::LayoutBoxWidth() const { return GroupLayout->width(); }

void TOutputSetup::SetPreviews(Bitmap24 mosaicPreview, Bitmap24 sourcePreview) {
  mosaicPreview_ = std::move(mosaicPreview);
  sourcePreview_ = std::move(sourcePreview);
}

void TOutputSetup::SetBlendAndCorrection(int blendPercent, int correctionPercent) {
  settings_.Blending = blendPercent;
  settings_.ColorCorrection = correctionPercent;
  ShowSwitches();
  settings_.Blending = SpinBlend->value();  // as the spin edits took them (range 0..100)
  settings_.ColorCorrection = SpinCorrection->value();
}

// ---- Change handlers ----

void TOutputSetup::EditWidthChange() {
  if (Updating) return;
  const auto v = ParseEntry(ToCore(EditWidth->text()));
  if (!v || !SetWidthEntry(settings_, grid_, *v)) return;
  RefreshFigures();
  RefreshPreview();
}

void TOutputSetup::EditHeightChange() {
  if (Updating) return;
  const auto v = ParseEntry(ToCore(EditHeight->text()));
  if (!v || !SetHeightEntry(settings_, grid_, *v)) return;
  RefreshFigures();
  RefreshPreview();
}

void TOutputSetup::EditBorderChange(TBorderSide side) {
  if (Updating) return;
  QLineEdit* edit = side == kBorderLeft    ? EditBorderLeft
                    : side == kBorderTop   ? EditBorderTop
                    : side == kBorderRight ? EditBorderRight
                                           : EditBorderBottom;
  const auto v = ParseEntry(ToCore(edit->text()));
  if (!v || !SetBorderEntry(settings_, side, *v)) return;
  RefreshFigures();
  RefreshPreview();
}

void TOutputSetup::EditResolutionChange() {
  const auto v = ParseEntry(ToCore(EditResolution->text()));
  if (!v || !SetResolutionEntry(settings_, *v)) return;
  if (!Updating) RefreshFigures();
}

void TOutputSetup::ComboUnitsChange() {
  if (Updating) return;
  editing_ = nullptr;
  settings_.Units = ComboUnits->currentIndex();
  RefreshFigures();
}

void TOutputSetup::ChkBordersClick() {
  if (Updating) return;
  editing_ = nullptr;
  settings_.Borders = ChkBorders->isChecked();
  ShowSwitches();
  RefreshFigures();
  RefreshPreview();
}

void TOutputSetup::ChkGridClick() {
  if (Updating) return;
  settings_.Grid = ChkGrid->isChecked();
  ShowSwitches();
  RefreshPreview();
}

void TOutputSetup::SwatchClicked(bool border) {
  uint32_t& colour = border ? settings_.BorderColor : settings_.GridColor;
  const std::optional<QColor> c = Prompts().ChooseColor(ColorOfRef(colour));
  if (!c) return;
  colour = MakeColorRef(uint8_t(c->red()), uint8_t(c->green()), uint8_t(c->blue()));
  ShowSwatch(border ? ShapeBorderColor : ShapeGridColor, colour);
  RefreshPreview();
}

void TOutputSetup::BlendOrCorrectionChange() {
  if (Updating) return;
  settings_.ColorCorrection = SpinCorrection->value();
  settings_.Blending = SpinBlend->value();
  RefreshPreview();
}

// ---- Refreshes ----

void TOutputSetup::RefreshFigures() {
  Updating = true;
  // The entry being typed in keeps its text; it shows the value in force when it is left.
  auto show = [this](QLineEdit* e, const std::string& text) {
    if (e != editing_) e->setText(FromCore(text));
  };
  show(EditWidth, EntryText(settings_, settings_.OutputWidth));
  show(EditHeight, EntryText(settings_, settings_.OutputHeight));
  show(EditBorderLeft, EntryText(settings_, settings_.BorderLeft));
  show(EditBorderTop, EntryText(settings_, settings_.BorderTop));
  show(EditBorderRight, EntryText(settings_, settings_.BorderRight));
  show(EditBorderBottom, EntryText(settings_, settings_.BorderBottom));
  show(EditResolution, std::to_string(settings_.Resolution));
  const TOutputFigures f = OutputFigures(settings_, grid_);
  LabelTileSize->setText(FromCore(f.TileSize));
  LabelTileInch->setText(FromCore(f.TileInch));
  LabelTileCm->setText(FromCore(f.TileCm));
  LabelOutputSize->setText(FromCore(f.OutputSize));
  LabelOutputInch->setText(FromCore(f.OutputInch));
  LabelOutputCm->setText(FromCore(f.OutputCm));
  LabelFileSize->setText(FromCore(f.FileSize));
  const QString unit = UnitCaption(settings_.Units);
  for (QLabel* l : {LabelUnitWidth, LabelUnitHeight, LabelUnitBorders}) l->setText(unit);
  Updating = false;
}

void TOutputSetup::RefreshPreview() {
  if (Updating || mosaicPreview_.Empty() || sourcePreview_.Empty()) return;
  const TLayoutPreview p = LayoutPreview(settings_, grid_, LayoutBoxWidth());
  if (p.Width <= 0 || p.Height <= 0) return;
  const uint32_t bc = settings_.BorderColor;
  layout_.SetSize(p.Width, p.Height, BlueOfRef(bc), GreenOfRef(bc), RedOfRef(bc));
  const int correction = SpinCorrection->value(), blend = SpinBlend->value();
  if (blend + correction < 1) {
    StretchDraw(layout_, p.Target, mosaicPreview_);
  } else {
    Bitmap24 copy = mosaicPreview_;
    BlockColourCorrect(copy, sourcePreview_, Size{std::max(grid_.Cols, 1), std::max(grid_.Rows, 1)}, correction);
    BlendOver(copy, sourcePreview_, BlendAlphaFromPercent(blend));
    StretchDraw(layout_, p.Target, copy);
  }
  const uint32_t gc = settings_.GridColor;
  for (const TPreviewLine& l : p.GridLines)
    DrawLine1(layout_, l.X0, l.Y0, l.X1 + (l.X0 == l.X1 ? 0 : 1), l.Y1 + (l.Y0 == l.Y1 ? 0 : 1), BlueOfRef(gc),
              GreenOfRef(gc), RedOfRef(gc));
  ShowLayout();
}

// The layout picture fitted into the "Layout" box, keeping its proportions: resampled to the
// shown size when it carries grid lines (so that they stay visible), stretched otherwise.
void TOutputSetup::ShowLayout() { FitImageInBox(ImageLayout, GroupLayout, layout_, settings_.Grid); }

QString TOutputSetup::StatusText() const { return StatusPanel0->text(); }

void TOutputSetup::SetStatus(const QString& text) { StatusPanel0->setText(text); }

RenderSettings TOutputSetup::CurrentRenderSettings() const {
  TOutputRunOptions o;
  o.GridWidth = SpinGridWidth->value();
  o.FastJpeg = ChkFastJpeg->isChecked();
  o.JpegQuality = jpegQuality_;
  o.DetailedBackground = source_.DetailedBackground;
  TOutputSettings s = settings_;
  s.ColorCorrection = SpinCorrection->value();
  s.Blending = SpinBlend->value();
  return MakeRenderSettings(s, o);
}

void TOutputSetup::BtnCloseClick() { close(); }

void TOutputSetup::BtnStopClick() {
  if (source_.StopRequested) source_.StopRequested->store(true);
}

void TOutputSetup::BtnHelpClick() { ShowHelpTopic(kHelpContext); }

void TOutputSetup::closeEvent(QCloseEvent* e) {
  if (running_) {
    e->ignore();
    return;
  }
  SaveSettings();
  QDialog::closeEvent(e);
}

void TOutputSetup::reject() {
  if (running_) return;  // Esc does not close the window under a running writer
  SaveSettings();
  QDialog::reject();
}

}  // namespace qv
