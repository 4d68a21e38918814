#include "designer_text.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

#include <algorithm>

#include "designer_canvas.h"
#include "designer_fields.h"
#include "interaction.h"

namespace rpt {

FieldHighlighter::FieldHighlighter(QTextDocument* doc, QStringList fieldNames)
    : QSyntaxHighlighter(doc), fields_(std::move(fieldNames)) {}

void FieldHighlighter::highlightBlock(const QString& text) {
  QTextCharFormat wrong;
  wrong.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  wrong.setUnderlineColor(Qt::red);
  for (const auto& [start, length] : BracketSpans(text))
    if (UnknownFieldRef(text.mid(start, length), fields_)) setFormat(static_cast<int>(start), static_cast<int>(length), wrong);
}

// ---------------------------------------------------------------------------------------

ExpressionAssist::ExpressionAssist(QPlainTextEdit* box, const QStringList& fieldNames)
    : QObject(box), box_(box), fields_(fieldNames) {
  new FieldHighlighter(box->document(), fieldNames);
  box->installEventFilter(this);
}

ExpressionAssist* ExpressionAssist::Attach(QPlainTextEdit* box, const QStringList& fieldNames) {
  return new ExpressionAssist(box, fieldNames);
}

QToolButton* ExpressionAssist::MakeButton(QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QStringLiteral("Tl_VlozitVyraz"));
  button->setText(QStringLiteral("…"));
  button->setToolTip(QStringLiteral("Vložit pole nebo výraz (Ctrl+Mezerník)"));
  // The box keeps the focus, and with it its cursor.
  button->setFocusPolicy(Qt::NoFocus);
  connect(button, &QToolButton::clicked, this, &ExpressionAssist::Open);
  return button;
}

void ExpressionAssist::Open() {
  if (list_) return;
  auto* list = new QListWidget(box_);
  list->setObjectName(QLatin1String(kListName));
  list->setWindowFlags(Qt::Popup);
  list->setAttribute(Qt::WA_DeleteOnClose);
  for (const InsertItem& item : ExpressionItems(fields_)) {
    auto* row = new QListWidgetItem(item.caption, list);
    row->setData(Qt::UserRole, item.text);
    row->setToolTip(item.text);
  }
  list->setCurrentRow(0);
  list->installEventFilter(this);
  // The box may be filled anew while the list is open (leaving it applies its text), so
  // the place to insert is taken now.
  const QTextCursor cursor = box_->textCursor();
  const int anchor = cursor.anchor(), position = cursor.position();
  auto choose = [this, anchor, position](QListWidgetItem* item) {
    if (!list_ || !item) return;
    const QString text = item->data(Qt::UserRole).toString();
    QListWidget* list = list_;
    list_ = nullptr;
    list->close();
    QTextCursor c(box_->document());
    const int end = c.document()->characterCount() - 1;
    c.setPosition(std::clamp(anchor, 0, end));
    c.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    box_->setTextCursor(c);
    Insert(text);
  };
  connect(list, &QListWidget::itemClicked, this, choose);
  connect(list, &QListWidget::itemActivated, this, choose);
  const QRect at = box_->cursorRect();
  list->resize(240, 260);
  list->move(box_->viewport()->mapToGlobal(at.bottomLeft()));
  list_ = list;
  // Focused before it shows, so the box hears that a popup took the focus, not that the
  // user left it.
  list->setFocus(Qt::PopupFocusReason);
  list->show();
}

void ExpressionAssist::Insert(const QString& text) {
  box_->insertPlainText(text);
  box_->setFocus();
}

bool ExpressionAssist::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == box_ && key->key() == Qt::Key_Space && (key->modifiers() & Qt::ControlModifier)) {
      Open();
      return true;
    }
    if (watched == list_ && key->key() == Qt::Key_Escape) {
      QListWidget* list = list_;
      list_ = nullptr;
      list->close();
      box_->setFocus();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------

InplaceTextEditor::InplaceTextEditor(DesignCanvas* canvas, DesignerDoc& doc, ObjRef ref)
    : QPlainTextEdit(canvas), doc_(doc), ref_(ref) {
  setObjectName(QLatin1String(kName));
  setToolTip(QStringLiteral("Ctrl+Enter použije text, Esc úpravu zruší"));
  connect(&doc_, &DesignerDoc::Changed, this, [this] {
    // Another command changed the template: the object may be another one now.
    if (!applying_) Finish(false);
  });
}

InplaceTextEditor* InplaceTextEditor::Open(DesignCanvas* canvas, DesignerDoc& doc, ObjRef ref, const QStringList& fieldNames) {
  if (doc.Object(ref).name != QLatin1String("Text")) return nullptr;
  auto* editor = new InplaceTextEditor(canvas, doc, ref);
  editor->setPlainText(doc.Object(ref).text);
  editor->moveCursor(QTextCursor::End);
  ExpressionAssist* assist = ExpressionAssist::Attach(editor, fieldNames);
  editor->button_ = assist->MakeButton(editor);
  editor->setViewportMargins(0, 0, editor->button_->sizeHint().width(), 0);
  // Over the object, large enough to type in however small the object is drawn.
  QRect r = canvas->ObjectPx(ref).toAlignedRect();
  r.setWidth(std::max(r.width(), 220));
  r.setHeight(std::max(r.height(), 70));
  r.moveLeft(std::clamp(r.left(), 0, std::max(0, canvas->width() - r.width())));
  r.moveTop(std::clamp(r.top(), 0, std::max(0, canvas->height() - r.height())));
  editor->setGeometry(r);
  editor->show();
  editor->setFocus(Qt::OtherFocusReason);
  return editor;
}

void InplaceTextEditor::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  if (button_) {
    const QSize s = button_->sizeHint();
    button_->setGeometry(width() - s.width() - frameWidth(), frameWidth(), s.width(), s.height());
  }
}

void InplaceTextEditor::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & Qt::ControlModifier)) {
    Finish(true);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    Finish(false);
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void InplaceTextEditor::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  // The helper's list takes the focus for a moment; anything else ends the editing.
  if (event->reason() != Qt::PopupFocusReason) Finish(true);
}

void InplaceTextEditor::Finish(bool apply) {
  if (done_) return;
  done_ = true;
  const QString text = toPlainText();
  if (apply && doc_.Object(ref_).name == QLatin1String("Text") && doc_.Object(ref_).text != text) {
    applying_ = true;
    QString error;
    if (!doc_.SetObjectText(ref_, text, &error)) Interaction().ShowError(QStringLiteral("Text nelze použít: %1.").arg(error));
    applying_ = false;
  }
  const bool focused = hasFocus();
  hide();
  // Back to the canvas after Ctrl+Enter or Esc; a click elsewhere keeps its focus.
  if (focused && parentWidget()) parentWidget()->setFocus();
  deleteLater();
}

}  // namespace rpt
