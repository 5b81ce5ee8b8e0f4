#pragma once
// The program's compiled-in resources: the glyphs and about-window pictures (":/artwork/"),
// and the help pages (":/help/").
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace qv {

// Registers the resources (once); every window that uses them calls it first.
void InitQuivaraResources();
// A toolbar or menu glyph by name ("openproject", "zoomin"...).
QIcon GlyphIcon(const QString& name);
// One of the about window's pictures ("logo", "banner").
QPixmap ArtworkPixmap(const QString& name);

}  // namespace qv
