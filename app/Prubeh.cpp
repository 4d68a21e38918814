#include "Prubeh.h"

#include <QApplication>

#include <algorithm>
#include <QProgressBar>
#include <QWidget>

namespace kalmetra {

namespace {

constexpr qint64 kUdalostiPo = 40;    // ms between two rounds of pending events

}  // namespace

TPrubeh::TPrubeh(QWidget* okno, const QString& popis, int celkem) : okno_(okno), popis_(popis), celkem_(celkem) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  od_.start();
  ++probiha_;
}

TPrubeh::~TPrubeh() {
  --probiha_;
  delete ukazatel_;
  QApplication::restoreOverrideCursor();
}

void TPrubeh::Obnovit(int hotovo) {
  odPosledni_ = 0;
  const qint64 ted = od_.elapsed();
  if (ted - posledniUdalosti_ < std::min(kUdalostiPo, zobrazitPo_)) return;
  posledniUdalosti_ = ted;
  if (ukazatel_ == nullptr && ted >= zobrazitPo_ && okno_ != nullptr) {
    if (QWidget* panel = okno_->findChild<QWidget*>(QStringLiteral("SpodniNastrojPanel"))) {
      ukazatel_ = new QProgressBar(panel);
      ukazatel_->setObjectName(QStringLiteral("PrubehPrace"));
      ukazatel_->setRange(0, std::max(celkem_, 1));
      ukazatel_->setFormat(popis_ + QStringLiteral(" %p %"));
      ukazatel_->setGeometry(panel->width() - 212, 3, 204, panel->height() - 6);
      ukazatel_->raise();
      ukazatel_->show();
    }
  }
  if (ukazatel_ != nullptr) ukazatel_->setValue(std::min(hotovo, ukazatel_->maximum()));
  // The window repaints, but no click or key may start another command on the record
  // set being walked; they wait until the work is done.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kalmetra
