// TForm1: the cell pop-up menu CellPopupMenu, shared by the grid and the tool panel. Its
// first three items are the selection's actions or the cell's own items, the rest the best
// candidate tiles for the cell with their thumbnails. It is filled anew at each right click
// and its items keep their captions, tags and handlers until the next.
#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionMenuItem>
#include <QUndoStack>
#include <algorithm>

#include "base/FileUtil.h"
#include "controls/BitmapImage.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/ManualTilesWindow.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/TilePrev.h"
#include "models/CellErasing.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

constexpr int kPopupHelpContext = 11;
// The item pictures: tile thumbnails at a size one can tell them apart by.
constexpr int kItemPictureSize = 40;

// The menu's style with item pictures of kItemPictureSize pixels (menus draw theirs at the
// small icon size, too small to tell tiles apart).
class TPictureMenuStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SmallIconSize) return kItemPictureSize;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// The picture fitted into the item's square, keeping its proportion.
QIcon ItemPicture(const Bitmap24& picture) {
  if (picture.Empty()) return {};
  const QImage fitted =
      ToQImage(picture).scaled(kItemPictureSize, kItemPictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QPixmap square(kItemPictureSize, kItemPictureSize);
  square.fill(Qt::transparent);
  QPainter p(&square);
  p.drawImage((kItemPictureSize - fitted.width()) / 2, (kItemPictureSize - fitted.height()) / 2, fitted);
  p.end();
  return QIcon(square);
}

std::string FlipCodeOf(const TQVData& t) { return FlipCode(t.CropLeft, t.CropTop, t.CropRight, t.CropBottom); }

// The height of a candidate item, a tile picture beside a line of text, as the menu's style
// lays it out.
int CandidateItemHeight(const QMenu& menu) {
  QStyleOptionMenuItem option;
  option.initFrom(&menu);
  option.menuItemType = QStyleOptionMenuItem::Normal;
  option.checkType = QStyleOptionMenuItem::NotCheckable;
  option.text = "Xg";
  QPixmap picture(kItemPictureSize, kItemPictureSize);
  picture.fill(Qt::transparent);
  option.icon = QIcon(picture);
  option.maxIconWidth = kItemPictureSize;
  const QStyle* style = menu.style();
  const int icon = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &menu);
  const QSize content(option.fontMetrics.horizontalAdvance(option.text), std::max(option.fontMetrics.height(), icon));
  return style->sizeFromContents(QStyle::CT_MenuItem, &option, content, &menu).height();
}

// The height the menu's items may take on a screen: its free height less the menu's frame.
// Without a screen (no display at all) a common desktop's height stands in.
int PopupRoom(const QMenu& menu, const QScreen* screen) {
  constexpr int kHeightWithoutScreen = 768;
  const int height = screen ? screen->availableGeometry().height() : kHeightWithoutScreen;
  const QStyle* style = menu.style();
  const int frame = style->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, &menu) +
                    style->pixelMetric(QStyle::PM_MenuVMargin, nullptr, &menu);
  return height - 2 * frame;
}

// The tallest screen: the menu may open on any of them.
const QScreen* TallestScreen() {
  const QScreen* tallest = QGuiApplication::primaryScreen();
  for (const QScreen* s : QGuiApplication::screens())
    if (!tallest || s->availableGeometry().height() > tallest->availableGeometry().height()) tallest = s;
  return tallest;
}

}  // namespace

int32_t TForm1::PopupCandidatesListed(const QScreen* screen) const {
  return CandidatesListed(preferences_.CandidateCount, PopupRoom(*CellPopupMenu1, screen),
                          CandidateItemHeight(*CellPopupMenu1));
}

void TForm1::AddPopupItems(int items) {
  for (int i = int(CellPopupMenu1->actions().size()); i < items; ++i) {
    QAction* a = CellPopupMenu1->addAction(QString());
    a->setObjectName(QString("PopupItem%1").arg(i));
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this, i] { PopupItemClicked(i); });
  }
  if (popupHandlers_.size() < size_t(items)) popupHandlers_.resize(size_t(items), TPopupHandler::None);
}

void TForm1::InitPopUpMenu() {
  if (!CellPopupMenu1) {
    CellPopupMenu1 = new QMenu(this);
    CellPopupMenu1->setObjectName("CellPopupMenu");
    auto* style = new TPictureMenuStyle;
    style->setParent(CellPopupMenu1);
    CellPopupMenu1->setStyle(style);
    SetHelpContext(CellPopupMenu1, kPopupHelpContext);
  }
  CellPopupMenu1->clear();
  popupHandlers_.clear();
  // Items for as many candidates as the tallest screen shows in one column; a right click
  // adds more should the window's screen have more room by then.
  AddPopupItems(PopupCandidatesListed(TallestScreen()) + 3);
}

