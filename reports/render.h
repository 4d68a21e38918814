// The one painter of prepared pages, for the preview, the printer and the PDF file.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRgb>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

#include "prepare.h"

class QPainter;
class QPrinter;

namespace rpt {

// A found text: the run and the characters in it.
struct TextHit {
  size_t page = 0;
  size_t item = 0;
  int start = 0, length = 0;
};

// The marks of the found texts: the current one stands out from the others.
inline constexpr QRgb kHitColor = 0xffffe600;
inline constexpr QRgb kCurrentHitColor = 0xffff8c00;

class Renderer {
 public:
  explicit Renderer(const PreparedReport& report);
  // Paints the page with its top left corner at the painter's current origin, at the
  // given device pixels per millimetre. Hits on this page are marked, the one at
  // currentHit (an index into hits; -1 for none) in a colour of its own.
  void Paint(QPainter& painter, size_t page, double pixelsPerMm, const std::vector<TextHit>& hits = {},
             int currentHit = -1);
  // Paints items laid out apart from any page (fonts and images of this report), with
  // their origin at originMm from the painter's current origin.
  void PaintItems(QPainter& painter, const std::vector<PreparedItem>& items, QPointF originMm, double pixelsPerMm,
                  size_t page = 0, const std::vector<TextHit>& hits = {}, int currentHit = -1);
  // The box of a hit in millimetres on its page.
  QRectF HitRect(const TextHit& hit);

 private:
  const QFont& Font(uint16_t index);
  const QFontMetricsF& Metrics(uint16_t index);

  const PreparedReport& report_;
  std::vector<std::unique_ptr<QFont>> fonts_;
  std::vector<std::unique_ptr<QFontMetricsF>> metrics_;
};

struct PdfInfo {
  QString title, author;
  QString creator = QStringLiteral("Kalmetra");
};

// Writes the pages as a PDF (text stays text, lines stay vectors). The file is written
// under a temporary name and renamed at the end, so a failure leaves an older file at
// the path untouched. progress may cancel (false) after any page.
bool ExportPdf(const PreparedReport& report, const QString& path, const PdfInfo& info, QString* error,
               const std::function<bool(int page)>& progress = {});

// Prints the printer's chosen pages (its page ranges; all when none) at the printer's
// resolution: at their true size when the printer's paper is the report's, else each
// scaled to fit the printer's paper, centred.
bool PrintReport(const PreparedReport& report, QPrinter& printer, QString* error);

}  // namespace rpt
