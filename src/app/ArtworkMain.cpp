// quivara-artwork OUTDIR: writes the program's pictures as PNG files into OUTDIR, with
// artwork.qrc listing them under the prefix "/artwork" (run at build time; the files become
// resources of the desktop program).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "app/Artwork.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quivara-artwork OUTDIR\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(".")) return 1;
  bool ok = true;
  QStringList files;
  auto save = [&](const QImage& img, const QString& file) {
    ok &= img.save(out.filePath(file));
    files << file;
  };
  for (const QString& name : qv::GlyphNames()) {
    save(qv::DrawGlyph(name, 24), name + ".png");
    save(qv::DrawGlyph(name, 48), name + "@2x.png");
  }
  save(qv::DrawSplashLogo(), "logo.png");
  save(qv::DrawSplashBanner(), "banner.png");
  QFile qrc(out.filePath("artwork.qrc"));
  if (qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    QByteArray text = "<RCC>\n  <qresource prefix=\"/artwork\">\n";
    for (const QString& f : files) text += "    <file>" + f.toUtf8() + "</file>\n";
    text += "  </qresource>\n</RCC>\n";
    ok &= qrc.write(text) == text.size();
  } else {
    ok = false;
  }
  if (!ok) std::fprintf(stderr, "quivara-artwork: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
