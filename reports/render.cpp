#include "render.h"

#include "platform_library.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>

#include "write_error.h"

namespace rpt {

namespace {

constexpr double kUnitsPerMm = kLayoutDpi / 25.4;

QPageLayout LayoutOf(const PreparedPage& page) {
  const QSizeF size(page.width, page.height);
  const bool landscape = page.width > page.height;
  const QSizeF portrait = landscape ? size.transposed() : size;
  return QPageLayout(QPageSize(portrait, QPageSize::Millimeter), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}  // namespace

Renderer::Renderer(const PreparedReport& report) : report_(report) {
  fonts_.resize(report.fonts.size());
  metrics_.resize(report.fonts.size());
}

const QFont& Renderer::Font(uint16_t index) {
  // Items laid out after construction may bring fonts of their own.
  if (fonts_.size() < report_.fonts.size()) {
    fonts_.resize(report_.fonts.size());
    metrics_.resize(report_.fonts.size());
  }
  if (!fonts_[index]) fonts_[index] = std::make_unique<QFont>(LayoutFont(report_.fonts[index]));
  return *fonts_[index];
}

const QFontMetricsF& Renderer::Metrics(uint16_t index) {
  const QFont& font = Font(index);
  if (!metrics_[index]) metrics_[index] = std::make_unique<QFontMetricsF>(font);
  return *metrics_[index];
}

QRectF Renderer::HitRect(const TextHit& hit) {
  const PreparedItem& it = report_.pages[hit.page].items[hit.item];
  if (it.turn != 0) return QRectF(it.x, it.y, it.w, it.h);  // a turned run is marked whole
  const QFontMetricsF& fm = Metrics(it.font);
  const double full = fm.horizontalAdvance(it.text) / kUnitsPerMm;
  double x = it.x;
  if (it.frame == 1) x += (it.w - full) / 2;
  else if (it.frame == 2) x += it.w - full;
  const double before = fm.horizontalAdvance(it.text.left(hit.start)) / kUnitsPerMm;
  const double width = fm.horizontalAdvance(it.text.mid(hit.start, hit.length)) / kUnitsPerMm;
  return QRectF(x + before, it.y, width, it.h);
}

void Renderer::Paint(QPainter& painter, size_t pageIndex, double pixelsPerMm, const std::vector<TextHit>& hits,
                     int currentHit) {
  if (pageIndex >= report_.pages.size()) return;
  const PreparedPage& page = report_.pages[pageIndex];
  PaintItems(painter, page.items, {}, pixelsPerMm, pageIndex, hits, currentHit);
}

void Renderer::PaintItems(QPainter& painter, const std::vector<PreparedItem>& items, QPointF originMm, double pixelsPerMm,
                          size_t pageIndex, const std::vector<TextHit>& hits, int currentHit) {
  painter.save();
  painter.translate(originMm * pixelsPerMm);
  // Everything is drawn in layout units, the fonts' own scale.
  painter.scale(pixelsPerMm / kUnitsPerMm, pixelsPerMm / kUnitsPerMm);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  for (size_t i = 0; i < hits.size(); ++i) {
    const TextHit& h = hits[i];
    if (h.page != pageIndex) continue;
    const QRectF r = HitRect(h);
    painter.fillRect(QRectF(r.x() * kUnitsPerMm, r.y() * kUnitsPerMm, r.width() * kUnitsPerMm, r.height() * kUnitsPerMm),
                     QColor::fromRgb(static_cast<int>(i) == currentHit ? kCurrentHitColor : kHitColor));
  }
  int currentFont = -1;
  QRgb currentColor = 0;
  bool penSet = false;
  bool linePenSet = false;
  QRgb linePenColor = 0;
  float linePenWidth = 0;
  for (const PreparedItem& it : items) {
    const double x = it.x * kUnitsPerMm, y = it.y * kUnitsPerMm, w = it.w * kUnitsPerMm, h = it.h * kUnitsPerMm;
    switch (it.kind) {
      case ItemKind::Text: {
        if (it.wordSpacing != 0) {
          QFont f = Font(it.font);
          f.setWordSpacing(it.wordSpacing * kUnitsPerMm);
          painter.setFont(f);
          currentFont = -1;
        } else if (currentFont != it.font) {
          painter.setFont(Font(it.font));
          currentFont = it.font;
        }
        if (!penSet || currentColor != it.color) {
          painter.setPen(QColor::fromRgba(it.color));
          currentColor = it.color;
          penSet = true;
          linePenSet = false;
        }
        const double length = it.turn ? h : w;  // along the text
        double tx = 0;
        if (it.frame != 0) {
          const double tw = Metrics(it.font).horizontalAdvance(it.text);
          tx = it.frame == 1 ? (length - tw) / 2 : (length - tw);
        }
        if (it.turn == 0) {
          painter.drawText(QPointF(x + tx, y + it.ascent * kUnitsPerMm), it.text);
          break;
        }
        painter.save();
        if (it.turn == 1) {
          painter.translate(x, y + h);
          painter.rotate(-90);
        } else {
          painter.translate(x + w, y);
          painter.rotate(90);
        }
        painter.drawText(QPointF(tx, it.ascent * kUnitsPerMm), it.text);
        painter.restore();
        break;
      }
      case ItemKind::Line: {
        // Rules repeat row after row: the pen is changed only when it differs.
        if (!linePenSet || linePenColor != it.color || linePenWidth != it.lineWidth) {
          QPen pen(QColor::fromRgba(it.color), std::max(0.0f, it.lineWidth) * kUnitsPerMm);
          pen.setCapStyle(Qt::FlatCap);
          painter.setPen(pen);
          linePenSet = true;
          linePenColor = it.color;
          linePenWidth = it.lineWidth;
        }
        penSet = false;
        painter.drawLine(QPointF(x, y), QPointF(x + w, y + h));
        break;
      }
      case ItemKind::Rect: {
        const QRectF r(x, y, w, h);
        if (qAlpha(it.fill) != 0) {
          if (it.radius > 0) {
            QPainterPath path;
            path.addRoundedRect(r, it.radius * kUnitsPerMm, it.radius * kUnitsPerMm);
            painter.fillPath(path, QColor::fromRgba(it.fill));
          } else {
            painter.fillRect(r, QColor::fromRgba(it.fill));
          }
        }
        if (it.frame == 0) break;
        QPen pen(QColor::fromRgba(it.color), it.lineWidth * kUnitsPerMm);
        painter.setPen(pen);
        penSet = false;
        linePenSet = false;
        if (it.frame == (kFrameLeft | kFrameTop | kFrameRight | kFrameBottom)) {
          painter.setBrush(Qt::NoBrush);
          if (it.radius > 0) painter.drawRoundedRect(r, it.radius * kUnitsPerMm, it.radius * kUnitsPerMm);
          else painter.drawRect(r);
          break;
        }
        if (it.frame & kFrameLeft) painter.drawLine(r.topLeft(), r.bottomLeft());
        if (it.frame & kFrameTop) painter.drawLine(r.topLeft(), r.topRight());
        if (it.frame & kFrameRight) painter.drawLine(r.topRight(), r.bottomRight());
        if (it.frame & kFrameBottom) painter.drawLine(r.bottomLeft(), r.bottomRight());
        break;
      }
      case ItemKind::Image:
        if (it.image < report_.images.size()) painter.drawImage(QRectF(x, y, w, h), report_.images[it.image]);
        break;
    }
  }
  painter.restore();
}

namespace {

QByteArray PdfText(const QString& s) {
  QByteArray out = "<FEFF";
  for (QChar c : s) out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
  out += '>';
  return out;
}

// QPdfWriter has no author; an incremental update gives the file a complete
// information dictionary (title, author, creator) without touching what Qt wrote.
// The update is returned apart, so that the document itself is never copied to grow it.
bool InfoUpdate(const QByteArray& pdf, const PdfInfo& info, QByteArray& update) {
  const QByteArray tail = pdf.right(4096);
  static const QRegularExpression startRe(QStringLiteral(R"re(startxref\s+(\d+)\s+%%EOF\s*$)re"));
  static const QRegularExpression sizeRe(QStringLiteral(R"re(/Size\s+(\d+))re"));
  static const QRegularExpression rootRe(QStringLiteral(R"re(/Root\s+(\d+)\s+0\s+R)re"));
  const QString t = QString::fromLatin1(tail);
  const auto ms = startRe.match(t);
  const auto mz = sizeRe.match(t);
  const auto mr = rootRe.match(t);
  if (!ms.hasMatch() || !mz.hasMatch() || !mr.hasMatch()) return false;
  const int size = mz.captured(1).toInt();
  update.clear();
  if (!pdf.endsWith('\n')) update += '\n';
  const qsizetype objOffset = pdf.size() + update.size();
  update += QByteArray::number(size) + " 0 obj\n<<\n/Title " + PdfText(info.title) + "\n/Author " + PdfText(info.author) +
         "\n/Creator " + PdfText(info.creator) + "\n/Producer " + PdfText(QStringLiteral("Kalmetra")) + "\n>>\nendobj\n";
  const qsizetype xref = pdf.size() + update.size();
  update += "xref\n0 1\n0000000000 65535 f \n" + QByteArray::number(size) + " 1\n" +
         QByteArray::number(objOffset).rightJustified(10, '0') + " 00000 n \n";
  update += "trailer\n<<\n/Size " + QByteArray::number(size + 1) + "\n/Root " + mr.captured(1).toLatin1() +
         " 0 R\n/Info " + QByteArray::number(size) + " 0 R\n/Prev " + ms.captured(1).toLatin1() + "\n>>\nstartxref\n" +
         QByteArray::number(xref) + "\n%%EOF\n";
  return true;
}

}  // namespace

bool ExportPdf(const PreparedReport& report, const QString& path, const PdfInfo& info, QString* error,
               const std::function<bool(int page)>& progress) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (report.pages.empty()) return fail(QStringLiteral("sestava nemá žádnou stránku"));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(info.title);
    writer.setCreator(info.creator);
    writer.setResolution(1200);
    writer.setPageLayout(LayoutOf(report.pages.front()));
    QPainter painter;
    if (!painter.begin(&writer)) return fail(QStringLiteral("soubor PDF nelze vytvořit"));
    Renderer renderer(report);
    const double pxPerMm = writer.resolution() / 25.4;
    for (size_t i = 0; i < report.pages.size(); ++i) {
      orvek3::platform::ClearUpperVectorState();
      if (i > 0) {
        writer.setPageLayout(LayoutOf(report.pages[i]));
        writer.newPage();
      }
      renderer.Paint(painter, i, pxPerMm);
      if (progress && !progress(static_cast<int>(i + 1))) {
        painter.end();
        return fail(QStringLiteral("export byl přerušen"));
      }
    }
    painter.end();
  }
  const QByteArray& pdf = buffer.data();
  QByteArray update;
  if (!InfoUpdate(pdf, info, update)) return fail(QStringLiteral("soubor PDF nemá očekávanou stavbu"));
  const qint64 size = pdf.size() + update.size();
  const WriteRecord record(path);  // outlives the save file and its temporary
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return fail(QStringLiteral("soubor nelze otevřít pro zápis: %1").arg(WriteErrorText(file, path, size)));
  if (file.write(pdf) != pdf.size() || file.write(update) != update.size()) {
    const QString why = WriteErrorText(file, path, size);  // before the temporary file is removed
    file.cancelWriting();
    return fail(QStringLiteral("zápis se nezdařil: %1").arg(why));
  }
  QString why;
  if (!CommitWhole(file, path, size, &why)) return fail(QStringLiteral("zápis se nezdařil: %1").arg(why));
  return true;
}

bool PrintReport(const PreparedReport& report, QPrinter& printer, QString* error) {
  if (report.pages.empty()) {
    if (error) *error = QStringLiteral("sestava nemá žádnou stránku");
    return false;
  }
  // The pages chosen: a list such as "1,5" or "2-3,7" is taken as it is, not as its
  // first to its last page.
  const QPageRanges ranges = printer.pageRanges();
  std::vector<size_t> chosen;
  for (int p = 1; p <= static_cast<int>(report.pages.size()); ++p)
    if (ranges.isEmpty() || ranges.contains(p)) chosen.push_back(static_cast<size_t>(p - 1));
  if (chosen.empty()) {
    if (error) *error = QStringLiteral("zvolené stránky v sestavě nejsou, sestava má stránky 1–%1").arg(report.pages.size());
    return false;
  }
  printer.setFullPage(true);  // coordinates from the paper's corner: true size
  // The paper and orientation chosen in the print dialog are kept. When they are the
  // report's own, pages print at their true size; otherwise each page is scaled to fit
  // the paper, centred, keeping its proportions.
  const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
  const PreparedPage& firstPage = report.pages[chosen.front()];
  const bool trueSize =
      std::abs(paper.width() - firstPage.width) < 0.5 && std::abs(paper.height() - firstPage.height) < 0.5;
  if (trueSize) printer.setPageLayout(LayoutOf(firstPage));
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = QStringLiteral("tiskárnu nelze otevřít");
    return false;
  }
  Renderer renderer(report);
  const double pxPerMm = printer.resolution() / 25.4;
  for (size_t n = 0; n < chosen.size(); ++n) {
    const PreparedPage& page = report.pages[chosen[n]];
    if (n > 0) {
      if (trueSize) printer.setPageLayout(LayoutOf(page));
      printer.newPage();
    }
    if (trueSize) {
      renderer.Paint(painter, chosen[n], pxPerMm);
      continue;
    }
    const double scale = std::min(paper.width() / page.width, paper.height() / page.height);
    painter.save();
    painter.translate((paper.width() - page.width * scale) / 2 * pxPerMm, (paper.height() - page.height * scale) / 2 * pxPerMm);
    renderer.Paint(painter, chosen[n], pxPerMm * scale);
    painter.restore();
  }
  painter.end();
  return true;
}

}  // namespace rpt
