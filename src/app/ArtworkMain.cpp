// quivara-artwork OUTDIR: writes the program's pictures as PNG files into OUTDIR, with
// artwork.qrc listing them under the prefix "/artwork" (run at build time; the files become
// resources of the desktop program).
// quivara-artwork --icons OUTDIR: writes the desktop icons as an icon theme tree,
// OUTDIR/hicolor/<n>x<n>/<context>/<name>.png and OUTDIR/hicolor/scalable/<context>/<name>.svg,
// ready to be installed under share/icons.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "app/Artwork.h"
#include "app/DesktopIcons.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool WriteIconTheme(const QDir& out) {
  bool ok = true;
  for (const QString& name : qv::DesktopIconNames()) {
    const QString context = qv::DesktopIconContext(name);
    for (int size : qv::DesktopIconSizes()) {
      const QString dir = QString("hicolor/%1x%1/%2").arg(size).arg(context);
      ok &= out.mkpath(dir) && qv::DrawDesktopIcon(name, size).save(out.filePath(dir + "/" + name + ".png"));
    }
    const QString dir = "hicolor/scalable/" + context;
    ok &= out.mkpath(dir) && WriteFile(out.filePath(dir + "/" + name + ".svg"), qv::DesktopIconSvg(name));
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const bool icons = argc == 3 && QByteArray(argv[1]) == "--icons";
  if (argc != 2 && !icons) {
    std::fprintf(stderr, "usage: quivara-artwork [--icons] OUTDIR\n");
    return 2;
  }
  if (icons) {
    const QDir iconDir(QString::fromLocal8Bit(argv[2]));
    if (iconDir.mkpath(".") && WriteIconTheme(iconDir)) return 0;
    std::fprintf(stderr, "quivara-artwork: cannot write the icons into %s\n", argv[2]);
    return 1;
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
