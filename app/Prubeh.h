// Long work over the record set: the wait cursor for its whole length, the window kept
// painting, and past a second a progress bar in the main window's status line.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressBar;
class QWidget;

namespace kalmetra {

class TPrubeh {
 public:
  // okno: the window whose status line ("SpodniNastrojPanel") takes the bar; may be null.
  TPrubeh(QWidget* okno, const QString& popis, int celkem);
  ~TPrubeh();
  TPrubeh(const TPrubeh&) = delete;
  TPrubeh& operator=(const TPrubeh&) = delete;

  // Called after every row; cheap, it looks at the clock only every few rows.
  void Krok(int hotovo) {
    if (++odPosledni_ >= kRadkuMeziDotazy) Obnovit(hotovo);
  }
  // The bar, once shown; for tests.
  QProgressBar* Ukazatel() const { return ukazatel_; }

 private:
  static constexpr int kRadkuMeziDotazy = 64;
  void Obnovit(int hotovo);

  QPointer<QWidget> okno_;
  QString popis_;
  int celkem_;
  int odPosledni_ = 0;
  QElapsedTimer od_;
  qint64 posledniUdalosti_ = 0;
  QProgressBar* ukazatel_ = nullptr;
};

}  // namespace kalmetra
