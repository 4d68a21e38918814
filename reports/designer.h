// The designer window: the page at scale with its bands, objects edited with the mouse
// and the keys, a palette, the data set's fields, a property panel and the commands of
// the designer document.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "designer_canvas.h"
#include "designer_doc.h"

class QAction;
class QLabel;
class QMenuBar;
class QToolBar;
class QPlainTextEdit;
class QScrollArea;
class QTableWidget;
class QTableWidgetItem;

namespace rpt {

class DataSource;

// What the designer gets from whoever opens it, as plain values and one hook; the engine
// fills it in, so the designer never needs the engine.
struct DesignerHost {
  // Its fields are offered in the list and every field reference is checked against
  // them; may be null.
  DataSource* DataSet = nullptr;
  // The engine's settings file: the designer keeps its section there, and a new template
  // is saved in "Ses" beside it. Empty keeps no settings.
  QString IniFile;
  // The template to open; without one the designer starts a new report from the
  // defaults below.
  std::optional<XmlNode> Template;
  // The report's template file, opened with Template; saving over it is what SavedOver()
  // tells.
  QString FileName;
  QString DefaultFont = QStringLiteral("Arial");
  int DefaultFontSize = 10;
  double DefaultMargins = 10;
  int DefaultPaperSize = 9;
  bool DefaultLandscape = false;
  // Prepares a template (its bytes, unsaved) over the data set and shows its preview; a
  // fault names the file at path.
  std::function<void(const QByteArray& bytes, const QString& path)> PreviewTemplate;
};

class TRptDesignerWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TRptDesignerWindow(DesignerHost host, QWidget* parent = nullptr);
  ~TRptDesignerWindow() override;

  DesignerDoc& Doc() { return doc_; }
  DesignCanvas* Canvas() const { return canvas_; }
  // True when the window saved over the host's template file.
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
  void ApplyProperty(const QString& key, const QString& value);
  void ApplyText();
  void RefreshTitle();
  void LoadSettings();
  void SaveSettings();
  bool ConfirmClose();
  XmlNode NewFromOptions() const;

  DesignerHost host_;
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
