// The designer's objects laid out by the engine's band layout and painted by its
// renderer, so that the canvas shows each object as the output will print it.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "band_layout.h"
#include "designer_doc.h"
#include "render.h"

class QPainter;

namespace rpt {

class CanvasPainting {
 public:
  // Decodes an embedded image (base64), remembered by the canvas.
  using Decode = std::function<const QImage&(const QString& base64)>;
  // The text a text object shows on the canvas; the one place where it is decided.
  using Shown = std::function<QString(const XmlNode& object)>;
  CanvasPainting(Decode decode, Shown shown);
  ~CanvasPainting();

  // Forgets what was laid out: the document changed.
  void Clear();
  // Paints the object with its box at box (pixels); while it is being resized the box
  // differs from the document's size and the object is laid out to the box.
  void Paint(QPainter& p, const DesignerDoc& doc, ObjRef ref, const QRectF& box, double pixelsPerMm);

 private:
  struct Laid {
    bool ok = false;
    BandDef band;  // the object alone, at the band's origin; kept so caches keyed by it hold
    QString text;
    QSizeF size;
    std::vector<PreparedItem> items;
  };
  Laid& Get(const DesignerDoc& doc, ObjRef ref);
  void Lay(Laid& laid);

  Decode decode_;
  Shown shown_;
  PreparedReport report_;  // the fonts and images the items refer to
  std::unique_ptr<TextMeasure> measure_;
  std::unique_ptr<BandLayout> layout_;
  std::unique_ptr<Renderer> renderer_;
  std::vector<std::vector<std::unique_ptr<Laid>>> laid_;  // by band and index
};

}  // namespace rpt
