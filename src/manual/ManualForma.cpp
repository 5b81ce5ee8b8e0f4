#include "manual/ManualForma.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/FileUtil.h"
#include "controls/BitmapImage.h"
#include "controls/CropImage.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/TilePrev.h"
#include "mainwindow/WindowBounds.h"
#include "manual/TileList.h"
#include "models/CellSelection.h"
#include "models/ManualTiles.h"
#include "settings/IniFile.h"

namespace qv {

namespace {

constexpr char kLayOut[] = "LayOut";
constexpr int kImagePanelSide = 112;

}  // namespace

TManualForma::TManualForma(TForm1& form) : QDialog(&form), form_(form), settingsPath_(form.SettingsPath()) {
  setObjectName("ManualForma");
  setWindowTitle("Manual tiles");
  setWindowFlag(Qt::Tool);
  setModal(false);
  QVForcedLib1.ShowThumbs = true;

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 0);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->addTab(CreateLibraryPage(), "Library tiles");
  PageControl1->addTab(CreateCustomPage(), "Custom tiles");
  PageControl1->addTab(CreateForcedPage(), "Forced tiles");
  layout->addWidget(PageControl1, 1);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel1 = new QLabel(StatusBar1);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusBar1->addWidget(StatusPanel1, 1);
  layout->addWidget(StatusBar1);
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageChanged(); });

  const std::string& ini = settingsPath_;
  VNSpinEdit1->SetValue(std::clamp(IniReadInt(ini, kLayOut, "ManualRows", 10), 1, 999999999));
  resize(820, 540);
  try {
    RestoreWindowBounds(ini, kLayOut, "ManualForm", this);
  } catch (const std::exception& e) {
    ShowException(e);
  }
  PageChanged();
  SizeCandidateList();
}

TManualForma::~TManualForma() {
  if (form_.ManualWindow == this) form_.ManualWindow = nullptr;
  const std::string& ini = settingsPath_;
  SaveWindowBounds(ini, kLayOut, "ManualForm", this);
  IniWriteInt(ini, kLayOut, "ManualRows", VNSpinEdit1->Value());
  if (splitterPlaced_) IniWriteInt(ini, kLayOut, "ManualFormPanel", Splitter1->sizes().value(0));
}

QPushButton* TManualForma::AddButton(QWidget* page, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, page);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QWidget* TManualForma::CreateLibraryPage() {
  auto* page = new QWidget(this);
  page->setObjectName("TabLibrary");
  SetHelpContext(page, kLibraryHelpContext);
  auto* row = new QHBoxLayout(page);
  auto* side = new QVBoxLayout;
  Panel2 = new QWidget(page);
  Panel2->setObjectName("Panel2");
  Panel2->setFixedSize(kImagePanelSide, kImagePanelSide);
  Panel2->setAutoFillBackground(true);
  Panel2->setBackgroundRole(QPalette::Dark);
  Image1 = new QLabel(Panel2);
  Image1->setObjectName("Image1");
  Image1->setScaledContents(true);
  Image1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Image1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (TargetCol < 0) return;
    CandidatePopup(0)->popup(Image1->mapToGlobal(pos));
  });
  side->addWidget(Panel2, 0, Qt::AlignHCenter);
  auto* label = new QLabel("Show best:", page);
  VNSpinEdit1 = new TVNSpinEdit(1, 999999999, 1, 10, page);
  VNSpinEdit1->setObjectName("VNSpinEdit1");
  label->setBuddy(VNSpinEdit1);
  side->addWidget(label);
  side->addWidget(VNSpinEdit1);
  BtnFind1 = AddButton(page, "BtnFind1", "Find");
  BtnReplace1 = AddButton(page, "BtnReplace1", "Replace");
  auto* close = AddButton(page, "BtnClose1", "Close");
  auto* help = AddButton(page, "BtnHelp1", "Help");
  for (QPushButton* b : {BtnFind1, BtnReplace1, close, help}) side->addWidget(b);
  side->addStretch(1);
  row->addLayout(side);
  DrawGrid1 = new TTileList(page);
  DrawGrid1->setObjectName("DrawGrid1");
  row->addWidget(DrawGrid1, 1);

  DrawGrid1->RowAt = [this](int r) {
    TTileRow tile;
    TQVData& lib = form_.QVLib1;
    if (!lib.TableIsOpen() || !lib.Go(r)) return tile;
    tile.Thumbnail = form_.MosaicView().Thumbnails().RecordPicture(lib, lib.RecNo, true);
    tile.Title = QString::number(r);
    tile.Path = FromCore(lib.Name);
    tile.PicWidth = lib.PicWidth;
    tile.PicHeight = lib.PicHeight;
    tile.Deleted = lib.PicDeleted();
    return tile;
  };
  connect(VNSpinEdit1, &QSpinBox::valueChanged, this, [this] { SizeCandidateList(); });
  connect(BtnFind1, &QPushButton::clicked, this, [this] { form_.Guarded([this] { FindClick(); }); });
  connect(BtnReplace1, &QPushButton::clicked, this, [this] { form_.Guarded([this] { ReplaceClick(); }); });
  connect(close, &QPushButton::clicked, this, [this] { CloseClick(); });
  connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kLibraryHelpContext); });
  connect(DrawGrid1, &TTileList::RowSelected, this,
          [this](int r) { form_.Guarded([this, r] { CandidateSelected(r); }); });
  connect(DrawGrid1, &TTileList::RowActivated, this, [this] { form_.Guarded([this] { ReplaceClick(); }); });
  connect(DrawGrid1, &TTileList::RowMenu, this,
          [this](int r, const QPoint& at) { form_.Guarded([this, r, at] { CandidatePopup(r)->popup(at); }); });
  return page;
}

