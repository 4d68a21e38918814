#include "SpusteniDialogu.h"

#include <QDialog>

#include <utility>

namespace kalmetra {

namespace {

SpoustecDialogu& Spoustec() {
  static SpoustecDialogu spoustec;
  return spoustec;
}

}  // namespace

int SpustitDialog(QDialog& dialog) {
  if (Spoustec()) return Spoustec()(dialog);
  return dialog.exec();
}

SpoustecDialogu NastavitSpoustecDialogu(SpoustecDialogu spoustec) {
  return std::exchange(Spoustec(), std::move(spoustec));
}

}  // namespace kalmetra
