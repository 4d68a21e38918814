// Draws the program's fallback action icons (resources/icons) at 16 and 32 pixels.
// Built and run by scripts/make-icons.sh; the build uses the committed pictures.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

const QColor kInk(0x33, 0x44, 0x55);
const QColor kPaper(0xfc, 0xfc, 0xf6);
const QColor kBlue(0x2a, 0x6e, 0xbb);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xc8, 0x28, 0x28);
const QColor kOrange(0xe0, 0x8a, 0x1e);
const QColor kGrey(0x88, 0x90, 0x98);

QPen Pen(const QColor& c, double w = 1.0) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Sheet(QPainter& p, double x = 3, double y = 1.5, double w = 9, double h = 13) {
  QPainterPath path;
  path.moveTo(x, y);
  path.lineTo(x + w - 3, y);
  path.lineTo(x + w, y + 3);
  path.lineTo(x + w, y + h);
  path.lineTo(x, y + h);
  path.closeSubpath();
  p.setPen(Pen(kInk));
  p.setBrush(kPaper);
  p.drawPath(path);
  p.drawLine(QPointF(x + w - 3, y), QPointF(x + w - 3, y + 3));
  p.drawLine(QPointF(x + w - 3, y + 3), QPointF(x + w, y + 3));
  p.setPen(Pen(kGrey, 0.8));
  for (double ly = y + 5; ly < y + h - 1.5; ly += 2) p.drawLine(QPointF(x + 2, ly), QPointF(x + w - 2, ly));
}

void Plus(QPainter& p, double cx, double cy, const QColor& c) {
  p.setPen(Pen(c, 2.2));
  p.drawLine(QPointF(cx - 3, cy), QPointF(cx + 3, cy));
  p.drawLine(QPointF(cx, cy - 3), QPointF(cx, cy + 3));
}

void Cross(QPainter& p, double cx, double cy, double r, const QColor& c, double w = 2.2) {
  p.setPen(Pen(c, w));
  p.drawLine(QPointF(cx - r, cy - r), QPointF(cx + r, cy + r));
  p.drawLine(QPointF(cx - r, cy + r), QPointF(cx + r, cy - r));
}

void Triangle(QPainter& p, double tipX, double cy, double size, bool right, const QColor& c) {
  QPainterPath path;
  const double back = right ? tipX - size : tipX + size;
  path.moveTo(tipX, cy);
  path.lineTo(back, cy - size);
  path.lineTo(back, cy + size);
  path.closeSubpath();
  p.setPen(Pen(c.darker(130), 0.8));
  p.setBrush(c);
  p.drawPath(path);
}

void Bar(QPainter& p, double x, const QColor& c) {
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawRect(QRectF(x, 3, 2, 10));
}

void Lens(QPainter& p, double cx = 6.5, double cy = 6.5, double r = 4) {
  p.setPen(Pen(kInk, 1.5));
  p.setBrush(QColor(0xd8, 0xea, 0xff));
  p.drawEllipse(QPointF(cx, cy), r, r);
  p.setPen(Pen(kInk, 2.6));
  p.drawLine(QPointF(cx + r * 0.75, cy + r * 0.75), QPointF(cx + r + 3.5, cy + r + 3.5));
}

void Funnel(QPainter& p) {
  QPainterPath path;
  path.moveTo(1.5, 2.5);
  path.lineTo(14.5, 2.5);
  path.lineTo(9.5, 8.5);
  path.lineTo(9.5, 14);
  path.lineTo(6.5, 12.5);
  path.lineTo(6.5, 8.5);
  path.closeSubpath();
  p.setPen(Pen(kInk));
  p.setBrush(QColor(0x9c, 0xc3, 0xea));
  p.drawPath(path);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c, double w = 2.0) {
  p.setPen(Pen(c, w));
  p.drawLine(from, to);
  const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
  const double head = 3.2;
  for (double side : {-1.0, 1.0}) {
    const double a = angle + M_PI + side * 0.6;
    p.drawLine(to, QPointF(to.x() + head * std::cos(a), to.y() + head * std::sin(a)));
  }
}

