#include "ScriptedSeam.h"

#include <gtest/gtest.h>

namespace kalmetra::test {

void ScriptedSeam::ShowMessage(MessageIcon icon, const QString& caption, const QString& text) {
  calls_.push_back({CallKind::Message, icon, caption, text, {}, {}});
}

int ScriptedSeam::Ask(MessageIcon icon, const QString& caption, const QString& text) {
  calls_.push_back({CallKind::Question, icon, caption, text, {}, {}});
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text.toStdString();
    return kAnswerNo;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<FileDialogAnswer> ScriptedSeam::TakeFile() {
  const bool accepted = files_.front().has_value();
  const FileDialogAnswer answer = accepted ? *files_.front() : FileDialogAnswer{};
  files_.pop_front();
  if (!accepted) return std::nullopt;
  return answer;
}

std::optional<FileDialogAnswer> ScriptedSeam::ChooseFileToOpen(const FileDialogRequest& request) {
  calls_.push_back({CallKind::OpenFile, MessageIcon::Information, request.title, {}, {}, request});
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected open chooser: " << request.title.toStdString();
    return std::nullopt;
  }
  return TakeFile();
}

std::optional<FileDialogAnswer> ScriptedSeam::ChooseFileToSave(const FileDialogRequest& request) {
  calls_.push_back({CallKind::SaveFile, MessageIcon::Information, request.title, {}, {}, request});
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected save chooser: " << request.title.toStdString();
    return std::nullopt;
  }
  return TakeFile();
}

std::optional<QString> ScriptedSeam::Prompt(const QString& caption, const QString& label, const QString& value) {
  calls_.push_back({CallKind::Prompt, MessageIcon::Information, caption, label, value, {}});
  if (prompts_.empty()) {
    ADD_FAILURE() << "unexpected prompt: " << caption.toStdString();
    return std::nullopt;
  }
  const bool accepted = prompts_.front().has_value();
  const QString text = accepted ? *prompts_.front() : QString();
  prompts_.pop_front();
  if (!accepted) return std::nullopt;
  return text;
}

void ScriptedSeam::OpenWithDesktop(const QString& target) {
  calls_.push_back({CallKind::OpenWithDesktop, MessageIcon::Information, {}, target, {}, {}});
}

void ScriptedSeam::SetClipboardText(const QString& text) {
  calls_.push_back({CallKind::SetClipboard, MessageIcon::Information, {}, text, {}, {}});
  clipboard_ = text;
}

QString ScriptedSeam::ClipboardText() {
  calls_.push_back({CallKind::GetClipboard, MessageIcon::Information, {}, clipboard_, {}, {}});
  return clipboard_;
}

ScopedScriptedSeam::ScopedScriptedSeam() {
  auto seam = std::make_unique<ScriptedSeam>();
  seam_ = seam.get();
  previous_ = SetSeam(std::move(seam));
}

ScopedScriptedSeam::~ScopedScriptedSeam() { SetSeam(std::move(previous_)); }

}  // namespace kalmetra::test
