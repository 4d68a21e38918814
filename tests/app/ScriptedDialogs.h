// Runs the program's dialogs in tests: each dialog shown is handed to the next queued
// step, which works its controls and closes it. A dialog without a step, or one a step
// leaves open, fails the test and is cancelled.
#pragma once

#include <SpusteniDialogu.h>

#include <QDialog>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace kalmetra::test {

class ScopedDialogScript {
 public:
  ScopedDialogScript();
  ~ScopedDialogScript();
  ScopedDialogScript(const ScopedDialogScript&) = delete;
  ScopedDialogScript& operator=(const ScopedDialogScript&) = delete;

  void Queue(std::function<void(QDialog&)> step) { steps_.push_back(std::move(step)); }
  int Shown() const { return shown_; }
  bool AllUsed() const { return steps_.empty(); }

 private:
  std::deque<std::function<void(QDialog&)>> steps_;
  int shown_ = 0;
  SpoustecDialogu previous_;
};

// Finds a named control of a dialog; fails the test when it is missing.
template <typename T>
T* Control(QDialog& dialog, const char* name) {
  T* control = dialog.findChild<T*>(QLatin1String(name));
  if (control == nullptr) ADD_FAILURE() << "no control " << name;
  return control;
}

}  // namespace kalmetra::test