void Table(QPainter& p, bool headerStrong) {
  p.setPen(Pen(kInk));
  p.setBrush(kPaper);
  p.drawRect(QRectF(1.5, 3.5, 13, 10));
  p.setPen(Qt::NoPen);
  p.setBrush(headerStrong ? kBlue : QColor(0xc8, 0xd4, 0xe0));
  p.drawRect(QRectF(2, 4, 12, 2.5));
  p.setPen(Pen(kGrey, 0.8));
  p.drawLine(QPointF(2, 9), QPointF(14, 9));
  p.drawLine(QPointF(2, 11.5), QPointF(14, 11.5));
}

void Circle(QPainter& p, const QColor& c) {
  p.setPen(Pen(c.darker(140)));
  p.setBrush(c);
  p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
}

using Painter = std::function<void(QPainter&)>;

std::vector<std::pair<const char*, Painter>> Icons() {
  return {
      {"novy", [](QPainter& p) { Sheet(p, 2, 1.5); Plus(p, 11.5, 11.5, kGreen); }},
      {"editovat",
       [](QPainter& p) {
         Sheet(p, 2, 1.5);
         p.setPen(Pen(kOrange.darker(120), 3));
         p.drawLine(QPointF(7, 13), QPointF(13.5, 6.5));
         p.setPen(Pen(kInk, 1.2));
         p.drawLine(QPointF(6, 14.5), QPointF(7, 13));
       }},
      {"odstranit", [](QPainter& p) { Cross(p, 8, 8, 5, kRed, 3); }},
      {"prvni", [](QPainter& p) { Bar(p, 2.5, kBlue); Triangle(p, 5.5, 8, 5, false, kBlue); }},
      {"predchozi", [](QPainter& p) { Triangle(p, 3.5, 8, 5.5, false, kBlue); }},
      {"nasledujici", [](QPainter& p) { Triangle(p, 12.5, 8, 5.5, true, kBlue); }},
      {"posledni", [](QPainter& p) { Triangle(p, 10.5, 8, 5, true, kBlue); Bar(p, 11.5, kBlue); }},
      {"prejit",
       [](QPainter& p) {
         p.setPen(Pen(kInk));
         p.setBrush(kPaper);
         p.drawRect(QRectF(8.5, 2.5, 6, 11));
         p.setPen(Pen(kGrey, 0.8));
         for (double y = 5; y < 13; y += 2.5) p.drawLine(QPointF(10, y), QPointF(13, y));
         Arrow(p, QPointF(1.5, 7.5), QPointF(8, 7.5), kGreen);
       }},
      {"hledat", [](QPainter& p) { Lens(p); }},
      {"hledat_dalsi", [](QPainter& p) { Lens(p, 5.5, 5.5, 3.5); Triangle(p, 15, 12, 3.2, true, kGreen); }},
      {"trideni",
       [](QPainter& p) {
         p.setPen(Pen(kInk, 1.6));
         p.drawLine(QPointF(1.5, 3), QPointF(5.5, 3));
         p.drawLine(QPointF(1.5, 7), QPointF(8, 7));
         p.drawLine(QPointF(1.5, 11), QPointF(10.5, 11));
         Arrow(p, QPointF(13, 2), QPointF(13, 14), kBlue, 1.6);
       }},
      {"filtr", [](QPainter& p) { Funnel(p); }},
      {"zrusit_filtr", [](QPainter& p) { Funnel(p); Cross(p, 12, 12, 2.6, kRed); }},
      {"kopirovat", [](QPainter& p) { Sheet(p, 1.5, 1, 8, 10); Sheet(p, 6.5, 5, 8, 10); }},
      {"web",
       [](QPainter& p) {
         Circle(p, QColor(0x6c, 0xa8, 0xe0));
         p.setPen(Pen(QColor(0x1c, 0x4c, 0x80), 0.9));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QPointF(8, 8), 3, 6.5);
         p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
         p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
         p.drawLine(QPointF(2.8, 4.8), QPointF(13.2, 4.8));
         p.drawLine(QPointF(2.8, 11.2), QPointF(13.2, 11.2));
       }},
      {"prehrat", [](QPainter& p) { Circle(p, kGreen); Triangle(p, 12.5, 8, 4, true, kPaper); }},
      {"export", [](QPainter& p) { Sheet(p, 1.5, 1.5); Arrow(p, QPointF(6, 10), QPointF(14.5, 10), kGreen); }},
      {"import", [](QPainter& p) { Sheet(p, 5.5, 1.5); Arrow(p, QPointF(1, 10), QPointF(10, 10), kBlue); }},
      {"sestavy",
       [](QPainter& p) {
         p.setPen(Pen(kInk));
         p.setBrush(kPaper);
         p.drawRect(QRectF(4.5, 1.5, 7, 5));
         p.setBrush(kGrey);
         p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
         p.setBrush(kPaper);
         p.drawRect(QRectF(4.5, 10.5, 7, 4));
         p.setPen(Pen(kGreen, 1.2));
         p.drawPoint(QPointF(12.5, 8.5));
       }},
      {"konfigurace",
       [](QPainter& p) {
         p.setPen(Pen(kInk));
         p.setBrush(kGrey);
         QPainterPath gear;
         for (int i = 0; i < 16; ++i) {
           const double a = i * M_PI / 8;
           const double r = (i % 2 == 0) ? 7.0 : 5.2;
           const QPointF point(8 + r * std::cos(a), 8 + r * std::sin(a));
           if (i == 0) gear.moveTo(point); else gear.lineTo(point);
         }
         gear.closeSubpath();
         p.drawPath(gear);
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
       }},
      {"napoveda",
       [](QPainter& p) {
         Circle(p, kBlue);
         QPainterPath hook;
         hook.moveTo(5.6, 6.2);
         hook.arcTo(QRectF(5.6, 3.4, 4.8, 4.8), 180, -270);
         hook.lineTo(8, 9.6);
         p.setPen(Pen(kPaper, 1.8));
         p.setBrush(Qt::NoBrush);
         p.drawPath(hook);
         p.setPen(Qt::NoPen);
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(8, 12), 1.1, 1.1);
       }},
      {"o_programu",
       [](QPainter& p) {
         Circle(p, kBlue);
         p.setPen(Qt::NoPen);
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
         p.drawRect(QRectF(7, 7, 2, 5.5));
       }},
      {"konec",
       [](QPainter& p) {
         p.setPen(Pen(kRed, 2));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(2.5, 3, 11, 11), 60 * 16, -300 * 16);
         p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
       }},
      {"sirka_zahlavi",
       [](QPainter& p) {
         Table(p, true);
         p.setPen(Pen(kPaper, 1));
         p.drawLine(QPointF(4, 5.2), QPointF(12, 5.2));
         Arrow(p, QPointF(4, 10.2), QPointF(13, 10.2), kGreen, 1.2);
       }},
      {"sirka_obsah",
       [](QPainter& p) {
         Table(p, false);
         Arrow(p, QPointF(3, 10.2), QPointF(13, 10.2), kOrange, 1.4);
         Arrow(p, QPointF(13, 10.2), QPointF(3, 10.2), kOrange, 1.4);
       }},
      {"sirka_vychozi",
       [](QPainter& p) {
         Table(p, false);
         p.setPen(Pen(kInk, 1));
         p.drawLine(QPointF(6, 4), QPointF(6, 13));
         p.drawLine(QPointF(10, 4), QPointF(10, 13));
       }},
  };
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: kresli_ikony <output folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  for (const auto& [name, paint] : Icons()) {
    for (int size : {16, 32}) {
      QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(size / 16.0, size / 16.0);
      paint(painter);
      painter.end();
      const QString file = QString::fromLatin1(name) + (size == 32 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
      if (!image.save(folder.filePath(file), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(folder.filePath(file)));
        return 1;
      }
    }
  }
  return 0;
}
