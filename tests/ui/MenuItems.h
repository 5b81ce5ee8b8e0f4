#pragma once
// What a user sees of a menu: its items in order, hidden ones and collapsed separators left
// out ("-" for a separator).
#include <QAction>
#include <QMenu>
#include <QStringList>

namespace qvtest {

inline QList<QAction*> ShownActions(QMenu* menu) {
  QList<QAction*> shown;
  for (QAction* a : menu->actions())
    if (a->isVisible() && !menu->actionGeometry(a).isEmpty()) shown << a;
  return shown;
}

inline QStringList ShownCaptions(QMenu* menu) {
  QStringList s;
  for (QAction* a : ShownActions(menu)) s << (a->isSeparator() ? "-" : a->text());
  return s;
}

}  // namespace qvtest
