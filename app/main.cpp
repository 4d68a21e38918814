// The program's entry. The main window is still a placeholder.
#include <QApplication>
#include <QMainWindow>

#include "Pomocne.h"
#include "Verze.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(kalmetra::TitulekAplikace());
  QApplication::setApplicationVersion(QStringLiteral(KALMETRA_VERSION_TEXT));
  kalmetra::NacistCeskePreklady(application);

  QMainWindow window;
  window.setWindowTitle(kalmetra::TitulekAplikace());
  window.resize(696, 480);
  window.show();
  return QApplication::exec();
}
