#pragma once
// The program's pictures, drawn with QPainter: the toolbar and menu glyphs, the logo and the
// banner of the about window. quivara-artwork writes them as PNG files at build time; the
// desktop program carries those files as resources (":/artwork/<name>.png").
#include <QImage>
#include <QString>
#include <QStringList>

namespace qv {

// Names of the glyphs (each drawn at 24 x 24 and at 48 x 48 as "<name>@2x").
QStringList GlyphNames();
QImage DrawGlyph(const QString& name, int size);

QImage DrawSplashLogo();    // 241 x 242
QImage DrawSplashBanner();  // 380 x 137

}  // namespace qv
