#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>
#include <map>

namespace qv {
namespace {

const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kBlue(0x3a, 0x7b, 0xd5);
const QColor kLightBlue(0xa8, 0xcb, 0xf0);
const QColor kGreen(0x3c, 0x9a, 0x48);
const QColor kRed(0xd2, 0x3c, 0x3c);
const QColor kYellow(0xf2, 0xc2, 0x30);
const QColor kOrange(0xe8, 0x89, 0x2c);
const QColor kPaper(0xfa, 0xfa, 0xf5);

// Nine tile colours for the small mosaic glyphs.
const QColor kTiles[9] = {QColor(0xd9, 0x5b, 0x43), QColor(0xf2, 0xa6, 0x3b), QColor(0xf2, 0xd0, 0x4b),
                          QColor(0x7f, 0xb0, 0x4e), QColor(0x3f, 0x9c, 0x8f), QColor(0x3a, 0x7b, 0xd5),
                          QColor(0x6c, 0x5b, 0xc9), QColor(0xb9, 0x4f, 0xa8), QColor(0x8a, 0x6a, 0x4a)};

using GlyphPainter = std::function<void(QPainter&)>;

QPen Outline(double w = 1.5, QColor c = kInk) {
  QPen p(c, w);
  p.setJoinStyle(Qt::RoundJoin);
  p.setCapStyle(Qt::RoundCap);
  return p;
}

// A 3 x 3 mosaic in the square (x, y, s); filled[i] says which of the nine tiles show.
void Mosaic(QPainter& p, double x, double y, double s, const bool filled[9]) {
  double c = s / 3.0;
  for (int i = 0; i < 9; ++i) {
    QRectF r(x + (i % 3) * c, y + (i / 3) * c, c, c);
    p.setPen(Qt::NoPen);
    p.setBrush(filled[i] ? kTiles[i] : QColor(0xe4, 0xe8, 0xec));
    p.drawRect(r.adjusted(0.4, 0.4, -0.4, -0.4));
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(Outline(1.2));
  p.drawRect(QRectF(x, y, s, s));
}

// A white bold letter on a disc filling the icon.
void LetterDisc(QPainter& p, QColor rim, QColor fill, const char* family, const char* letter) {
  p.setPen(Outline(1.2, rim));
  p.setBrush(fill);
  p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
  QFont f(family);
  f.setPixelSize(14);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, letter);
}

void Picture(QPainter& p, QRectF r) {
  p.setPen(Outline(1.4));
  p.setBrush(kLightBlue);
  p.drawRoundedRect(r, 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kYellow);
  p.drawEllipse(QPointF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.3), r.width() * 0.1, r.width() * 0.1);
  QPainterPath hills;
  hills.moveTo(r.left() + 1, r.bottom() - 1);
  hills.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.45);
  hills.lineTo(r.left() + r.width() * 0.6, r.top() + r.height() * 0.75);
  hills.lineTo(r.left() + r.width() * 0.75, r.top() + r.height() * 0.6);
  hills.lineTo(r.right() - 1, r.bottom() - 1);
  hills.closeSubpath();
  p.setBrush(kGreen);
  p.drawPath(hills);
}

void Folder(QPainter& p, QColor fill = kYellow) {
  QPainterPath f;
  f.moveTo(2.5, 6);
  f.lineTo(9, 6);
  f.lineTo(11, 8);
  f.lineTo(21.5, 8);
  f.lineTo(21.5, 19.5);
  f.lineTo(2.5, 19.5);
  f.closeSubpath();
  p.setPen(Outline(1.4));
  p.setBrush(fill);
  p.drawPath(f);
}

void Book(QPainter& p, QRectF r, QColor cover) {
  p.setPen(Outline(1.4));
  p.setBrush(cover);
  p.drawRoundedRect(r, 1.2, 1.2);
  p.setPen(Outline(1.2, kPaper));
  p.drawLine(QPointF(r.left() + 2.5, r.top() + 1.5), QPointF(r.left() + 2.5, r.bottom() - 1.5));
  // small mosaic on the cover
  p.setPen(Qt::NoPen);
  double c = r.width() * 0.18;
  for (int i = 0; i < 4; ++i) {
    p.setBrush(kTiles[(i * 2) % 9]);
    p.drawRect(
        QRectF(r.left() + r.width() * 0.4 + (i % 2) * c, r.top() + r.height() * 0.25 + (i / 2) * c, c - 0.3, c - 0.3));
  }
}

