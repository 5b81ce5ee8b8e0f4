#include "app/DesktopIcons.h"

#include <QPainter>
#include <QPolygonF>
#include <QRectF>
#include <cmath>
#include <vector>

namespace qv {
namespace {

constexpr double kCanvas = 64.0;

// A flat shape: a (rounded) rectangle, or a polygon when Points is not empty.
struct TIconShape {
  QRectF Rect;
  double Radius = 0;
  QPolygonF Points;
  QColor Fill;
  QColor Stroke;  // invalid: no outline
  double StrokeWidth = 0;
};

using TIconShapes = std::vector<TIconShape>;

TIconShape Box(double x, double y, double w, double h, double radius, QColor fill) {
  TIconShape s;
  s.Rect = QRectF(x, y, w, h);
  s.Radius = radius;
  s.Fill = fill;
  return s;
}

// The program: a dark rounded square holding a 5 x 5 mosaic whose bright tiles form a ring
// with a tail (a "Q"), the colours turning around the ring as in the about window's logo.
TIconShapes ProgramIcon() {
  TIconShapes shapes;
  TIconShape back = Box(3, 3, 58, 58, 11, QColor(0x1d, 0x25, 0x30));
  back.Stroke = QColor(0x0d, 0x12, 0x18);
  back.StrokeWidth = 1;
  shapes.push_back(back);
  const int n = 5;
  const double cell = 10.4, x0 = 6, y0 = 6, gap = 1.4;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const double dx = c - 2.0, dy = r - 2.0;
      const double d = std::sqrt(dx * dx + dy * dy);
      const bool tail = (r == 4 && c == 4) || (r == 3 && c == 3);
      const bool ring = d > 0.9 && d < 2.3 && !(r == 3 && c == 3);
      const int hue = (int(std::atan2(dy, dx) * 180 / M_PI + 180) + 190) % 360;
      const QColor fill = ring || tail ? QColor::fromHsv(hue, 170, 235) : QColor::fromHsv(hue, 60, 70);
      shapes.push_back(Box(x0 + c * cell + gap / 2, y0 + r * cell + gap / 2, cell - gap, cell - gap, 1.6, fill));
    }
  }
  return shapes;
}

// A sheet of paper with its top right corner folded down, the base of both file icons.
void Page(TIconShapes& shapes) {
  TIconShape sheet;
  sheet.Points << QPointF(10, 3) << QPointF(41, 3) << QPointF(54, 16) << QPointF(54, 61) << QPointF(10, 61);
  sheet.Fill = QColor(0xfa, 0xfa, 0xf5);
  sheet.Stroke = QColor(0x6a, 0x74, 0x80);
  sheet.StrokeWidth = 1.5;
  shapes.push_back(sheet);
  TIconShape fold;
  fold.Points << QPointF(41, 3) << QPointF(41, 16) << QPointF(54, 16);
  fold.Fill = QColor(0xd4, 0xd9, 0xe0);
  fold.Stroke = sheet.Stroke;
  fold.StrokeWidth = 1.5;
  shapes.push_back(fold);
}

const QColor kTileColours[9] = {QColor(0xd9, 0x5b, 0x43), QColor(0xf2, 0xa6, 0x3b), QColor(0xf2, 0xd0, 0x4b),
                                QColor(0x7f, 0xb0, 0x4e), QColor(0x3f, 0x9c, 0x8f), QColor(0x3a, 0x7b, 0xd5),
                                QColor(0x6c, 0x5b, 0xc9), QColor(0xb9, 0x4f, 0xa8), QColor(0x8a, 0x6a, 0x4a)};

// A project: the page shows a finished 3 x 3 mosaic.
TIconShapes ProjectIcon() {
  TIconShapes shapes;
  Page(shapes);
  const double cell = 11, x0 = 15.5, y0 = 22;
  for (int i = 0; i < 9; ++i)
    shapes.push_back(Box(x0 + (i % 3) * cell + 0.6, y0 + (i / 3) * cell + 0.6, cell - 1.2, cell - 1.2, 1.2,
                         kTileColours[(i * 4) % 9]));
  return shapes;
}

// A tile library: the page lists tiles, each a small picture followed by a line of text.
TIconShapes LibraryIcon() {
  TIconShapes shapes;
  Page(shapes);
  for (int row = 0; row < 3; ++row) {
    const double y = 20 + row * 13.5;
    shapes.push_back(Box(15, y, 10.5, 10.5, 1.2, kTileColours[row * 3 + 1]));
    shapes.push_back(Box(29, y + 2, 20, 2.6, 1, QColor(0x8a, 0x94, 0xa0)));
    shapes.push_back(Box(29, y + 6.5, 13, 2.6, 1, QColor(0xb8, 0xc0, 0xc8)));
  }
  return shapes;
}

TIconShapes IconShapes(const QString& name) {
  if (name == "application-x-quivara-project") return ProjectIcon();
  if (name == "application-x-quivara-library") return LibraryIcon();
  return ProgramIcon();
}

QByteArray SvgColour(const QColor& c) { return c.name(QColor::HexRgb).toLatin1(); }

QByteArray SvgNumber(double v) { return QByteArray::number(v, 'g', 6); }

}  // namespace

QStringList DesktopIconNames() { return {"quivara", "application-x-quivara-project", "application-x-quivara-library"}; }

QString DesktopIconContext(const QString& name) { return name == "quivara" ? "apps" : "mimetypes"; }

QList<int> DesktopIconSizes() { return {16, 24, 32, 48, 64, 128, 256}; }

QImage DrawDesktopIcon(const QString& name, int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kCanvas, size / kCanvas);
  for (const TIconShape& s : IconShapes(name)) {
    if (s.Stroke.isValid()) {
      QPen pen(s.Stroke, s.StrokeWidth);
      pen.setJoinStyle(Qt::RoundJoin);
      p.setPen(pen);
    } else {
      p.setPen(Qt::NoPen);
    }
    p.setBrush(s.Fill);
    if (!s.Points.isEmpty())
      p.drawPolygon(s.Points);
    else
      p.drawRoundedRect(s.Rect, s.Radius, s.Radius);
  }
  return img;
}

QByteArray DesktopIconSvg(const QString& name) {
  QByteArray svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n";
  for (const TIconShape& s : IconShapes(name)) {
    QByteArray paint = "fill=\"" + SvgColour(s.Fill) + "\"";
    if (s.Stroke.isValid())
      paint += " stroke=\"" + SvgColour(s.Stroke) + "\" stroke-width=\"" + SvgNumber(s.StrokeWidth) +
               "\" stroke-linejoin=\"round\"";
    if (!s.Points.isEmpty()) {
      QByteArray points;
      for (const QPointF& pt : s.Points) points += SvgNumber(pt.x()) + "," + SvgNumber(pt.y()) + " ";
      svg += "  <polygon points=\"" + points.trimmed() + "\" " + paint + "/>\n";
    } else {
      svg += "  <rect x=\"" + SvgNumber(s.Rect.x()) + "\" y=\"" + SvgNumber(s.Rect.y()) + "\" width=\"" +
             SvgNumber(s.Rect.width()) + "\" height=\"" + SvgNumber(s.Rect.height()) + "\" rx=\"" +
             SvgNumber(s.Radius) + "\" " + paint + "/>\n";
    }
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace qv
