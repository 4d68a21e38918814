// Shows the program's own dialogs modally. Tests install a runner that works the
// dialog's controls and closes it, so no test ever waits on a window.
#pragma once

#include <functional>

class QDialog;

namespace kalmetra {

using SpoustecDialogu = std::function<int(QDialog& dialog)>;

// Shows the dialog modally (or hands it to the installed runner) and returns its result.
int SpustitDialog(QDialog& dialog);
// Installs a runner and returns the one installed before; an empty one brings back the
// modal loop.
SpoustecDialogu NastavitSpoustecDialogu(SpoustecDialogu spoustec);

}  // namespace kalmetra