TManualPage TManualForma::Page() const {
  switch (PageControl1->currentIndex()) {
    case 1:
      return TManualPage::CustomTiles;
    case 2:
      return TManualPage::ForcedTiles;
    default:
      return TManualPage::LibraryTiles;
  }
}

void TManualForma::SetPage(TManualPage page) { PageControl1->setCurrentIndex(int(page)); }

void TManualForma::PageChanged() {
  const TManualPage page = Page();
  SetHelpContext(this, page == TManualPage::LibraryTiles  ? kLibraryHelpContext
                       : page == TManualPage::CustomTiles ? kCustomHelpContext
                                                          : kForcedHelpContext);
  // Each page's default button answers Enter.
  BtnReplace1->setDefault(page == TManualPage::LibraryTiles);
  BtnReplace2->setDefault(page == TManualPage::CustomTiles);
  BtnReplaceAll->setDefault(page == TManualPage::ForcedTiles);
  UpdateButtons();
}

void TManualForma::UpdateButtons() {
  // The commands check the main window's tables and passes when they run; the buttons follow
  // only what this window itself changes: its own pass and the forced library.
  const bool running = replaceAllRunning_;
  PageControl1->tabBar()->setEnabled(!running);
  for (QPushButton* b : {BtnFind1, BtnReplace1, BtnFind2, BtnReplace2, BtnOpenBase}) b->setEnabled(!running);
  BtnReplaceAll->setEnabled(!running && QVForcedLib1.TableIsOpen());
  BtnCloseBase->setEnabled(!running && QVForcedLib1.TableIsOpen());
}

void TManualForma::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!splitterPlaced_) {
    // The file panel of the custom page: as wide as last time, else a third of the window.
    const int w = IniReadInt(settingsPath_, kLayOut, "ManualFormPanel", width() / 3);
    const int total = std::max(Splitter1->width(), width() - 20);
    Splitter1->setSizes({w, std::max(total - w, 1)});
    splitterPlaced_ = true;
  }
  UpdateButtons();
}

void TManualForma::ShowWindow() {
  TargetCol = TargetRow = -1;
  targetTile_ = QImage();
  Image1->clear();
  SizeCandidateList();
  TQVData& lib = form_.QVLib1;
  if (lib.TableIsOpen()) {
    const QImage thumb = form_.MosaicView().Thumbnails().RecordPicture(lib, 1, true);
    DrawGrid1->PropX = std::max(lib.PropX, 1);
    DrawGrid1->PropY = std::max(lib.PropY, 1);
    DrawGrid1->SetRowHeight(thumb.isNull() ? 0 : thumb.height());
    Image1->resize(thumb.isNull() ? Panel2->size() : thumb.size());
    FitImage1();
    // A picture on the custom page is framed again when the library's proportion changed.
    if (CropImage1->HasPicture() && (CropImage1->ScaleW() != lib.PropX || CropImage1->ScaleH() != lib.PropY))
      OpenCustomPicture(CropImage1->PictureFileName());
  }
  UpdateButtons();
  show();
  raise();
  activateWindow();
}

