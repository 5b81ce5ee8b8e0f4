// The "Custom tiles" page: a tile cut from any picture file and placed by hand.
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "controls/BitmapImage.h"
#include "controls/CropImage.h"
#include "controls/DrawGrid.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "manual/ManualForma.h"
#include "models/ManualTiles.h"
#include "raster/Resample.h"
#include "settings/AppSettings.h"

namespace qv {

QWidget* TManualForma::CreateCustomPage() {
  auto* page = new QWidget(this);
  page->setObjectName("TabCustom");
  SetHelpContext(page, kCustomHelpContext);
  auto* layout = new QHBoxLayout(page);
  Splitter1 = new QSplitter(Qt::Horizontal, page);
  Splitter1->setObjectName("Splitter1");
  layout->addWidget(Splitter1);

  // Folders and the picture files of the mask, in one view.
  FileModel1 = new QFileSystemModel(this);
  FileModel1->setObjectName("FileModel1");
  FileModel1->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Drives);
  FileModel1->setNameFilters({"*.jpg", "*.bmp", "*.gif", "*.tif", "*.png"});
  FileModel1->setNameFilterDisables(false);
  FileModel1->setRootPath(QDir::rootPath());
  FileTree1 = new QTreeView(Splitter1);
  FileTree1->setObjectName("FileTree1");
  FileTree1->setModel(FileModel1);
  for (int c = 1; c < FileModel1->columnCount(); ++c) FileTree1->hideColumn(c);
  FileTree1->header()->hide();
  // Deep folders and long names scroll sideways rather than being cut short.
  FileTree1->setIndentation(12);
  FileTree1->header()->setStretchLastSection(false);
  FileTree1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  const std::string start = LastPathFolder(settingsPath_, kLastPathSource);
  const QModelIndex startIndex = FileModel1->index(QDir::cleanPath(start.empty() ? QDir::homePath() : FromCore(start)));
  FileTree1->setCurrentIndex(startIndex);
  FileTree1->scrollTo(startIndex);
  FileTree1->expand(startIndex);
  connect(FileTree1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (!i.isValid() || FileModel1->isDir(i)) return;
    const std::string name = ToCore(FileModel1->filePath(i));
    form_.Guarded([this, name] { OpenCustomPicture(name); });
  });

  auto* right = new QWidget(Splitter1);
  auto* rightRow = new QHBoxLayout(right);
  rightRow->setContentsMargins(0, 0, 0, 0);
  CropImage1 = new TCropImage(right);
  CropImage1->setObjectName("CropImage1");
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetResampleStyle(TCropImage::rsNone);
  CropImage1->SetPictureStretch(false);
  CropImage1->SetPictureCrops(true);
  CropImage1->SetShowCells(false);
  rightRow->addWidget(CropImage1, 1);
  auto* side = new QVBoxLayout;
  ListBox1 = new QListWidget(right);
  ListBox1->setObjectName("ListBox1");
  QFont fixed("monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  ListBox1->setFont(fixed);
  ListBox1->setFixedWidth(QFontMetrics(fixed).horizontalAdvance("000  000  (0000)") +
                          ListBox1->verticalScrollBar()->sizeHint().width() + 8);
  side->addWidget(ListBox1, 1);
  BtnFind2 = AddButton(right, "BtnFind2", "Find");
  BtnReplace2 = AddButton(right, "BtnReplace2", "Replace");
  auto* close = AddButton(right, "BtnClose2", "Close");
  auto* help = AddButton(right, "BtnHelp2", "Help");
  for (QPushButton* b : {BtnFind2, BtnReplace2, close, help}) side->addWidget(b);
  rightRow->addLayout(side);
  Splitter1->setStretchFactor(1, 1);

  connect(CropImage1, &TCropImage::ChangeCropPos, this, [this] { form_.Guarded([this] { CropMoved(); }); });
  connect(BtnFind2, &QPushButton::clicked, this, [this] { form_.Guarded([this] { FindCustomClick(); }); });
  connect(BtnReplace2, &QPushButton::clicked, this, [this] { form_.Guarded([this] { ReplaceCustomClick(); }); });
  connect(close, &QPushButton::clicked, this, [this] { CloseClick(); });
  connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kCustomHelpContext); });
  connect(ListBox1, &QListWidget::currentRowChanged, this,
          [this](int line) { form_.Guarded([this, line] { CellLineClicked(line); }); });
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { form_.Guarded([this] { ReplaceCustomClick(); }); });
  return page;
}

