#include "Dialogy.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QPushButton>
#include <QScreen>

#include "Hlavni_f.h"
#include "TextCodec.h"
#include "sql3_defs.h"

namespace kalmetra {

void PevnaVelikostUprostred(QDialog& dialog, QSize klient) {
  if (dialog.layout() != nullptr) klient = klient.expandedTo(dialog.layout()->sizeHint());
  dialog.setFixedSize(klient);
  const QRect obrazovka = QGuiApplication::primaryScreen()->geometry();
  dialog.move(obrazovka.x() + (obrazovka.width() - klient.width()) / 2,
              obrazovka.y() + (obrazovka.height() - klient.height()) / 2);
}

QPushButton* NoveTlacitko(const QString& popisek, const QString& jmeno, QWidget* rodic) {
  auto* tlacitko = new QPushButton(popisek, rodic);
  tlacitko->setObjectName(jmeno);
  return tlacitko;
}

QComboBox* PsanySeznam(const QString& jmeno, QWidget* rodic) {
  auto* seznam = new QComboBox(rodic);
  seznam->setObjectName(jmeno);
  seznam->setEditable(true);
  seznam->setInsertPolicy(QComboBox::NoInsert);
  seznam->setMaxVisibleItems(10);
  seznam->setValidator(new AnsiValidator(seznam));
  // Qt's own completer ignores letter case and completes inline: "žluť" became "Žluť".
  seznam->completer()->setCaseSensitivity(Qt::CaseSensitive);
  seznam->completer()->setCompletionMode(QCompleter::PopupCompletion);
  return seznam;
}

QHBoxLayout* RadaTlacitek(QPushButton* potvrdit, QPushButton* zrusit) {
  auto* rada = new QHBoxLayout;
  rada->addStretch(1);
  rada->addWidget(potvrdit);
  rada->addWidget(zrusit);
  return rada;
}

void NaplnitPole(QComboBox& seznam, const THlavni& hlavni, const QString& pole) {
  seznam.addItems(hlavni.TitulkySloupcu());
  QString popisek;
  // Without an open list no field has a label; nothing is selected then.
  if (hlavni.DataSet1.FindField(ToAnsi(pole)) != nullptr) popisek = hlavni.PopisekPole(pole);
  seznam.setCurrentIndex(popisek.isEmpty() ? -1 : seznam.findText(popisek, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace kalmetra
