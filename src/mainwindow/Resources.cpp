#include "mainwindow/Resources.h"

#include <QtGlobal>

// The resource initialisers live in this library; naming them here keeps them in the link.
static void InitResourcesOnce() {
  Q_INIT_RESOURCE(artwork);
  Q_INIT_RESOURCE(help);
}

namespace qv {

void InitQuivaraResources() {
  static bool done = false;
  if (done) return;
  done = true;
  InitResourcesOnce();
}

QIcon GlyphIcon(const QString& name) {
  InitQuivaraResources();
  return QIcon(":/artwork/" + name + ".png");
}

QPixmap ArtworkPixmap(const QString& name) {
  InitQuivaraResources();
  return QPixmap(":/artwork/" + name + ".png");
}

}  // namespace qv
