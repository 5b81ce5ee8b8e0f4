#include "manual/TileList.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "models/LibraryInspectorModel.h"

namespace qv {

namespace {

class TTileRowDelegate : public QStyledItemDelegate {
 public:
  explicit TTileRowDelegate(TTileList& list) : QStyledItemDelegate(&list), list_(list) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!list_.RowAt) return;
    p->save();
    p->setClipRect(option.rect);
    PaintTileRow(*p, option.rect, list_.RowAt(index.row() + 1), list_.PropX, list_.PropY,
                 option.state & QStyle::State_Selected, option.state & QStyle::State_HasFocus, list_);
    p->restore();
  }

 private:
  TTileList& list_;
};

}  // namespace

TTileList::TTileList(QWidget* parent) : QTableView(parent), rows_(new TTileRowsModel(this)) {
  setModel(rows_);
  setItemDelegate(new TTileRowDelegate(*this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setContextMenuPolicy(Qt::CustomContextMenu);
  SetRowHeight(0);
  connect(verticalHeader(), &QHeaderView::sectionResized, this, &TTileList::RowResized);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    const QModelIndex i = indexAt(pos);
    if (!i.isValid()) return;
    SetCurrentRow(i.row() + 1);
    emit RowMenu(i.row() + 1, viewport()->mapToGlobal(pos));
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (current.isValid()) emit RowSelected(current.row() + 1);
  });
}

int TTileList::RowCount() const { return rows_->rowCount(); }

void TTileList::SetRowCount(int rows) {
  rows_->SetRows(std::max(rows, 0));
  verticalHeader()->resizeSections(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

int TTileList::CurrentRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

void TTileList::SetCurrentRow(int row) {
  if (row < 1 || row > RowCount()) return;
  const QModelIndex i = rows_->index(row - 1, 0);
  setCurrentIndex(i);
  selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(i);
}

void TTileList::SetRowHeight(int height) {
  settingRowHeight_ = true;
  QHeaderView* h = verticalHeader();
  h->setMinimumSectionSize(1);
  h->setDefaultSectionSize(InspectorRowHeight(height, QFontMetrics(font()).height()));
  h->resizeSections(QHeaderView::Fixed);
  h->setSectionResizeMode(QHeaderView::Interactive);
  settingRowHeight_ = false;
}

int TTileList::RowHeight() const { return verticalHeader()->defaultSectionSize(); }

void TTileList::RowResized(int, int, int newSize) {
  if (!settingRowHeight_) SetRowHeight(newSize);
}

void TTileList::mousePressEvent(QMouseEvent* e) {
  // A click on the row that is current already chooses it again.
  const int before = CurrentRow();
  QTableView::mousePressEvent(e);
  const QModelIndex i = indexAt(e->position().toPoint());
  if (e->button() == Qt::LeftButton && i.isValid() && i.row() + 1 == before) emit RowSelected(before);
}

void TTileList::mouseDoubleClickEvent(QMouseEvent* e) {
  QTableView::mouseDoubleClickEvent(e);
  const QModelIndex i = indexAt(e->position().toPoint());
  if (e->button() == Qt::LeftButton && i.isValid()) emit RowActivated(i.row() + 1);
}

}  // namespace qv