void TForm1::SetPopupItem(int index, const TPopupItem& item, TPopupHandler handler) {
  const QList<QAction*> actions = CellPopupMenu1->actions();
  if (index < 0 || index >= actions.size()) return;
  QAction* a = actions[index];
  a->setText(FromCore(item.Caption));
  a->setData(item.Tag);
  a->setEnabled(item.Enabled);
  a->setVisible(true);
  a->setIcon(QIcon());
  popupHandlers_[size_t(index)] = handler;
}

void TForm1::ShowPopup(const QPoint& globalPos) { CellPopupMenu1->popup(globalPos); }

void TForm1::PopupItemClicked(int index) {
  const QList<QAction*> actions = CellPopupMenu1->actions();
  if (index < 0 || index >= actions.size() || size_t(index) >= popupHandlers_.size()) return;
  const int32_t tag = actions[index]->data().toInt();
  Guarded([&] {
    switch (popupHandlers_[size_t(index)]) {
      case TPopupHandler::Action:
        OnActionPopUpClick(tag);
        break;
      case TPopupHandler::Original:
        OnOriginalPopUpClick(tag);
        break;
      case TPopupHandler::Delete:
        OnDeletePopUpClick(tag);
        break;
      case TPopupHandler::LibInspector:
        OnLibInspectorPopUpClick(tag);
        break;
      case TPopupHandler::Candidate:
        OnCandidatePopUpClick(tag);
        break;
      case TPopupHandler::None:
        break;
    }
  });
}

// ---- Building the menu ----

void TForm1::FillCellItems(int col, int row, bool withFlipCode) {
  const TQVData& m = QVMosaic1;
  const int32_t n = MosaicView1->CellToRow(row, col);
  const TPopupActions items = CellItems(col, row, n, m.Name, m.PicWidth, m.PicHeight, withFlipCode, FlipCodeOf(m));
  SetPopupItem(0, items[0], TPopupHandler::Original);
  CellPopupMenu1->actions()[0]->setIcon(items[0].Enabled ? ItemPicture(m.ThumbBitmap) : QIcon());
  SetPopupItem(1, items[1], TPopupHandler::Delete);
  SetPopupItem(2, items[2], TPopupHandler::LibInspector);
  // Without a library inspector there is nothing to find the tile in.
  CellPopupMenu1->actions()[2]->setVisible(bool(FindTileInLibraryInspector));
}