void Badge(QPainter& p, QPointF centre, QColor fill, const std::function<void(QPainter&)>& mark) {
  p.setPen(Outline(1.2, Qt::white));
  p.setBrush(fill);
  p.drawEllipse(centre, 5.5, 5.5);
  p.save();
  p.translate(centre);
  mark(p);
  p.restore();
}

void PlusMark(QPainter& p) {
  p.setPen(Outline(1.8, Qt::white));
  p.drawLine(QPointF(-3, 0), QPointF(3, 0));
  p.drawLine(QPointF(0, -3), QPointF(0, 3));
}

void Magnifier(QPainter& p, int sign) {
  p.setPen(Outline(2.6, kInk));
  p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
  p.setPen(Outline(1.6));
  p.setBrush(QColor(0xe8, 0xf2, 0xfc));
  p.drawEllipse(QPointF(10, 10), 7, 7);
  p.setPen(Outline(2.0, kBlue));
  p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
  if (sign > 0) p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
}

void Floppy(QPainter& p) {
  QPainterPath d;
  d.moveTo(3, 3);
  d.lineTo(18, 3);
  d.lineTo(21, 6);
  d.lineTo(21, 21);
  d.lineTo(3, 21);
  d.closeSubpath();
  p.setPen(Outline(1.4));
  p.setBrush(kBlue);
  p.drawPath(d);
  p.setBrush(kPaper);
  p.setPen(Outline(1.0));
  p.drawRect(QRectF(6.5, 3, 10, 6.5));
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRect(QRectF(13, 4.2, 2.2, 4));
  p.setBrush(kPaper);
  p.setPen(Outline(1.0));
  p.drawRect(QRectF(6, 13, 12, 8));
}

void Eye(QPainter& p) {
  QPainterPath e;
  e.moveTo(2.5, 12);
  e.quadTo(12, 2.5, 21.5, 12);
  e.quadTo(12, 21.5, 2.5, 12);
  p.setPen(Outline(1.4));
  p.setBrush(kPaper);
  p.drawPath(e);
  p.setBrush(kBlue);
  p.drawEllipse(QPointF(12, 12), 3.6, 3.6);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(12, 12), 1.5, 1.5);
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c, double w = 2.0) {
  p.setPen(Outline(w, c));
  p.drawLine(from, to);
  double a = std::atan2(to.y() - from.y(), to.x() - from.x());
  double h = 4.0;
  p.drawLine(to, to - QPointF(h * std::cos(a - 0.6), h * std::sin(a - 0.6)));
  p.drawLine(to, to - QPointF(h * std::cos(a + 0.6), h * std::sin(a + 0.6)));
}

