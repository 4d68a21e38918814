#include <gtest/gtest.h>

#include "ScriptedDialogs.h"

namespace kalmetra::test {

ScopedDialogScript::ScopedDialogScript() {
  previous_ = NastavitSpoustecDialogu([this](QDialog& dialog) {
    ++shown_;
    dialog.setResult(0);
    dialog.show();
    if (steps_.empty()) {
      ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
      dialog.reject();
      return dialog.result();
    }
    auto step = std::move(steps_.front());
    steps_.pop_front();
    step(dialog);
    if (dialog.isVisible()) {
      ADD_FAILURE() << "dialog left open: " << dialog.windowTitle().toStdString();
      dialog.reject();
    }
    return dialog.result();
  });
}

ScopedDialogScript::~ScopedDialogScript() { NastavitSpoustecDialogu(std::move(previous_)); }

}  // namespace kalmetra::test