bool TForm1::PrepareGridPopup(int col, int row) {
  if (!QVPlan1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return false;
  if (col < 0 || row < 0 || col >= DrawGrid1->ColCount() || row >= DrawGrid1->RowCount()) return false;
  const QList<QAction*> actions = CellPopupMenu1->actions();
  for (int i = 3; i < actions.size(); ++i) actions[i]->setVisible(false);

  const TGridRect sel = DrawGrid1->Selection();
  if (!sel.IsOneCell()) {
    const TPopupActions items =
        SelectionActionItems({sel.Left, sel.Top, sel.Right, sel.Bottom}, ChkInvertSelection->isChecked());
    for (int i = 0; i < 3; ++i) SetPopupItem(i, items[size_t(i)], TPopupHandler::Action);
    actions[2]->setVisible(bool(SaveMosaicCommand));
    return true;
  }

  const int32_t n = MosaicView1->CellToRow(row, col);
  const bool thumbs = QVMosaic1.ShowThumbs;
  if (ManualWindow && ManualWindow->IsShown()) {
    DrawGrid1->SetCurrent(col, row);
    QVMosaic1.ShowThumbs = true;
    QVMosaic1.GoRecord(n);
    QVPlan1.GoRecord(n);
    FillCellItems(col, row, false);
    QVMosaic1.ShowThumbs = thumbs;
    return true;
  }

  // The candidates come from the library in the orientations the "Use tiles: " boxes allow;
  // flipped copies that are still missing are added first.
  if (!QVLib1.TableIsOpen() || !CheckAnyFlip()) return false;
  AddFlips(CBFlipH->isChecked(), CBFlipV->isChecked(), CBRota180->isChecked());
  if (closePending_ || !CheckAnyFlip()) return false;
  QVMosaic1.ShowThumbs = true;
  DrawGrid1->SetCurrent(col, row);
  QVMosaic1.GoRecord(n);
  QVPlan1.GoRecord(n);
  FillCellItems(col, row, true);
  if (preferences_.CandidatePopupAllowed) {
    std::vector<int32_t> usedTiles;
    QVMosaic1.FillUsedTiles(usedTiles, 1);
    // As many as fit on the screen in one column, each with a thumbnail to decode.
    const int32_t listed = PopupCandidatesListed(DrawGrid1->screen());
    AddPopupItems(listed + 3);
    QVLib1.ListCandidates(QVPlan1, usedTiles, Orientations(), CandidatesAsked(listed), SpinRadius2->Value(),
                          DrawGrid1->ColCount(), DrawGrid1->RowCount(), col, row);
    const int32_t shown = CandidatesShown(listed, QVLib1.OrderCount);
    const QList<QAction*> items = CellPopupMenu1->actions();
    candidateRecords_.clear();
    candidateLibrary_ = QVLib1.BaseName();
    for (int32_t k = 1; k <= shown; ++k) {
      if (!QVLib1.Go(k)) break;
      candidateRecords_.push_back(QVLib1.RecNo);
      const TQVData& l = QVLib1;
      SetPopupItem(k + 2, {CandidateCaption(l.Name, l.PicWidth, l.PicHeight, FlipCodeOf(l)), k, true},
                   TPopupHandler::Candidate);
      items[k + 2]->setIcon(ItemPicture(l.ThumbBitmap));
    }
  }
  QVMosaic1.ShowThumbs = thumbs;
  return true;
}

void TForm1::PrepareToolPanelPopup() {
  const TPopupActions items = ToolPanelActionItems();
  for (int i = 0; i < 3; ++i) SetPopupItem(i, items[size_t(i)], TPopupHandler::Action);
  const QList<QAction*> actions = CellPopupMenu1->actions();
  actions[2]->setVisible(bool(SaveMosaicCommand));
  for (int i = 3; i < actions.size(); ++i) actions[i]->setVisible(false);
}

// ---- Handlers ----

void TForm1::GoToCell(int32_t n) {
  if (QVMosaic1.RecNo != n) {
    QVMosaic1.GoRecord(n);
    QVPlan1.GoRecord(n);
  }
}

void TForm1::OnActionPopUpClick(int32_t tag) {
  if (mosaicRunning_) return;
  switch (tag) {
    case kRenderCellsTag:
      SpeedButton7Click();
      break;
    case kEraseCellsTag:
      Eraseselection1Click();
      break;
    case kSaveCellsTag:
      if (SaveMosaicCommand) SaveMosaicCommand();
      break;
    default:
      break;
  }
}

void TForm1::OnOriginalPopUpClick(int32_t tag) {
  if (!QVMosaic1.TableIsOpen() || tag < 1 || tag > QVMosaic1.Count) return;
  GoToCell(tag);
  // The preview needs the cell's stored thumbnail for a tile whose file has gone.
  const bool thumbs = QVMosaic1.ShowThumbs;
  QVMosaic1.ShowThumbs = true;
  QVMosaic1.GoRecord(tag);
  QVMosaic1.ShowThumbs = thumbs;
  TTilePrev::ShowTile(QVMosaic1, settingsPath_, this);
}

void TForm1::OnDeletePopUpClick(int32_t tag) {
  if (!QVPlan1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_ || tag < 1 || tag > QVMosaic1.Count) return;
  GoToCell(tag);
  TCellEditStep step(*this, "Erase cell");
  step.Touch(tag);
  if (EraseCell(QVPlan1, QVMosaic1, tag)) PaintEditedCell(tag);
  step.Commit();
  SetButtonsOnOff();
}

void TForm1::OnLibInspectorPopUpClick(int32_t tag) {
  if (!QVMosaic1.TableIsOpen() || !FindTileInLibraryInspector || tag < 1 || tag > QVMosaic1.Count) return;
  GoToCell(tag);
  FindTileInLibraryInspector(TrimmedName(QVMosaic1.RecordName(tag)));
}

void TForm1::OnCandidatePopUpClick(int32_t tag) {
  if (!QVLib1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  if (tag < 1 || size_t(tag) > candidateRecords_.size() || QVLib1.BaseName() != candidateLibrary_) return;
  // Position tag of the candidate list; the record it showed when another search (the
  // manual tiles window's, the inspector's) has reordered the library since.
  const int32_t record = candidateRecords_[size_t(tag - 1)];
  if (!QVLib1.Go(tag) || QVLib1.RecNo != record) {
    if (record > QVLib1.Count || !QVLib1.GoRecord(record)) return;
  }
  const int32_t n = MosaicView1->CellToRow(DrawGrid1->Row(), DrawGrid1->Col());
  TCellEditStep step(*this, "Replace cell");
  step.Touch(n);
  if (QVMosaic1.PlaceTile(n, QVLib1, true)) PaintEditedCell(n);
  step.Commit();
  SetButtonsOnOff();
}

}  // namespace qv
