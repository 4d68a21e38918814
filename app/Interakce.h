// The one seam through which the program talks to the user modally or to the desktop:
// message boxes and questions, file choosers, the one-line prompt, opening a file or
// web address with its associated program, and the clipboard. The program installs the
// Qt implementation (InterakceQt.h); tests install a scripted one that answers and
// records, so no test ever waits on a real modal window.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kalmetra {

enum class MessageIcon { Information, Warning, Question };

// Button codes a question returns, as the callers compare them.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerCancel = 2;

// One entry of a file chooser's type list.
struct FileType {
  QString name;     // e.g. "Databáze XML (*.xml)"
  QString pattern;  // e.g. "*.xml"; several patterns separated by ";"
};

struct FileDialogRequest {
  QString title;
  std::vector<FileType> types;
  int typeIndex = 1;  // the type selected at first, counted from 1
  QString fileName;   // suggested name; empty for none
  QString folder;     // starting folder; empty lets the system choose
};

struct FileDialogAnswer {
  QString path;
  int typeIndex = 1;  // the type chosen, counted from 1
};

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;

  // A message with an OK button.
  virtual void ShowMessage(MessageIcon icon, const QString& caption, const QString& text) = 0;
  // A question with the buttons Yes and No, No being the default; returns kAnswerYes or
  // kAnswerNo (closing the box counts as No).
  virtual int Ask(MessageIcon icon, const QString& caption, const QString& text) = 0;
  // A question with Yes, No and Cancel (Esc and closing the box cancel); returns
  // kAnswerYes, kAnswerNo or kAnswerCancel. One that has no Cancel asks with Yes and No.
  virtual int AskYesNoCancel(MessageIcon icon, const QString& caption, const QString& text) {
    return Ask(icon, caption, text);
  }
  // Choosers for an existing file to open and for a file to save (in an existing folder;
  // no overwrite question of their own). Nothing when the user cancels.
  virtual std::optional<FileDialogAnswer> ChooseFileToOpen(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogAnswer> ChooseFileToSave(const FileDialogRequest& request) = 0;
  // The one-line prompt with OK and Cancel; nothing when cancelled.
  virtual std::optional<QString> Prompt(const QString& caption, const QString& label, const QString& value) = 0;
  // Opens a web address or a file with the desktop's associated program; the result is
  // not reported.
  virtual void OpenWithDesktop(const QString& target) = 0;
  virtual void SetClipboardText(const QString& text) = 0;
  virtual QString ClipboardText() = 0;
};

// The installed seam; the Qt implementation unless another was installed.
UserInteraction& Seam();
// Installs a seam and returns the one installed before (empty when none was in use
// yet). An empty pointer brings back the Qt implementation at the next use.
std::unique_ptr<UserInteraction> SetSeam(std::unique_ptr<UserInteraction> seam);

// A type list written as "name|pattern|name|pattern..." (the form the dialogs' callers
// use) split into its entries; a trailing name without pattern is dropped.
std::vector<FileType> ParseFileTypes(const QString& list);

}  // namespace kalmetra
