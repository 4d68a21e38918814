#include "InterakceQt.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QPushButton>

namespace kalmetra {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

std::optional<FileDialogAnswer> RunFileDialog(const FileDialogRequest& request, bool save, QWidget* owner) {
  QFileDialog dialog(owner, request.title, request.folder);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The callers ask about an existing file themselves.
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  QStringList filters;
  for (const FileType& type : request.types) filters.append(QtInteraction::NameFilter(type));
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = request.typeIndex >= 1 && request.typeIndex <= filters.size() ? request.typeIndex : 1;
    dialog.selectNameFilter(filters.at(index - 1));
  }
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  FileDialogAnswer answer;
  answer.path = dialog.selectedFiles().constFirst();
  answer.typeIndex = filters.isEmpty() ? 1 : static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (answer.typeIndex < 1) answer.typeIndex = 1;
  return answer;
}

}  // namespace

QWidget* QtInteraction::Owner() {
  QWidget* owner = QApplication::activeModalWidget();
  return owner != nullptr ? owner : QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> QtInteraction::BuildMessageBox(MessageIcon icon, const QString& caption,
                                                            const QString& text, bool question, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setIcon(ToQt(icon));
  box->setWindowTitle(caption);
  // Texts come from the catalogue too; they must never be taken for markup.
  box->setTextFormat(Qt::PlainText);
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
  box->setText(lines);
  box->setWindowModality(Qt::ApplicationModal);
  if (question) {
    box->addButton(QMessageBox::Yes)->setText(QStringLiteral("Ano"));
    QPushButton* no = box->addButton(QMessageBox::No);
    no->setText(QStringLiteral("Ne"));
    box->setDefaultButton(no);
    box->setEscapeButton(no);
  } else {
    QPushButton* ok = box->addButton(QMessageBox::Ok);
    ok->setText(QStringLiteral("OK"));
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
  }
  return box;
}

void QtInteraction::ShowMessage(MessageIcon icon, const QString& caption, const QString& text) {
  BuildMessageBox(icon, caption, text, false, Owner())->exec();
}

int QtInteraction::Ask(MessageIcon icon, const QString& caption, const QString& text) {
  const std::unique_ptr<QMessageBox> box = BuildMessageBox(icon, caption, text, true, Owner());
  box->exec();
  return box->clickedButton() == box->button(QMessageBox::Yes) ? kAnswerYes : kAnswerNo;
}

int QtInteraction::AskYesNoCancel(MessageIcon icon, const QString& caption, const QString& text) {
  const std::unique_ptr<QMessageBox> box = BuildMessageBox(icon, caption, text, true, Owner());
  QPushButton* cancel = box->addButton(QMessageBox::Cancel);
  cancel->setText(QStringLiteral("Storno"));
  box->setDefaultButton(QMessageBox::Yes);
  box->setEscapeButton(cancel);
  box->exec();
  if (box->clickedButton() == box->button(QMessageBox::Yes)) return kAnswerYes;
  if (box->clickedButton() == box->button(QMessageBox::No)) return kAnswerNo;
  return kAnswerCancel;
}

std::optional<FileDialogAnswer> QtInteraction::ChooseFileToOpen(const FileDialogRequest& request) {
  return RunFileDialog(request, false, Owner());
}

std::optional<FileDialogAnswer> QtInteraction::ChooseFileToSave(const FileDialogRequest& request) {
  return RunFileDialog(request, true, Owner());
}

std::optional<QString> QtInteraction::Prompt(const QString& caption, const QString& label, const QString& value) {
  QInputDialog dialog(Owner());
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(caption);
  dialog.setLabelText(label);
  dialog.setTextValue(value);
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Storno"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

QString QtInteraction::NameFilter(const FileType& type) {
  QString patterns = type.pattern;
  patterns.replace(QChar(';'), QChar(' '));
  const QString suffix = QStringLiteral("(") + patterns + QStringLiteral(")");
  if (type.name.endsWith(suffix)) return type.name;
  return type.name + QStringLiteral(" ") + suffix;
}

QUrl QtInteraction::TargetUrl(const QString& target) {
  if (target.isEmpty()) return {};
  if (QFileInfo::exists(target)) return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
  return QUrl::fromUserInput(target);
}

void QtInteraction::OpenWithDesktop(const QString& target) {
  // The target is handed over as one whole address, so spaces in it need no quoting.
  const QUrl url = TargetUrl(target);
  if (url.isValid()) QDesktopServices::openUrl(url);
}

void QtInteraction::SetClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QString QtInteraction::ClipboardText() { return QGuiApplication::clipboard()->text(); }

}  // namespace kalmetra
