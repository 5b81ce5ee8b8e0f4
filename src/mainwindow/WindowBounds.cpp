#include "mainwindow/WindowBounds.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "base/Geometry.h"
#include "settings/IniFile.h"

namespace qv {

void SaveWindowBounds(const std::string& file, const std::string& section, const std::string& key, const QWidget* w) {
  QRect g = w->geometry();
  Rect r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
  IniWriteString(file, section, key, FormatWindowBounds(r));
}

void RestoreWindowBounds(const std::string& file, const std::string& section, const std::string& key, QWidget* w,
                         bool fixedSize) {
  std::optional<Rect> r = ParseWindowBounds(IniReadString(file, section, key, ""));
  if (!r) return;
  QRect wanted(r->Left, r->Top, fixedSize ? w->width() : r->Width(), fixedSize ? w->height() : r->Height());
  bool onScreen = false;
  for (QScreen* s : QGuiApplication::screens())
    if (s->availableGeometry().intersects(wanted)) onScreen = true;
  if (!onScreen && !QGuiApplication::screens().isEmpty()) return;
  w->setGeometry(wanted);
}

}  // namespace qv
