// The real seam: Qt's message boxes, file dialogs, input dialog, desktop services and
// clipboard, with the program's Czech button texts.
#pragma once

#include <QMessageBox>
#include <QUrl>

#include <memory>

#include "Interakce.h"

class QWidget;

namespace kalmetra {

class QtInteraction : public UserInteraction {
 public:
  void ShowMessage(MessageIcon icon, const QString& caption, const QString& text) override;
  int Ask(MessageIcon icon, const QString& caption, const QString& text) override;
  int AskYesNoCancel(MessageIcon icon, const QString& caption, const QString& text) override;
  std::optional<FileDialogAnswer> ChooseFileToOpen(const FileDialogRequest& request) override;
  std::optional<FileDialogAnswer> ChooseFileToSave(const FileDialogRequest& request) override;
  std::optional<QString> Prompt(const QString& caption, const QString& label, const QString& value) override;
  void OpenWithDesktop(const QString& target) override;
  void SetClipboardText(const QString& text) override;
  QString ClipboardText() override;

  // The message box as it will be shown (buttons "OK", or "Ano" and "Ne" with "Ne" the
  // default), built but not shown, so that its set-up can be checked.
  static std::unique_ptr<QMessageBox> BuildMessageBox(MessageIcon icon, const QString& caption, const QString& text,
                                                      bool question, QWidget* parent);
  // The filter string a file dialog shows for a type: its name, with the patterns in
  // parentheses unless the name already ends with them.
  static QString NameFilter(const FileType& type);
  // What the desktop is asked to open: an existing file or folder as a local file, any
  // other text as an address (a bare "www.…" gets http).
  static QUrl TargetUrl(const QString& target);

 private:
  static QWidget* Owner();
};

}  // namespace kalmetra
