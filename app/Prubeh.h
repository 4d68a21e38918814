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
  // True while some long work runs: the main window must not close under it.
  static bool Probiha() { return probiha_ > 0; }
  // Tests show the bar at once instead of after a second (ms); negative restores.
  static void ZobrazitPo(qint64 ms) { zobrazitPo_ = ms < 0 ? kVychoziZobrazitPo : ms; }

 private:
  static constexpr int kRadkuMeziDotazy = 64;
  static constexpr qint64 kVychoziZobrazitPo = 1000;  // ms before the bar appears
  void Obnovit(int hotovo);

  QPointer<QWidget> okno_;
  QString popis_;
  int celkem_;
  int odPosledni_ = 0;
  QElapsedTimer od_;
  qint64 posledniUdalosti_ = 0;
  QProgressBar* ukazatel_ = nullptr;
  static inline int probiha_ = 0;
  static inline qint64 zobrazitPo_ = kVychoziZobrazitPo;
};

}  // namespace kalmetra