const std::map<QString, GlyphPainter>& Glyphs() {
  static const std::map<QString, GlyphPainter> glyphs = {
      {"wizard",
       [](QPainter& p) {
         p.setPen(Outline(2.6, kInk));
         p.drawLine(QPointF(4, 20), QPointF(14, 10));
         p.setPen(Outline(2.6, kPaper));
         p.drawLine(QPointF(13, 11), QPointF(14, 10));
         QPainterPath star;
         for (int i = 0; i < 10; ++i) {
           double r = (i % 2) ? 2.4 : 5.8, a = -M_PI / 2 + i * M_PI / 5;
           QPointF q(17 + r * std::cos(a), 7 + r * std::sin(a));
           i ? star.lineTo(q) : star.moveTo(q);
         }
         star.closeSubpath();
         p.setPen(Outline(1.0, kOrange));
         p.setBrush(kYellow);
         p.drawPath(star);
       }},
      {"newlibrary",
       [](QPainter& p) {
         Book(p, QRectF(3, 2.5, 13, 18), kBlue);
         Badge(p, QPointF(17.5, 17.5), kGreen, PlusMark);
       }},
      {"openlibrary",
       [](QPainter& p) {
         Folder(p);
         Book(p, QRectF(9, 9.5, 9, 10), kBlue);
       }},
      {"openimage",
       [](QPainter& p) {
         Folder(p);
         Picture(p, QRectF(8, 10, 12, 9));
       }},
      {"openproject",
       [](QPainter& p) {
         Folder(p);
         const bool all[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
         Mosaic(p, 9, 10, 9, all);
       }},
      {"saveproject", [](QPainter& p) { Floppy(p); }},
      {"saveprojectas",
       [](QPainter& p) {
         Floppy(p);
         p.setPen(Outline(3.0, kOrange));
         p.drawLine(QPointF(12, 20), QPointF(21, 11));
         p.setPen(Outline(1.0, kInk));
         p.drawLine(QPointF(10.5, 21.5), QPointF(12, 20));
       }},
      {"render",
       [](QPainter& p) {
         const bool all[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
         Mosaic(p, 3, 3, 18, all);
       }},
      {"mosaicall",
       [](QPainter& p) {
         const bool top[9] = {1, 1, 1, 1, 1, 0, 0, 0, 0};
         Mosaic(p, 3, 3, 18, top);
         Arrow(p, QPointF(9, 15), QPointF(19, 15), kInk, 1.6);
       }},
      {"randommosaic",
       [](QPainter& p) {
         const bool some[9] = {1, 0, 1, 0, 1, 0, 0, 1, 0};
         Mosaic(p, 3, 3, 18, some);
       }},
      {"smartmosaic",
       [](QPainter& p) {
         const bool centre[9] = {0, 1, 0, 1, 1, 1, 0, 1, 0};
         Mosaic(p, 3, 3, 18, centre);
       }},
      {"manual",
       [](QPainter& p) {
         const bool one[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
         Mosaic(p, 2.5, 2.5, 15, one);
         QPainterPath cursor;
         cursor.moveTo(11, 10);
         cursor.lineTo(11, 22);
         cursor.lineTo(14, 19);
         cursor.lineTo(16.5, 23);
         cursor.lineTo(18.5, 22);
         cursor.lineTo(16, 18);
         cursor.lineTo(20, 17.5);
         cursor.closeSubpath();
         p.setPen(Outline(1.2));
         p.setBrush(Qt::white);
         p.drawPath(cursor);
       }},
      {"savemosaic",
       [](QPainter& p) {
         Picture(p, QRectF(2.5, 3, 15, 12));
         Badge(p, QPointF(17.5, 17.5), kBlue, [](QPainter& q) {
           q.setPen(Outline(1.6, Qt::white));
           q.drawLine(QPointF(0, -3), QPointF(0, 3));
           q.drawLine(QPointF(-2.5, 0.5), QPointF(0, 3));
           q.drawLine(QPointF(2.5, 0.5), QPointF(0, 3));
         });
       }},
      {"stop",
       [](QPainter& p) {
         QPolygonF oct;
         for (int i = 0; i < 8; ++i) {
           double a = M_PI / 8 + i * M_PI / 4;
           oct << QPointF(12 + 9.5 * std::cos(a), 12 + 9.5 * std::sin(a));
         }
         p.setPen(Outline(1.2, QColor(0x8a, 0x1c, 0x1c)));
         p.setBrush(kRed);
         p.drawPolygon(oct);
         p.setPen(Outline(2.6, Qt::white));
         p.drawLine(QPointF(7.5, 12), QPointF(16.5, 12));
       }},
      {"exit",
       [](QPainter& p) {
         p.setPen(Outline(1.4));
         p.setBrush(QColor(0xb8, 0x86, 0x50));
         p.drawRect(QRectF(4, 3, 10, 18));
         p.setPen(Qt::NoPen);
         p.setBrush(kInk);
         p.drawEllipse(QPointF(11.5, 12.5), 1, 1);
         Arrow(p, QPointF(13, 12), QPointF(21.5, 12), kRed, 2.2);
       }},
      {"fastview",
       [](QPainter& p) {
         QPolygonF bolt;
         bolt << QPointF(14, 2) << QPointF(5, 13.5) << QPointF(11, 13.5) << QPointF(9, 22) << QPointF(19, 9.5)
              << QPointF(12.5, 9.5) << QPointF(15, 2);
         p.setPen(Outline(1.2, kOrange));
         p.setBrush(kYellow);
         p.drawPolygon(bolt);
       }},
      {"zoomin", [](QPainter& p) { Magnifier(p, 1); }},
      {"zoomout", [](QPainter& p) { Magnifier(p, -1); }},
      {"view100",
       [](QPainter& p) {
         p.setPen(Outline(1.2));
         p.setBrush(kPaper);
         p.drawRoundedRect(QRectF(1.5, 4, 21, 16), 2, 2);
         QFont f("DejaVu Sans");
         f.setPixelSize(10);
         f.setBold(true);
         p.setFont(f);
         p.setPen(kInk);
         p.drawText(QRectF(1.5, 4, 21, 16), Qt::AlignCenter, "1:1");
       }},
      {"fitwindow",
       [](QPainter& p) {
         p.setPen(Outline(1.2));
         p.setBrush(kPaper);
         p.drawRect(QRectF(3, 3, 18, 18));
         Arrow(p, QPointF(9.5, 9.5), QPointF(5.5, 5.5), kBlue, 1.6);
         Arrow(p, QPointF(14.5, 9.5), QPointF(18.5, 5.5), kBlue, 1.6);
         Arrow(p, QPointF(9.5, 14.5), QPointF(5.5, 18.5), kBlue, 1.6);
         Arrow(p, QPointF(14.5, 14.5), QPointF(18.5, 18.5), kBlue, 1.6);
       }},
      {"fitselection",
       [](QPainter& p) {
         QPen dash = Outline(1.4, kInk);
         dash.setDashPattern({2, 2});
         p.setPen(dash);
         p.setBrush(QColor(0xe8, 0xf2, 0xfc));
         p.drawRect(QRectF(3, 3, 18, 18));
         const bool all[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
         Mosaic(p, 7, 7, 10, all);
       }},
      {"showdetails", [](QPainter& p) { Eye(p); }},
      {"hidedetails",
       [](QPainter& p) {
         Eye(p);
         p.setPen(Outline(2.2, kRed));
         p.drawLine(QPointF(4, 20), QPointF(20, 4));
       }},
      {"viewsource", [](QPainter& p) { Picture(p, QRectF(2.5, 4, 19, 16)); }},
      {"viewtarget",
       [](QPainter& p) {
         const bool all[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
         Mosaic(p, 3, 3, 18, all);
       }},
      {"viewenhance",
       [](QPainter& p) {
         QConicalGradient g(QPointF(12, 12), 0);
         for (int i = 0; i <= 6; ++i) g.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 170, 235));
         p.setPen(Outline(1.2));
         p.setBrush(g);
         p.drawEllipse(QPointF(12, 12), 9, 9);
         p.setBrush(Qt::white);
         p.drawEllipse(QPointF(12, 12), 3, 3);
       }},
      {"grid",
       [](QPainter& p) {
         p.setPen(Outline(1.4));
         p.setBrush(kPaper);
         p.drawRect(QRectF(3, 3, 18, 18));
         for (int i = 1; i < 3; ++i) {
           p.drawLine(QPointF(3 + 6 * i, 3), QPointF(3 + 6 * i, 21));
           p.drawLine(QPointF(3, 3 + 6 * i), QPointF(21, 3 + 6 * i));
         }
       }},
      {"revert",
       [](QPainter& p) {
         p.setPen(Outline(2.2, kBlue));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(5, 6, 14, 13), 90 * 16, -250 * 16);
         p.setPen(Outline(2.2, kBlue));
         p.drawLine(QPointF(12, 6), QPointF(8, 3));
         p.drawLine(QPointF(12, 6), QPointF(8, 9.5));
       }},
      {"closeproject",
       [](QPainter& p) {
         Folder(p, QColor(0xe6, 0xd6, 0xa8));
         Badge(p, QPointF(16.5, 15.5), kRed, [](QPainter& q) {
           q.setPen(Outline(1.7, Qt::white));
           q.drawLine(QPointF(-2.5, -2.5), QPointF(2.5, 2.5));
           q.drawLine(QPointF(-2.5, 2.5), QPointF(2.5, -2.5));
         });
       }},
      {"statistic",
       [](QPainter& p) {
         p.setPen(Outline(1.2));
         const double h[4] = {8, 14, 5, 11};
         for (int i = 0; i < 4; ++i) {
           p.setBrush(kTiles[i * 2]);
           p.drawRect(QRectF(3.5 + i * 4.5, 20.5 - h[i], 3.5, h[i]));
         }
         p.drawLine(QPointF(2, 20.5), QPointF(22, 20.5));
       }},
      {"recent",
       [](QPainter& p) {
         p.setPen(Outline(1.4));
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(12, 12), 9, 9);
         p.setPen(Outline(1.8, kBlue));
         p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
         p.drawLine(QPointF(12, 12), QPointF(16, 14));
       }},
      {"help", [](QPainter& p) { LetterDisc(p, QColor(0x1f, 0x4f, 0x96), kBlue, "DejaVu Sans", "?"); }},
      {"web",
       [](QPainter& p) {
         p.setPen(Outline(1.3, QColor(0x1f, 0x4f, 0x96)));
         p.setBrush(kLightBlue);
         p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QPointF(12, 12), 4.2, 9.5);
         p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
         p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
         p.drawLine(QPointF(4, 7), QPointF(20, 7));
         p.drawLine(QPointF(4, 17), QPointF(20, 17));
       }},
      {"about", [](QPainter& p) { LetterDisc(p, QColor(0x1f, 0x6f, 0x2a), kGreen, "DejaVu Serif", "i"); }},
      {"sourceimage",
       [](QPainter& p) {
         Picture(p, QRectF(4, 4, 16, 16));
         p.setPen(Outline(2.0, kRed));
         p.drawLine(QPointF(2, 7), QPointF(2, 2));
         p.drawLine(QPointF(2, 2), QPointF(7, 2));
         p.drawLine(QPointF(22, 17), QPointF(22, 22));
         p.drawLine(QPointF(22, 22), QPointF(17, 22));
       }},
      {"inspector",
       [](QPainter& p) {
         Book(p, QRectF(3, 2.5, 12, 17), kBlue);
         p.setPen(Outline(2.4, kInk));
         p.drawLine(QPointF(17.5, 17.5), QPointF(21.5, 21.5));
         p.setPen(Outline(1.4));
         p.setBrush(QColor(0xe8, 0xf2, 0xfc));
         p.drawEllipse(QPointF(15, 15), 4.2, 4.2);
       }},
      {"preferences",
       [](QPainter& p) {
         QPainterPath gear;
         for (int i = 0; i < 16; ++i) {
           double r = (i % 2) ? 6.8 : 9.5;
           double a0 = i * M_PI / 8 - M_PI / 16, a1 = i * M_PI / 8 + M_PI / 16;
           QPointF q0(12 + r * std::cos(a0), 12 + r * std::sin(a0)), q1(12 + r * std::cos(a1), 12 + r * std::sin(a1));
           i ? gear.lineTo(q0) : gear.moveTo(q0);
           gear.lineTo(q1);
         }
         gear.closeSubpath();
         gear.addEllipse(QPointF(12, 12), 3, 3);
         p.setPen(Outline(1.1));
         p.setBrush(QColor(0x9a, 0xa8, 0xb6));
         p.drawPath(gear);
       }},
      {"erase",
       [](QPainter& p) {
         p.save();
         p.translate(12, 12);
         p.rotate(-40);
         p.setPen(Outline(1.3));
         p.setBrush(QColor(0xf0, 0x90, 0xa0));
         p.drawRect(QRectF(-8, -4, 10, 8));
         p.setBrush(kBlue);
         p.drawRect(QRectF(2, -4, 6, 8));
         p.restore();
         p.setPen(Outline(1.2));
         p.drawLine(QPointF(3, 21.5), QPointF(21, 21.5));
       }},
      {"selectall",
       [](QPainter& p) {
         QPen dash = Outline(1.4, kBlue);
         dash.setDashPattern({2, 2});
         p.setPen(dash);
         p.setBrush(QColor(0xd8, 0xe8, 0xfa));
         p.drawRect(QRectF(3, 3, 18, 18));
       }},
  };
  return glyphs;
}

}  // namespace

