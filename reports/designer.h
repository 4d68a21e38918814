// The designer window: the page at scale with its bands, objects edited with the mouse
// and the keys, a palette, the data set's fields, a property panel and the commands of
// the designer document.
#pragma once

#include <QDialog>
#include <QImage>
#include <QListWidget>
#include <QPointer>

#include <functional>

#include "designer_doc.h"
#include "engine.h"

class QAction;
class QLabel;
class QMenuBar;
class QToolBar;
class QPlainTextEdit;
class QRubberBand;
class QScrollArea;
class QTableWidget;
class QTableWidgetItem;

namespace rpt {

class TRptDesigner;
class TRptReport;

// The page drawn at scale; bands as labelled strips with their objects.
class DesignCanvas : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStrip = 16;  // height of a band's label strip in pixels
  static constexpr int kMarginPx = 16;

  explicit DesignCanvas(DesignerDoc& doc, QWidget* parent = nullptr);

  double Scale() const { return scale_; }  // pixels per millimetre
  // 1.0 shows the page at its true size on a 96 dpi screen.
  double Zoom() const { return scale_ / (96.0 / 25.4); }
  void SetZoom(double zoom);
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

  void Relayout();
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  enum class Drag { None, Move, Resize, Rubber };
  void PaintObject(QPainter& p, const XmlNode& n, const QRectF& r) const;
  QRectF Shown(ObjRef ref) const;  // with the drag in progress
  bool OnHandle(ObjRef ref, QPointF px) const;
  const QImage& Decoded(const QString& base64) const;

  DesignerDoc& doc_;
  double scale_;
  QString tool_;
  Drag drag_ = Drag::None;
  QPoint pressPx_;
  QPointF dragMm_;
  QRubberBand* rubber_ = nullptr;
  bool rubberAdds_ = false;
  // Decoded images by their base64 text; the text is held so its buffer stays the key.
  mutable std::vector<std::pair<QString, QImage>> images_;
  mutable int imageDecodes_ = 0;
};

// The data set's field names, dragged out as field references.
class FieldList : public QListWidget {
  Q_OBJECT

 public:
  static const char* const kMime;
  explicit FieldList(QWidget* parent = nullptr);

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;
};

class TRptDesignerWindow : public QDialog {
  Q_OBJECT

 public:
  TRptDesignerWindow(TRptReport& report, const TRptDesigner& options, QWidget* parent = nullptr);
  ~TRptDesignerWindow() override;

  DesignerDoc& Doc() { return doc_; }
  DesignCanvas* Canvas() const { return canvas_; }
  // True when the window saved over the report's own file.
  bool SavedOver() const { return savedOver_; }

  bool Save();
  bool SaveAs();
  void NewReport();
  void Preview();
  // Adds a field as by a double click on it in the list.
  void AddFieldToCurrentBand(const QString& field);
  QString SesFolder() const;
  // What keeps the template from running over the data set (an unknown field, naming
  // the object); empty when nothing does or the data set has no fields to check against.
  QString FieldProblem() const;

  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus(QMenuBar* bar, QToolBar* tools);
  void RefreshProperties();
  void ScheduleRefresh();
  void PropertyEdited(QTableWidgetItem* item);
  void ApplyText();
  void RefreshTitle();
  void LoadSettings();
  void SaveSettings();
  bool ConfirmClose();
  XmlNode NewFromOptions() const;

  TRptReport& report_;
  const TRptDesigner options_;
  DesignerDoc doc_;
  DesignCanvas* canvas_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  FieldList* fields_ = nullptr;
  QTableWidget* props_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QLabel* textLabel_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* warning_ = nullptr;
  QAction* snapAction_ = nullptr;
  std::vector<std::pair<double, QAction*>> gridActions_;
  std::vector<std::pair<double, QAction*>> zoomActions_;
  std::vector<QAction*> toolActions_;
  QString lastFolder_;
  bool savedOver_ = false;
  bool filling_ = false;
  bool refreshPending_ = false;
};

}  // namespace rpt
