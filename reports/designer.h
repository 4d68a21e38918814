// The designer window: the page at scale with its bands, objects edited with the mouse
// and the keys, a palette, the data set's fields, a property panel and the commands of
// the designer document.
#pragma once

#include <QDialog>

#include <utility>
#include <vector>

#include "designer_canvas.h"
#include "designer_doc.h"
#include "engine.h"

class QAction;
class QLabel;
class QMenuBar;
class QToolBar;
class QPlainTextEdit;
class QScrollArea;
class QTableWidget;
class QTableWidgetItem;

namespace rpt {

class TRptDesigner;
class TRptReport;

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