QStringList GlyphNames() {
  QStringList names;
  for (const auto& g : Glyphs()) names << g.first;
  return names;
}

QImage DrawGlyph(const QString& name, int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  auto it = Glyphs().find(name);
  if (it == Glyphs().end()) return img;
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(size / 24.0, size / 24.0);
  it->second(p);
  return img;
}

QImage DrawSplashLogo() {
  // A mosaic of 11 x 11 small tiles on black: a ring with a tail (a "Q") in bright colours
  // that change around the ring, the other tiles dark; each tile is shaded a little so it
  // reads as a small photograph.
  const int W = 241, H = 242;
  QImage img(W, H, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const int n = 11;
  const double cell = 18.0, gap = 2.0, x0 = 8, y0 = 22;
  uint32_t seed = 12345;
  auto rnd = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 16) & 0x7fff) / 32767.0;
  };
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      double x = x0 + c * cell, y = y0 + r * cell;
      double dx = c - 5.0, dy = r - 5.0;
      double d = std::sqrt(dx * dx + dy * dy);
      bool ring = d > 3.3 && d < 5.2;
      bool tail = (c >= 7 && c == r) || (c == 8 && r == 7) || (c == 10 && r == 9) || (c == 9 && r == 10);
      double angle = std::atan2(dy, dx) * 180 / M_PI + 180;
      QColor base;
      if (ring || tail)
        base = QColor::fromHsv(int(angle * 1.0 + 190) % 360, 150 + int(rnd() * 70), 200 + int(rnd() * 55));
      else
        base = QColor::fromHsv(int(angle + 190) % 360, 80, 22 + int(rnd() * 30));
      QLinearGradient g(QPointF(x, y), QPointF(x + cell, y + cell));
      g.setColorAt(0, base.lighter(120));
      g.setColorAt(1, base.darker(130));
      p.setPen(Qt::NoPen);
      p.setBrush(g);
      p.drawRoundedRect(QRectF(x + gap / 2, y + gap / 2, cell - gap, cell - gap), 2.5, 2.5);
    }
  }
  return img;
}