bool TManualForma::HasCustomPicture() const { return CropImage1->HasPicture(); }

void TManualForma::OpenCustomPicture(const std::string& fileName) {
  if (!FileExists(fileName)) return;
  const TQVData& lib = form_.QVLib1;
  try {
    CropImage1->SetPictureFileName(fileName);
  } catch (const EQuivara&) {
    return;  // a picture that cannot be read leaves the view as it was
  }
  if (!CropImage1->HasPicture()) return;
  RememberLastPath(settingsPath_, kLastPathSource, fileName);
  const int32_t propX = std::max(lib.PropX, 1), propY = std::max(lib.PropY, 1);
  const Bitmap24& picture = CropImage1->Picture();
  Rect frame = FitRectKeepAspect(Rect{0, 0, propX, propY}, Rect{0, 0, picture.Width(), picture.Height()});
  frame.Right = std::max(frame.Right, frame.Left + 1);
  frame.Bottom = std::max(frame.Bottom, frame.Top + 1);
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetScale(propX, propY);
  CropImage1->SetCropRect(frame);
  ListBox1->clear();
  CropMoved();
}

bool TManualForma::CutCustomTile() {
  if (!CropImage1->HasPicture()) return false;
  const Bitmap24 part = CropImage1->GetCropBitmap(1, 1);
  if (part.Empty()) return false;
  // Kept at the size of the library's thumbnails: the mosaic stores it as the cell's
  // thumbnail, and the output reads the picture file itself.
  const QImage thumb = form_.MosaicView().Thumbnails().RecordPicture(form_.QVLib1, 1, true);
  int32_t w = part.Width(), h = part.Height();
  if (!thumb.isNull()) CustomTileSize(part.Width(), part.Height(), thumb.width(), thumb.height(), w, h);
  CustomTile = Resample(part, w, h, ResampleFilterFromCode(form_.QVLib1.FilterCode));
  return !CustomTile.Empty();
}

void TManualForma::CropMoved() {
  if (!CutCustomTile()) return;
  ListBox1->clear();
  Preview(ToQImage(CustomTile));
}

void TManualForma::FindCustomClick() {
  TQVData& plan = form_.QVPlan1;
  if (!plan.TableIsOpen() || form_.MosaicRunning() || !CutCustomTile()) return;
  QStringList lines;
  std::vector<std::pair<int, int>> cells;
  try {
    plan.OrderByPicture(CustomTile);
    for (int32_t k = 0; k < plan.OrderCount; ++k) {
      int32_t col, row;
      form_.MosaicView().RowToCell(plan.RecordNumberAt(plan.OrderEntrySlot(k)), col, row);
      lines << FromCore(CellRankLine(col, row, k + 1));
      cells.emplace_back(col, row);
    }
  } catch (...) {
    plan.ClearOrder();
    throw;
  }
  plan.ClearOrder();
  const QSignalBlocker quiet(ListBox1);
  ListBox1->clear();
  ListBox1->addItems(lines);
  // Each line keeps its cell, so no grid is too large for the list.
  for (int i = 0; i < ListBox1->count(); ++i) {
    ListBox1->item(i)->setData(Qt::UserRole, cells[size_t(i)].first);
    ListBox1->item(i)->setData(Qt::UserRole + 1, cells[size_t(i)].second);
  }
}

void TManualForma::CellLineClicked(int line) {
  QListWidgetItem* item = ListBox1->item(line);
  if (!item || form_.MosaicRunning()) return;
  const int col = item->data(Qt::UserRole).toInt(), row = item->data(Qt::UserRole + 1).toInt();
  TDrawGrid* grid = form_.MosaicView().DrawGrid1;
  if (col >= grid->ColCount() || row >= grid->RowCount()) return;
  // The main window hears of the new current cell and gives it to CellSelected.
  grid->SetCurrent(col, row);
  if (TargetCol != col || TargetRow != row) {
    TargetCol = col;
    TargetRow = row;
    ShowTargetTile();
  }
  if (!CustomTile.Empty()) Preview(ToQImage(CustomTile));
}

void TManualForma::ReplaceCustomClick() {
  if (TargetCol < 0 || !HasCustomPicture() || Page() != TManualPage::CustomTiles) return;
  ReplaceTarget("Place custom tile");
}

}  // namespace qv
