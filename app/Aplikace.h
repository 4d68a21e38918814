// The application object: reports an error that escapes a command, instead of letting
// it end the program.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>

namespace kalmetra {

class TAplikace : public QApplication {
 public:
  TAplikace(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The default error report: a message box with the error's text, after an optional
// first line saying what failed. A silent abort shows nothing.
void ZobrazitChybu(const QString& uvod, const std::exception& chyba);

}  // namespace kalmetra
