// How the engine, its preview and its designer talk to the user. The windows use only
// this, never the engine, so the dependency runs one way: engine -> preview/designer.
#pragma once

#include <QString>

#include <functional>

class QColor;
class QFont;
class QPrinter;

namespace rpt {

class TRptDesignerWindow;
class TRptPreview;

// How the engine talks to the user; the defaults use Qt's dialogs, a program or a test
// puts its own in.
struct EngineInteraction {
  std::function<void(const QString& text)> ShowError;
  std::function<void(const QString& text)> ShowInfo;
  // Lets the user choose the printer and the pages; false when cancelled.
  std::function<bool(QPrinter& printer, int pageCount)> ChoosePrinter;
  // The PDF file to write; empty when cancelled.
  std::function<QString(const QString& suggestedPath)> ChoosePdfFile;
  // Shows the preview until it is closed.
  std::function<void(TRptPreview& preview)> RunPreview;
  // A question with Yes and No, No the default; true for Yes.
  std::function<bool(const QString& text)> Ask;
  // A question with Yes, No and Cancel (Esc cancels). Left empty, Ask puts it without
  // Cancel; AskYesNoCancel() below is how the engine asks it.
  enum class Answer { Yes, No, Cancel };
  std::function<Answer(const QString& text)> AskCancel;
  // The template file to save, starting in the folder; empty when cancelled.
  std::function<QString(const QString& folder, const QString& suggestedName)> ChooseTemplateFile;
  // A PNG or JPEG to insert; empty when cancelled.
  std::function<QString(const QString& folder)> ChooseImageFile;
  // A font or a colour, starting from the one given, which the choice replaces; false
  // when cancelled.
  std::function<bool(QFont& font)> ChooseFont;
  std::function<bool(QColor& color)> ChooseColor;
  // Shows the designer until it is closed.
  std::function<void(TRptDesignerWindow& designer)> RunDesigner;
};
EngineInteraction& Interaction();
EngineInteraction::Answer AskYesNoCancel(const QString& text);

}  // namespace rpt