void TManualForma::SizeCandidateList() {
  const TQVData& lib = form_.QVLib1;
  if (!lib.TableIsOpen()) {
    DrawGrid1->SetRowCount(1);
    return;
  }
  const int32_t available = lib.OrderKeyWidth > 0 ? lib.OrderCount : lib.Count;
  DrawGrid1->SetRowCount(std::max(1, std::min(VNSpinEdit1->Value(), available)));
}

void TManualForma::FitImage1() {
  const QSize s = targetTile_.isNull() ? Image1->size() : targetTile_.size();
  if (s.isEmpty()) return;
  const Rect r = FitRectKeepAspect(Rect{0, 0, s.width(), s.height()}, Rect{0, 0, Panel2->width(), Panel2->height()});
  Image1->setGeometry(r.Left, r.Top, r.Width(), r.Height());
}

void TManualForma::SetStatus(const QString& text) { StatusPanel1->setText(text); }

// ---- The main window's cell ----

void TManualForma::CellSelected(int32_t col, int32_t row) {
  if (movingGrid_) return;
  const TQVData& plan = form_.QVPlan1;
  if (!plan.TableIsOpen() || !form_.QVLib1.TableIsOpen() || form_.MosaicRunning()) return;
  form_.MosaicView().ClearPreview();
  TargetCol = col;
  TargetRow = row;
  ShowTargetTile();
  ListCandidatesFor(col, row);
  if (Page() == TManualPage::CustomTiles && !CustomTile.Empty()) Preview(ToQImage(CustomTile));
}

void TManualForma::ShowTargetTile() {
  TQVData& mosaic = form_.QVMosaic1;
  if (TargetCol < 0 || !mosaic.TableIsOpen()) return;
  const int32_t n = form_.MosaicView().CellToRow(TargetRow, TargetCol);
  targetTile_ = form_.MosaicView().Thumbnails().RecordPicture(mosaic, n, true);
  Image1->setPixmap(QPixmap::fromImage(targetTile_));
  FitImage1();
  if (mosaic.GoRecord(n))
    SetStatus(FromCore(ManualCellText(TargetCol, TargetRow, mosaic.Name, mosaic.PicWidth, mosaic.PicHeight)));
}

void TManualForma::ListCandidatesFor(int32_t col, int32_t row) {
  TQVData& lib = form_.QVLib1;
  TQVData& plan = form_.QVPlan1;
  const int32_t cols = form_.MosaicView().DrawGrid1->ColCount(), rows = form_.MosaicView().DrawGrid1->RowCount();
  std::vector<int32_t> used;
  form_.QVMosaic1.FillUsedTiles(used, 0);
  plan.GoRecord(form_.MosaicView().CellToRow(row, col));
  lib.ListCandidates(plan, used, form_.Orientations(), VNSpinEdit1->Value() + 1, form_.Distance(), cols, rows, col,
                     row);
  SizeCandidateList();
  DrawGrid1->clearSelection();
  DrawGrid1->setCurrentIndex({});
  {
    // Row 1 becomes current without previewing it: the cell shows its own tile until a row
    // is chosen.
    const QSignalBlocker quiet(DrawGrid1);
    DrawGrid1->SetCurrentRow(1);
  }
  DrawGrid1->viewport()->update();
}

void TManualForma::Preview(const QImage& picture) {
  if (TargetCol < 0 || picture.isNull()) return;
  MakeTargetCurrent();
  form_.MosaicView().ShowPreview(TargetCol, TargetRow, picture);
}

void TManualForma::MakeTargetCurrent() {
  TDrawGrid* grid = form_.MosaicView().DrawGrid1;
  if (grid->Col() == TargetCol && grid->Row() == TargetRow) return;
  movingGrid_ = true;
  grid->SetCurrent(TargetCol, TargetRow);
  movingGrid_ = false;
}

void TManualForma::CellPlaced(int32_t cell) {
  form_.MosaicView().CellChanged(cell, TGridDrawState{false, true, false});
  if (form_.MosaicView().CellToRow(TargetRow, TargetCol) == cell) ShowTargetTile();
}

// ---- Library tiles ----

void TManualForma::FindClick() {
  if (!form_.QVLib1.TableIsOpen() || !form_.QVPlan1.TableIsOpen() || form_.MosaicRunning()) return;
  const TDrawGrid* grid = form_.MosaicView().DrawGrid1;
  form_.MosaicView().ClearPreview();
  TargetCol = grid->Col();
  TargetRow = grid->Row();
  ShowTargetTile();
  ListCandidatesFor(TargetCol, TargetRow);
}

