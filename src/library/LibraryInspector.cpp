#include "library/LibraryInspector.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/FileUtil.h"
#include "controls/BitmapImage.h"
#include "controls/SpinEdits.h"
#include "engine/LibraryMaintenance.h"
#include "engine/QVData.h"
#include "library/TileRowPainter.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/TilePrev.h"
#include "mainwindow/WindowBounds.h"
#include "models/LibraryInspectorModel.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

class TRowDelegate : public QStyledItemDelegate {
 public:
  explicit TRowDelegate(TLibrayMosaic& form) : QStyledItemDelegate(&form), form_(form) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    p->save();
    p->setClipRect(option.rect);
    form_.PaintRow(*p, option.rect, index.row() + 1, option.state & QStyle::State_Selected,
                   option.state & QStyle::State_HasFocus);
    p->restore();
  }

 private:
  TLibrayMosaic& form_;
};

}  // namespace

TLibrayMosaic::TLibrayMosaic(TForm1& mainForm, QWidget* parent)
    : QDialog(parent ? parent : &mainForm), main_(mainForm), lib_(mainForm.QVLib1) {
  setObjectName("LibrayMosaic");
  setWindowTitle("Library inspector");
  SetHelpContext(this, kHelpContext);
  thumbs_.setMaxCost(4000);
  CreateControls();
  Timer1.setInterval(50);
  connect(&Timer1, &QTimer::timeout, this, [this] { SampleTimerTick(); });
  ResizeToContent(this, QSize(760, 560));
  try {
    RestoreWindowBounds(main_.SettingsPath(), "LayOut", "LibraryInspector", this);
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

TLibrayMosaic::~TLibrayMosaic() { SaveWindowBounds(main_.SettingsPath(), "LayOut", "LibraryInspector", this); }

void TLibrayMosaic::CreateControls() {
  auto* layout = new QVBoxLayout(this);

  // The bar of a long pass (a search, a command), hidden between passes.
  passPanel_ = new QWidget(this);
  passPanel_->setObjectName("PassPanel");
  auto* passRow = new QHBoxLayout(passPanel_);
  passRow->setContentsMargins(0, 0, 0, 0);
  LabelPass = new QLabel(passPanel_);
  LabelPass->setObjectName("LabelPass");
  ProgressBar1 = new QProgressBar(passPanel_);
  ProgressBar1->setObjectName("ProgressBar1");
  BtnStopPass = new QPushButton("Stop search", passPanel_);
  BtnStopPass->setObjectName("BtnStopPass");
  passRow->addWidget(LabelPass);
  passRow->addWidget(ProgressBar1, 1);
  passRow->addWidget(BtnStopPass);
  passPanel_->hide();
  connect(BtnStopPass, &QPushButton::clicked, this, [this] { StopPass(); });
  layout->addWidget(passPanel_);

  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  left->addWidget(Label1);
  DrawGrid1 = new QTableView(this);
  DrawGrid1->setObjectName("DrawGrid1");
  rows_ = new TTileRowsModel(this);  // one row per unflipped tile
  DrawGrid1->setModel(rows_);
  DrawGrid1->setItemDelegate(new TRowDelegate(*this));
  DrawGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  DrawGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  DrawGrid1->horizontalHeader()->setStretchLastSection(true);
  DrawGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  DrawGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  DrawGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  DrawGrid1->installEventFilter(this);
  const int lineHeight = QFontMetrics(font()).height();
  DrawGrid1->verticalHeader()->setDefaultSectionSize(InspectorRowHeight(lineHeight, lineHeight));
  connect(DrawGrid1, &QWidget::customContextMenuRequested, this, &TLibrayMosaic::RowContextMenu);
  connect(DrawGrid1->verticalHeader(), &QHeaderView::sectionResized, this, &TLibrayMosaic::RowResized);
  left->addWidget(DrawGrid1, 1);
  Label4 = new QLabel(this);
  Label4->setObjectName("Label4");
  Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
  left->addWidget(Label4);
  body->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(CreateMosaicGroup());
  auto* flips = new QGroupBox("Tile Flips", this);
  auto* flipsRow = new QHBoxLayout(flips);
  BtnAddFlips = new QPushButton("Add flips", flips);
  BtnAddFlips->setObjectName("BtnAddFlips");
  BtnRemoveFlips = new QPushButton("Remove flips", flips);
  BtnRemoveFlips->setObjectName("BtnRemoveFlips");
  flipsRow->addWidget(BtnAddFlips);
  flipsRow->addWidget(BtnRemoveFlips);
  right->addWidget(flips);
  auto* sampling = new QGroupBox("Library Sampling", this);
  auto* samplingRow = new QVBoxLayout(sampling);
  BtnResample = new QPushButton("Resample library...", sampling);
  BtnResample->setObjectName("BtnResample");
  samplingRow->addWidget(BtnResample);
  right->addWidget(sampling);
  auto* add = new QGroupBox("Add Tile Pictures", this);
  auto* addCol = new QVBoxLayout(add);
  BtnAppend = new QPushButton("Append images from folder...", add);
  BtnAppend->setObjectName("BtnAppend");
  BtnCleanDouble = new QPushButton("Clean double Path+Name", add);
  BtnCleanDouble->setObjectName("BtnCleanDouble");
  BtnRemoveDeleted = new QPushButton("Remove deleted tiles", add);
  BtnRemoveDeleted->setObjectName("BtnRemoveDeleted");
  for (QPushButton* b : {BtnAppend, BtnCleanDouble, BtnRemoveDeleted}) addCol->addWidget(b);
  right->addWidget(add);
  right->addStretch();
  auto* bottom = new QHBoxLayout;
  SpeedButton2 = new QPushButton("Help", this);
  SpeedButton2->setObjectName("SpeedButton2");
  BtnClose = new QPushButton("Close", this);
  BtnClose->setObjectName("BtnClose");
  bottom->addWidget(SpeedButton2);
  bottom->addWidget(BtnClose);
  right->addLayout(bottom);
  body->addLayout(right);
  layout->addLayout(body, 1);

  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  auto guarded = [this](QPushButton* b, auto handler) {
    connect(b, &QPushButton::clicked, this, [this, handler] {
      try {
        (this->*handler)();
      } catch (const std::exception& e) {
        ShowException(e);
      }
    });
  };
  guarded(BtnCreate, &TLibrayMosaic::CreateClick);
  guarded(BtnAddFlips, &TLibrayMosaic::AddFlipsClick);
  guarded(BtnRemoveFlips, &TLibrayMosaic::RemoveFlipsClick);
  guarded(BtnResample, &TLibrayMosaic::ResampleClick);
  guarded(BtnAppend, &TLibrayMosaic::AppendClick);
  guarded(BtnCleanDouble, &TLibrayMosaic::CleanDoubleClick);
  connect(BtnRemoveDeleted, &QPushButton::clicked, this, [this] {
    try {
      RemoveDeletedClick();
    } catch (const std::exception& e) {
      ShowException(e);
    }
  });
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::close);
  connect(SpeedButton2, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
}

QGroupBox* TLibrayMosaic::CreateMosaicGroup() {
  GroupBox2 = new QGroupBox("Make Mosaic from Library", this);
  GroupBox2->setObjectName("GroupBox2");
  auto* grid = new QGridLayout(GroupBox2);
  VNSpinEdit1 = new TVNSpinEdit(1, 65535, 1, 1, GroupBox2);
  VNSpinEdit1->setObjectName("VNSpinEdit1");
  VNSpinEdit2 = new TVNSpinEdit(1, 65535, 1, 1, GroupBox2);
  VNSpinEdit2->setObjectName("VNSpinEdit2");
  grid->addWidget(new QLabel("Columns:", GroupBox2), 0, 0);
  grid->addWidget(VNSpinEdit1, 0, 1);
  grid->addWidget(new QLabel("Rows:", GroupBox2), 1, 0);
  grid->addWidget(VNSpinEdit2, 1, 1);
  auto* orderBox = new QGroupBox("Tile order", GroupBox2);
  auto* orderCol = new QVBoxLayout(orderBox);
  order_ = new QButtonGroup(this);
  const char* captions[4] = {"as is", "by file path and name", "by file name only", "by color difference with sample "};
  const char* names[4] = {"RadioButtonAsIs", "RadioButtonPath", "RadioButtonName", "RadioButtonColor"};
  for (int i = 0; i < 4; ++i) {
    orderButtons_[i] = new QRadioButton(captions[i], orderBox);
    orderButtons_[i]->setObjectName(names[i]);
    order_->addButton(orderButtons_[i], i);
  }
  orderButtons_[0]->setChecked(true);
  for (int i = 0; i < 3; ++i) orderCol->addWidget(orderButtons_[i]);
  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(orderButtons_[3]);
  Shape1 = new QToolButton(orderBox);
  Shape1->setObjectName("Shape1");
  Shape1->setFixedSize(24, 18);
  Shape1->setToolTip("Click to choose the sample colour");
  SpeedButton1 = new QToolButton(orderBox);
  SpeedButton1->setObjectName("SpeedButton1");
  SpeedButton1->setCheckable(true);
  SpeedButton1->hide();  // the screen colour sampler has no place in the form
  colorRow->addWidget(Shape1);
  colorRow->addWidget(SpeedButton1);
  colorRow->addStretch();
  orderCol->addLayout(colorRow);
  grid->addWidget(orderBox, 2, 0, 1, 2);
  BtnCreate = new QPushButton("Create", GroupBox2);
  BtnCreate->setObjectName("BtnCreate");
  grid->addWidget(BtnCreate, 3, 0, 1, 2);
  SetSampleColor(sample_);
  Shape1->hide();

  connect(order_, &QButtonGroup::idToggled, this,
          [this](int, bool) { Shape1->setVisible(orderButtons_[3]->isChecked()); });
  connect(Shape1, &QToolButton::clicked, this, [this] {
    if (auto c = Prompts().ChooseColor(sample_)) SetSampleColor(*c);
  });
  connect(SpeedButton1, &QToolButton::toggled, this, [this](bool on) { on ? Timer1.start() : Timer1.stop(); });
  connect(VNSpinEdit1, &QSpinBox::valueChanged, this, &TLibrayMosaic::ColumnsChanged);
  connect(VNSpinEdit2, &QSpinBox::valueChanged, this, &TLibrayMosaic::RowsChanged);
  return GroupBox2;
}

void TLibrayMosaic::SetSampleColor(const QColor& c) {
  sample_ = c;
  Shape1->setStyleSheet(QString("background: %1; border: 1px solid black;").arg(c.name()));
}

void TLibrayMosaic::SampleTimerTick() {
  const QPoint at = QCursor::pos();
  if (QScreen* screen = QGuiApplication::screenAt(at)) {
    const QImage pixel = screen->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    if (!pixel.isNull()) SetSampleColor(pixel.pixelColor(0, 0));
  }
}

// ---- Library information and rows ----

void TLibrayMosaic::ShowLibInfo() {
  TLibrarySummaryValues v;
  v.UnflippedCount = lib_.UnflippedCount;
  std::copy(lib_.FlipKinds, lib_.FlipKinds + 3, v.FlipKinds);
  v.ColorSystemName = lib_.ColorSystemName();
  v.PropX = lib_.PropX;
  v.PropY = lib_.PropY;
  v.GridW = lib_.GridW;
  v.GridH = lib_.GridH;
  Label1->setText(FromCore(LibrarySummaryLine(v)));
  Label4->setText("Lib: " + QFileInfo(FromCore(lib_.BaseName())).absoluteFilePath());
}

void TLibrayMosaic::SetTileRows() {
  thumbs_.clear();
  rows_->SetRows(lib_.TableIsOpen() ? lib_.UnflippedCount : 0);
  const int tiles = std::max(lib_.UnflippedCount, 1);
  VNSpinEdit1->setMaximum(tiles);
  VNSpinEdit2->setMaximum(tiles);
  VNSpinEdit1->SetValue(InitialColumns(lib_.UnflippedCount));
  ColumnsChanged(VNSpinEdit1->Value());
  UpdateCommands();
}

void TLibrayMosaic::Refresh() {
  ShowLibInfo();
  const int keep = CurrentTile();
  SetTileRows();
  if (keep > 0) SelectTile(std::min(keep, lib_.UnflippedCount));
  main_.ShowStatus();
  main_.SetButtonsOnOff();
}

void TLibrayMosaic::ColumnsChanged(int columns) {
  if (settingSides_) return;
  settingSides_ = true;
  VNSpinEdit2->SetValue(CoveringSide(lib_.UnflippedCount, columns));
  settingSides_ = false;
}

void TLibrayMosaic::RowsChanged(int rows) {
  if (settingSides_) return;
  settingSides_ = true;
  VNSpinEdit1->SetValue(CoveringSide(lib_.UnflippedCount, rows));
  settingSides_ = false;
}

void TLibrayMosaic::RowResized(int, int, int newSize) {
  // A row resized by the user sets the height of every row, at least three lines of text.
  if (settingRowHeight_) return;
  settingRowHeight_ = true;
  QHeaderView* h = DrawGrid1->verticalHeader();
  const int height = InspectorRowHeight(newSize, QFontMetrics(font()).height());
  h->setDefaultSectionSize(height);
  h->resizeSections(QHeaderView::Fixed);
  h->setSectionResizeMode(QHeaderView::Interactive);
  settingRowHeight_ = false;
}

int TLibrayMosaic::CurrentTile() const {
  const QModelIndex i = DrawGrid1->currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

void TLibrayMosaic::SelectTile(int tile) {
  if (tile < 1 || tile > rows_->rowCount()) return;
  const QModelIndex i = rows_->index(tile - 1, 0);
  DrawGrid1->setCurrentIndex(i);
  DrawGrid1->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QImage TLibrayMosaic::ThumbnailOf(int tile) {
  if (QImage* cached = thumbs_.object(tile)) return *cached;
  lib_.GoRecord(tile);
  QImage image = ToQImage(lib_.ThumbBitmap);
  thumbs_.insert(tile, new QImage(image));
  return image;
}

void TLibrayMosaic::PaintRow(QPainter& p, const QRect& rect, int tile, bool selected, bool focused) {
  if (tile < 1 || tile > lib_.UnflippedCount) return;
  TTileRow row;
  row.Thumbnail = ThumbnailOf(tile);
  lib_.GoRecord(tile);
  row.Title = FromCore(ExtractFileName(lib_.Name)) + QString(" (Rec.#%1)").arg(tile);
  row.Path = FromCore(lib_.Name);
  row.PicWidth = lib_.PicWidth;
  row.PicHeight = lib_.PicHeight;
  row.Deleted = lib_.PicDeleted();
  PaintTileRow(p, rect, row, lib_.PropX, lib_.PropY, selected, focused, *DrawGrid1);
}

// ---- Pop-up menu, Del key, preview ----

QMenu* TLibrayMosaic::PopupFor(int tile) {
  delete popup_;
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  SetHelpContext(popup_, kPopupHelpContext);
  lib_.GoRecord(tile);
  const bool named = !QString::fromStdString(lib_.Name).trimmed().isEmpty();
  QAction* show =
      popup_->addAction(QIcon(QPixmap::fromImage(ThumbnailOf(tile))),
                        FromCore("Show file " + ExtractFileName(lib_.Name) + " (" + std::to_string(lib_.PicWidth) +
                                 "/" + std::to_string(lib_.PicHeight) + ")"));
  show->setObjectName("ShowFile1");
  show->setEnabled(named);
  connect(show, &QAction::triggered, this, [this, tile] { ShowFile(tile); });
  QAction* del = popup_->addAction(lib_.PicDeleted() ? "Restore this tile (Del)" : "Mark deleted this tile (Del)");
  del->setObjectName("DeleteTile1");
  del->setEnabled(named);
  connect(del, &QAction::triggered, this, [this, tile] { ToggleDeleted(tile); });
  return popup_;
}

void TLibrayMosaic::RowContextMenu(const QPoint& pos) {
  if (passRunning_) return;
  const QModelIndex i = DrawGrid1->indexAt(pos);
  if (!i.isValid()) return;
  SelectTile(i.row() + 1);
  PopupFor(i.row() + 1)->popup(DrawGrid1->viewport()->mapToGlobal(pos));
}

void TLibrayMosaic::ToggleDeleted(int tile) {
  if (tile < 1 || tile > lib_.UnflippedCount) return;
  SetTileDeleted(lib_, tile, !TileDeleted(lib_, tile));
  DrawGrid1->viewport()->update();
  UpdateCommands();
}

void TLibrayMosaic::ShowFile(int tile) {
  if (tile < 1 || tile > lib_.UnflippedCount) return;
  lib_.GoRecord(tile);
  TTilePrev::ShowTile(lib_, main_.SettingsPath(), this);
}

bool TLibrayMosaic::eventFilter(QObject* watched, QEvent* e) {
  if (watched == DrawGrid1 && e->type() == QEvent::KeyPress && !passRunning_) {
    if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
      ToggleDeleted(CurrentTile());
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

// ---- Long passes ----

void TLibrayMosaic::UpdateCommands() {
  const bool idle = !passRunning_ && lib_.TableIsOpen();
  for (QWidget* w : std::initializer_list<QWidget*>{BtnCreate, BtnAddFlips, BtnResample, BtnAppend, BtnCleanDouble,
                                                    GroupBox2, BtnClose})
    w->setEnabled(idle);
  BtnRemoveFlips->setEnabled(idle && lib_.Count > lib_.UnflippedCount);
  BtnRemoveDeleted->setEnabled(idle && lib_.Modified);
  DrawGrid1->setEnabled(!passRunning_);
}

void TLibrayMosaic::BeginPass(const QString& text, const QString& stopCaption, int maximum) {
  passRunning_ = true;
  stopRequested_ = false;
  LabelPass->setText(text);
  BtnStopPass->setText(stopCaption);
  ProgressBar1->setRange(0, std::max(maximum, 1));
  ProgressBar1->setValue(0);
  passPanel_->show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  UpdateCommands();
}

void TLibrayMosaic::StepPass(int value) {
  ProgressBar1->setValue(std::min(value, ProgressBar1->maximum()));
  QCoreApplication::processEvents();
}

void TLibrayMosaic::EndPass() {
  QApplication::restoreOverrideCursor();
  passPanel_->hide();
  passRunning_ = false;
  UpdateCommands();
}

// ---- Search ----

void TLibrayMosaic::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // Looked for once per opening: a search that ends with a message would otherwise start
  // again each time the message box gives the window back its focus.
  if (!SearchFileName.empty() && !searchedOnce_) {
    searchedOnce_ = true;
    QTimer::singleShot(0, this, [this] { FindTile(SearchFileName); });
  }
}

bool TLibrayMosaic::FindTile(const std::string& fileName) {
  if (passRunning_ || !lib_.TableIsOpen()) return false;
  DrawGrid1->hide();
  lib_.ClearOrder();
  BeginPass("Searching...", "Stop search", lib_.Count);
  int32_t found = 0;
  for (int32_t n = 1; n <= lib_.Count; ++n) {
    if ((n & 63) == 1) StepPass(n);
    if (stopRequested_) break;
    if (lib_.RecordName(n) == fileName) {
      found = n;
      break;
    }
  }
  const bool stopped = stopRequested_ && found == 0;
  EndPass();
  DrawGrid1->show();
  const QString name = FromCore(fileName);
  if (found > 0) {
    const int tile = lib_.TileNumberOf(found);
    lib_.GoRecord(found);
    SelectTile(tile);
    DrawGrid1->scrollTo(rows_->index(tile - 1, 0), QAbstractItemView::PositionAtTop);
  } else if (stopped) {
    Prompts().Message(
        {"Search for file\r" + name + "\rwas stopped by user.", kApplicationTitle, TPromptIcon::Warning, pbOK, pbOK});
  } else {
    SelectTile(1);
    DrawGrid1->scrollToTop();
    Prompts().Message({"File\r" + name +
                           "\rwas not found in the current library.\rIt seems that this file was added as a custom "
                           "tile\ror belongs to another library.",
                       kApplicationTitle, TPromptIcon::Warning, pbOK, pbOK});
  }
  DrawGrid1->setFocus();
  return found > 0;
}

// ---- Closing ----

void TLibrayMosaic::DiscardChanges() {
  if (!lib_.Modified) return;
  // The file as it was written; a file that has gone keeps the table as it is.
  const std::string name = lib_.BaseName();
  lib_.Open(name, 0);
}

void TLibrayMosaic::reject() {
  if (passRunning_) {
    StopPass();
    return;
  }
  if (lib_.TableIsOpen() && lib_.Modified) {
    const TPromptButton answer = Prompts().Message({"Library was changed.\rSave before exit?", kApplicationTitle,
                                                    TPromptIcon::Question, pbYes | pbNo | pbCancel, pbNo});
    if (answer == pbCancel) return;
    if (answer == pbYes) {
      bool saved = false;
      try {
        saved = RemoveDeletedClick();
      } catch (const std::exception& ex) {
        ShowException(ex);
      }
      if (!saved) return;  // nothing is lost: the window stays with the changes
    } else {
      try {
        DiscardChanges();
      } catch (const std::exception& ex) {
        ShowException(ex);
      }
    }
  }
  Timer1.stop();
  QDialog::reject();
}

}  // namespace qv
