// The designer's canvas (the page at scale, edited with the mouse and the keys) and its
// list of the data set's fields, dragged onto the canvas.
#pragma once

#include <QImage>
#include <QListWidget>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "designer_doc.h"

class QRubberBand;

namespace rpt {

// Czech captions of the band types, in the order the designer offers them.
const std::vector<std::pair<BandType, QString>>& BandLabels();
// The caption of a band's Type attribute; the attribute itself when it names no type.
QString BandLabel(const QString& type);
// A flag attribute read as the engine reads it: "1" or "true".
bool AttrFlag(const XmlNode& n, const char* key);

class CanvasPainting;

// The page drawn at scale; bands as labelled strips with their objects.
class DesignCanvas : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStrip = 16;  // height of a band's label strip in pixels
  static constexpr int kMarginPx = 16;

  explicit DesignCanvas(DesignerDoc& doc, QWidget* parent = nullptr);
  ~DesignCanvas() override;

  double Scale() const { return scale_; }  // pixels per millimetre
  // 1.0 shows the page at its true size on a 96 dpi screen.
  double Zoom() const { return scale_ / (96.0 / 25.4); }
  void SetZoom(double zoom);
  // The next zoom step up (1) or down (-1), as Ctrl+wheel does.
  void ZoomStep(int direction);
  // The zoom at which the whole page width fits a view this many pixels wide.
  double PageWidthZoom(int viewWidth) const;
  // After the wheel changed the zoom.
  std::function<void()> ZoomChanged;
  // The sheet of paper, in pixels.
  QRectF SheetPx() const;
  // The bands' origin (the page's left and top margins) in pixels; the width between
  // the margins in mm; the number of bands.
  QPointF OriginPx() const;
  double ContentWidthMm() const { return doc_.PageContentWidth(); }
  int BandCount() const { return doc_.BandCount(); }
  QRectF BandBody(int band) const;         // in pixels
  QRectF BandStrip(int band) const;
  QRectF ObjectPx(ObjRef ref) const;
  int BandAt(QPointF px) const;  // body or strip; -1 outside
  QPointF ToMm(int band, QPointF px) const;
  ObjRef ObjectAt(QPointF px) const;
  // How many times an embedded image has been decoded for painting.
  int ImageDecodes() const { return imageDecodes_; }

  // The palette's kind to insert at the next click ("Text", "Line", ...); empty selects.
  QString Tool() const { return tool_; }
  void SetTool(const QString& kind) { tool_ = kind; }
  std::function<void(int band, QPointF mm)> InsertImage;  // asks for the file
  std::function<void()> ToolUsed;
  // The data set's fields: a reference to one is shown by its caption.
  QStringList FieldNames;

  void Relayout();
  QSize sizeHint() const override;

 signals:
  void ObjectDoubleClicked(ObjRef ref);
  void MenuRequested(QPoint global, int band);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  enum class Drag { None, Move, Resize, Rubber, BandHeight };
  void PaintSelection(QPainter& p) const;
  QRectF Shown(ObjRef ref) const;  // with the drag in progress
  double ShownHeight(int band) const;
  // The sides a handle of the object under px moves (kFrameLeft, ...); 0 when none.
  unsigned HandleAt(ObjRef ref, QPointF px) const;
  // The band whose lower edge is under px; -1 when none.
  int BandEdgeAt(QPointF px) const;
  // The drag's delta in mm with snapping to the grid and to the edges of the other
  // objects of the anchor's band; exact when an object edge caught it.
  QPointF SnappedDelta(QPointF raw, bool free, bool& exact) const;
  const QImage& Decoded(const QString& base64) const;

  DesignerDoc& doc_;
  double scale_;
  QString tool_;
  Drag drag_ = Drag::None;
  QPoint pressPx_;
  QPointF rawMm_;   // the mouse's way since the press
  QPointF dragMm_;  // what the drag does, snapped
  bool dragExact_ = false;
  bool dragFree_ = false;  // Alt: no snapping
  ObjRef anchor_;          // the object the mouse took
  unsigned sides_ = 0;     // resize: the sides moved
  int sizedBand_ = -1;     // band height: the band
  QRubberBand* rubber_ = nullptr;
  bool rubberAdds_ = false;
  std::unique_ptr<CanvasPainting> painting_;  // the objects laid out as the output lays them
  // Decoded images by their base64 text; the text is held so its buffer stays the key.
  mutable std::vector<std::pair<QString, QImage>> images_;
  mutable int imageDecodes_ = 0;
};

// The data set's fields by their captions (an item's Qt::UserRole holds the field name),
// dragged out as field references.
class FieldList : public QListWidget {
  Q_OBJECT

 public:
  static const char* const kMime;
  explicit FieldList(QWidget* parent = nullptr);

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;
};

}  // namespace rpt
