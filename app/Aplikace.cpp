#include "Aplikace.h"

#include "Pomocne.h"
#include "TextCodec.h"
#include "sql3_defs.h"

namespace kalmetra {

TAplikace::TAplikace(int& argc, char** argv) : QApplication(argc, argv) {}

bool TAplikace::notify(QObject* receiver, QEvent* event) {
  // Qt does not let exceptions pass through its event loop: each command's error is
  // caught where its event is delivered, reported, and the program goes on.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ZobrazitChybu(QString(), e);
  } catch (...) {
    Varovani(QString(), QStringLiteral("Neznámá chyba."));
  }
  return true;
}

void ZobrazitChybu(const QString& uvod, const std::exception& chyba) {
  if (dynamic_cast<const orvek3::OperationAborted*>(&chyba) != nullptr) return;
  // Errors of the data layer carry Windows-1250 text; library messages are ASCII.
  const QString text = FromAnsi(chyba.what());
  Varovani(QString(), uvod.isEmpty() ? text : uvod + QStringLiteral("\r\n") + text);
}

}  // namespace kalmetra
