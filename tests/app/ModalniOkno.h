// Acting inside a modal dialog that a test opens with exec(): the steps are posted
// before the dialog opens and run inside its event loop; the dialog is closed when they
// end, also after a failed assertion, so no test can hang on it.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kalmetra::test {

// Runs the steps on the next modal dialog; *ran tells whether it came up at all.
inline void VModalnimOkne(std::function<void(QDialog&)> steps, std::shared_ptr<bool> ran = nullptr) {
  QTimer::singleShot(0, [steps = std::move(steps), ran] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "no modal dialog";
    if (ran) *ran = true;
    struct Closer {
      QDialog* d;
      ~Closer() {
        if (d->isVisible()) d->reject();
      }
    } closer{dialog};
    steps(*dialog);
  });
}

}  // namespace kalmetra::test