QImage DrawSplashBanner() {
  const int W = 380, H = 137;
  QImage img(W, H, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont f("DejaVu Serif");
  f.setPixelSize(74);
  f.setBold(true);
  QPainterPath text;
  text.addText(0, 0, f, "Quivara");
  QRectF b = text.boundingRect();
  text.translate((W - b.width()) / 2 - b.left(), 14 - b.top());
  QLinearGradient g(QPointF(0, 14), QPointF(0, 14 + b.height()));
  g.setColorAt(0, QColor(0xff, 0xe0, 0x80));
  g.setColorAt(0.55, QColor(0xf2, 0xa6, 0x3b));
  g.setColorAt(1, QColor(0xc8, 0x50, 0x30));
  p.setPen(QPen(QColor(0x60, 0x28, 0x10), 1.2));
  p.setBrush(g);
  p.drawPath(text);
  // a row of small tiles under the name
  for (int i = 0; i < 17; ++i) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv((i * 21 + 10) % 360, 160, 220));
    p.drawRoundedRect(QRectF(22 + i * 20.3, 102, 17, 9), 1.5, 1.5);
  }
  QFont s("DejaVu Sans");
  s.setPixelSize(14);
  p.setFont(s);
  p.setPen(QColor(0xb0, 0xb0, 0xb0));
  p.drawText(QRectF(0, 116, W, 20), Qt::AlignHCenter | Qt::AlignVCenter, "photomosaics from your own pictures");
  return img;
}

}  // namespace qv
