// The program's entry: the application, the main window whose creation is the whole
// start-up, and the event loop.
#include "Aplikace.h"
#include "Hlavni_f.h"
#include "Pomocne.h"
#include "Verze.h"

#include <QIcon>

int main(int argc, char* argv[]) {
  kalmetra::TAplikace application(argc, argv);
  QApplication::setApplicationName(kalmetra::TitulekAplikace());
  QApplication::setApplicationVersion(QStringLiteral(KALMETRA_VERSION_TEXT));
  kalmetra::NacistCeskePreklady(application);
  // The launcher's icon also stands in the title bar and the task switcher.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/ikona/kalmetra-128.png")));

  kalmetra::THlavni hlavni(kalmetra::SlozkaProgramu());
  if (hlavni.UkoncitAplikaci()) return 0;
  hlavni.show();
  return QApplication::exec();
}
