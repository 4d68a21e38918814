// Editing a text object's template text: the editor over the object on the canvas, the
// helper that inserts fields and expressions by their Czech names, and the marking of a
// reference to a field the data set lacks.
#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <QSyntaxHighlighter>

#include "designer_doc.h"

class QListWidget;
class QToolButton;

namespace rpt {

class DesignCanvas;

// Marks a reference to a field the data set lacks, or one mistyped, with a red wavy line.
class FieldHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  FieldHighlighter(QTextDocument* doc, QStringList fieldNames);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QStringList fields_;
};

// The helper of one text box: Ctrl+Space or its button opens a list of what can be
// inserted, and the chosen item goes in at the cursor. It also marks unknown fields.
class ExpressionAssist : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kListName = "NapovedaVyrazu";
  // Owned by the box; fieldNames are the data set's fields.
  static ExpressionAssist* Attach(QPlainTextEdit* box, const QStringList& fieldNames);
  // A button beside the box that opens the list.
  QToolButton* MakeButton(QWidget* parent);
  void Open();
  // The list while it is open.
  QListWidget* List() const { return list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ExpressionAssist(QPlainTextEdit* box, const QStringList& fieldNames);
  void Insert(const QString& text);

  QPlainTextEdit* box_;
  QStringList fields_;
  QPointer<QListWidget> list_;
};

// The editor that a double click opens over a text object: Ctrl+Enter or leaving it
// applies the text as one undo step, Esc drops it. It closes itself, and also when the
// document changes under it.
class InplaceTextEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr const char* kName = "Ed_TextNaPlose";
  static InplaceTextEditor* Open(DesignCanvas* canvas, DesignerDoc& doc, ObjRef ref, const QStringList& fieldNames);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  InplaceTextEditor(DesignCanvas* canvas, DesignerDoc& doc, ObjRef ref);
  void Finish(bool apply);

  DesignerDoc& doc_;
  ObjRef ref_;
  QToolButton* button_ = nullptr;
  bool done_ = false;
  bool applying_ = false;
};

}  // namespace rpt
