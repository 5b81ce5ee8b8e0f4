#include "mainwindow/WindowBounds.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <exception>

#include "base/Geometry.h"
#include "settings/IniFile.h"

namespace qv {

void SaveWindowBounds(const std::string& file, const std::string& section, const std::string& key, const QWidget* w) {
  QRect g = w->geometry();
  Rect r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
  IniWriteString(file, section, key, FormatWindowBounds(r));
}

bool RestoreWindowBounds(const std::string& file, const std::string& section, const std::string& key, QWidget* w,
                         bool fixedSize) {
  std::optional<Rect> r = ParseWindowBounds(IniReadString(file, section, key, ""));
  if (!r) return false;
  QRect wanted(r->Left, r->Top, fixedSize ? w->width() : r->Width(), fixedSize ? w->height() : r->Height());
  bool onScreen = false;
  for (QScreen* s : QGuiApplication::screens())
    if (s->availableGeometry().intersects(wanted)) onScreen = true;
  if (!onScreen && !QGuiApplication::screens().isEmpty()) return false;
  // A fixed-size window is only moved: a size set before it is first shown would keep it
  // from taking the size its laid-out content asks for.
  if (fixedSize)
    w->move(wanted.topLeft());
  else
    w->setGeometry(wanted);
  return true;
}

QRect FirstStartBounds(const QRect& available, const QSize& minimum) {
  const double side = std::sqrt(0.75);
  QSize size(int(std::lround(available.width() * side)), int(std::lround(available.height() * side)));
  size = size.expandedTo(minimum).boundedTo(available.size());
  QRect r(QPoint(0, 0), size);
  r.moveCenter(available.center());
  return r;
}

QRect AvailableArea(const QWidget* w) {
  QScreen* screen = w->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void ResizeToContent(QWidget* w, QSize designed) {
  QSize size = designed.expandedTo(w->sizeHint()).expandedTo(w->minimumSize());
  w->resize(size.boundedTo(AvailableArea(w).size()).expandedTo(w->minimumSize()));
}

void PlaceDialog(QWidget* w, QSize designed, const std::string& file, const std::string& section,
                 const std::string& key) {
  ResizeToContent(w, designed);
  try {
    RestoreWindowBounds(file, section, key, w);
  } catch (const std::exception&) {
    // Damaged bounds in the settings: the window keeps its first size and place.
  }
}

}  // namespace qv
