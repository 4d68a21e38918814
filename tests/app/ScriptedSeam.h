// A seam for tests: answers from queues filled by the test and a record of every call.
// A question, chooser or prompt without a queued answer fails the test that caused it.
#pragma once

#include <Interakce.h>

#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace kalmetra::test {

enum class CallKind { Message, Question, OpenFile, SaveFile, Prompt, OpenWithDesktop, SetClipboard, GetClipboard };

struct SeamCall {
  CallKind kind;
  MessageIcon icon = MessageIcon::Information;  // messages and questions
  QString caption;                              // caption or title
  QString text;                                 // text, prompt label, target or clipboard text
  QString value;                                // the prompt's initial value
  FileDialogRequest request;                    // file choosers
};

class ScriptedSeam : public UserInteraction {
 public:
  void ShowMessage(MessageIcon icon, const QString& caption, const QString& text) override;
  int Ask(MessageIcon icon, const QString& caption, const QString& text) override;
  std::optional<FileDialogAnswer> ChooseFileToOpen(const FileDialogRequest& request) override;
  std::optional<FileDialogAnswer> ChooseFileToSave(const FileDialogRequest& request) override;
  std::optional<QString> Prompt(const QString& caption, const QString& label, const QString& value) override;
  void OpenWithDesktop(const QString& target) override;
  void SetClipboardText(const QString& text) override;
  QString ClipboardText() override;

  // Answers, used in order.
  void QueueAnswer(int button) { answers_.push_back(button); }
  void QueueFile(std::optional<FileDialogAnswer> answer) { files_.push_back(std::move(answer)); }
  void QueuePrompt(std::optional<QString> answer) { prompts_.push_back(std::move(answer)); }

  const std::vector<SeamCall>& Calls() const { return calls_; }
  const QString& Clipboard() const { return clipboard_; }
  bool AllAnswersUsed() const { return answers_.empty() && files_.empty() && prompts_.empty(); }

 private:
  std::optional<FileDialogAnswer> TakeFile();

  std::vector<SeamCall> calls_;
  std::deque<int> answers_;
  std::deque<std::optional<FileDialogAnswer>> files_;
  std::deque<std::optional<QString>> prompts_;
  QString clipboard_;
};

// Installs a scripted seam for the lifetime of the object and restores the previous one.
class ScopedScriptedSeam {
 public:
  ScopedScriptedSeam();
  ~ScopedScriptedSeam();
  ScopedScriptedSeam(const ScopedScriptedSeam&) = delete;
  ScopedScriptedSeam& operator=(const ScopedScriptedSeam&) = delete;
  ScriptedSeam& operator*() const { return *seam_; }
  ScriptedSeam* operator->() const { return seam_; }

 private:
  ScriptedSeam* seam_;
  std::unique_ptr<UserInteraction> previous_;
};

}  // namespace kalmetra::test