void TManualForma::CandidateSelected(int row) {
  TQVData& lib = form_.QVLib1;
  if (TargetCol < 0 || !lib.TableIsOpen() || form_.MosaicRunning() || !lib.Go(row)) return;
  Preview(ToQImage(lib.ThumbBitmap));
}

bool TManualForma::ReplaceCell(int32_t cellNumber) {
  if (!form_.QVMosaic1.TableIsOpen() || form_.MosaicRunning()) return false;
  if (Page() == TManualPage::LibraryTiles) {
    TQVData& lib = form_.QVLib1;
    const int row = DrawGrid1->CurrentRow();
    if (!lib.TableIsOpen() || row < 1 || !lib.Go(row)) return false;
    return form_.QVMosaic1.PlaceTile(cellNumber, lib, true);
  }
  if (Page() == TManualPage::CustomTiles) {
    if (!CutCustomTile()) return false;
    const Rect crop = CropImage1->PictureCropRect();
    const Bitmap24& picture = CropImage1->Picture();
    const TPictureValues values{picture.Width(), picture.Height(), crop.Left, crop.Top, crop.Right, crop.Bottom};
    return form_.QVMosaic1.PlaceCustomPicture(cellNumber, CustomTile, kCustomPictureTileNo, values,
                                              CropImage1->PictureFileName());
  }
  return false;
}

void TManualForma::ReplaceClick() {
  if (TargetCol < 0 || Page() != TManualPage::LibraryTiles) return;
  ReplaceTarget("Replace cell");
}

void TManualForma::ReplaceTarget(const QString& stepText) {
  const int32_t cell = form_.MosaicView().CellToRow(TargetRow, TargetCol);
  TCellEditStep step(form_, stepText);
  step.Touch(cell);
  if (ReplaceCell(cell)) CellPlaced(cell);
  step.Commit();
  form_.SetButtonsOnOff();
}

QMenu* TManualForma::CandidatePopup(int row) {
  delete popup_;
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  SetHelpContext(popup_, kPopupHelpContext);
  TQVData* table = nullptr;
  if (row == 0) {
    // Image1: the target cell's own tile, read with its thumbnail.
    TQVData& mosaic = form_.QVMosaic1;
    const bool thumbs = mosaic.ShowThumbs;
    mosaic.ShowThumbs = true;
    if (TargetCol >= 0 && mosaic.TableIsOpen() && mosaic.GoRecord(form_.MosaicView().CellToRow(TargetRow, TargetCol)))
      table = &mosaic;
    mosaic.ShowThumbs = thumbs;
  } else if (Page() == TManualPage::ForcedTiles) {
    if (QVForcedLib1.TableIsOpen() && QVForcedLib1.GoRecord(row)) table = &QVForcedLib1;
  } else if (form_.QVLib1.TableIsOpen() && form_.QVLib1.Go(row)) {
    table = &form_.QVLib1;
  }
  QString caption = "Show file ";
  bool named = false;
  if (table) {
    caption += FromCore(ExtractFileName(table->Name)) + QString(" (%1/%2)").arg(table->PicWidth).arg(table->PicHeight);
    named = !FromCore(table->Name).trimmed().isEmpty();
  }
  QAction* show = popup_->addAction(caption);
  show->setObjectName("ShowFile1");
  show->setEnabled(named);
  if (table) {
    // The record is read again when the item is chosen: painting may have moved the cursor.
    const int32_t n = table->RecNo;
    const bool thumbs = table->ShowThumbs;
    connect(show, &QAction::triggered, this, [this, table, n, thumbs] {
      const bool was = table->ShowThumbs;
      table->ShowThumbs = thumbs || table == &form_.QVMosaic1;
      table->GoRecord(n);
      table->ShowThumbs = was;
      TTilePrev::ShowTile(*table, settingsPath_, this);
    });
  }
  return popup_;
}

// ---- Closing ----

void TManualForma::CloseClick() {
  if (replaceAllRunning_) {
    closeAfterPass_ = true;
    form_.StopRequested = true;
    return;
  }
  TargetCol = TargetRow = -1;
  form_.QVLib1.ClearOrder();
  form_.MosaicView().ClearPreview();
  hide();
}

void TManualForma::reject() { CloseClick(); }

}  // namespace qv
