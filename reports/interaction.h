// How the engine, its preview and its designer talk to the user. The windows use only
// this, never the engine, so the dependency runs one way: engine -> preview/designer.
#pragma once

#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

class QColor;
class QFont;
class QPrinter;

namespace rpt {

class TRptDesignerWindow;
class TRptPreview;

// The printer dialog's hook. A hook takes the printer, the number of pages and the page
// in view (from 1; 0 when none is, as when printing from the report list), which the
// dialog offers as "Aktuální stránka"; the older hooks without the page still fit. A
// hook that chooses the page in view sets the printer's range to QPrinter::CurrentPage,
// and the call turns that into a page list of that page, which the printing honours.
class PrinterChooser {
 public:
  using Hook = std::function<bool(QPrinter& printer, int pageCount, int currentPage)>;

  PrinterChooser() = default;
  PrinterChooser(std::nullptr_t) {}
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, PrinterChooser> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
  PrinterChooser(F f) {
    if constexpr (std::is_invocable_r_v<bool, F&, QPrinter&, int, int>) {
      hook_ = std::move(f);
    } else {
      static_assert(std::is_invocable_r_v<bool, F&, QPrinter&, int>, "a printer hook takes the printer and the page count");
      hook_ = [g = std::move(f)](QPrinter& printer, int pageCount, int) mutable { return g(printer, pageCount); };
    }
  }

  explicit operator bool() const { return static_cast<bool>(hook_); }
  // With the page in view that a CurrentPrintPage scope names.
  bool operator()(QPrinter& printer, int pageCount) const;
  bool operator()(QPrinter& printer, int pageCount, int currentPage) const;

 private:
  Hook hook_;
};

// While it lives, printing offers this page (from 1) as the page in view: the preview
// holds one around its print, so the page reaches the dialog through the engine.
class CurrentPrintPage {
 public:
  explicit CurrentPrintPage(int page);
  ~CurrentPrintPage();
  CurrentPrintPage(const CurrentPrintPage&) = delete;
  CurrentPrintPage& operator=(const CurrentPrintPage&) = delete;
  static int Page();

 private:
  int previous_;
};

// How the engine talks to the user; the defaults use Qt's dialogs, a program or a test
// puts its own in.
struct EngineInteraction {
  std::function<void(const QString& text)> ShowError;
  std::function<void(const QString& text)> ShowInfo;
  // Lets the user choose the printer and the pages; false when cancelled.
  PrinterChooser ChoosePrinter;
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
