#include "FiltrZaznamu_f.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dialogy.h"
#include "Hlavni_f.h"
#include "Pomocne.h"
#include "SpusteniDialogu.h"
#include "TextCodec.h"

namespace kalmetra {

TFiltrZaznamu::TFiltrZaznamu(THlavni& hlavni, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FiltrZaznamu"));
  setWindowTitle(QStringLiteral("Filtr"));

  Cb_Pole = new QComboBox(this);
  Cb_Pole->setObjectName(QStringLiteral("Cb_Pole"));
  Cb_Pole->setMaxVisibleItems(10);
  Cb_Podminka = PsanySeznam(QStringLiteral("Cb_Podminka"), this);
  Tl_Filtr = new QPushButton(QStringLiteral("Filtr"), this);
  Tl_Filtr->setObjectName(QStringLiteral("Tl_Filtr"));
  Tl_Filtr->setDefault(true);
  Tl_Filtr->setAutoDefault(true);
  Tl_Storno = NoveTlacitko(QStringLiteral("Storno"), QStringLiteral("Tl_Storno"), this);

  auto* rozvrzeni = new QVBoxLayout(this);
  auto* pole = new QFormLayout;
  pole->addRow(QStringLiteral("Kde filtrovat"), Cb_Pole);
  pole->addRow(QStringLiteral("Vyraz filtru"), Cb_Podminka);
  rozvrzeni->addLayout(pole);
  rozvrzeni->addStretch(1);
  rozvrzeni->addLayout(RadaTlacitek(Tl_Filtr, Tl_Storno));
  PevnaVelikostUprostred(*this, QSize(384, 148));
  setTabOrder(Cb_Pole, Cb_Podminka);
  setTabOrder(Cb_Podminka, Tl_Filtr);
  setTabOrder(Tl_Filtr, Tl_Storno);

  connect(Tl_Filtr, &QPushButton::clicked, this, &QDialog::accept);
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);

  Cb_Podminka->addItems(hlavni.NacistSeznam());
  if (hlavni.PoleFiltru.isEmpty()) {
    Cb_Pole->addItems(hlavni.TitulkySloupcu());
    Cb_Pole->setCurrentIndex(Cb_Pole->count() > 1 ? 1 : -1);
  } else {
    NaplnitPole(*Cb_Pole, hlavni, hlavni.PoleFiltru);
  }
  Cb_Podminka->setEditText(hlavni.VyrazFiltru);
  zmeneno_ = false;
  Aktualizovat();
  connect(Cb_Podminka, &QComboBox::editTextChanged, this, [this] {
    zmeneno_ = true;
    Aktualizovat();
  });
  connect(Cb_Podminka, &QComboBox::activated, this, [this] {
    zmeneno_ = true;
    Aktualizovat();
  });
  // Without a chosen field the condition would name no column.
  connect(Cb_Pole, &QComboBox::currentIndexChanged, this, [this] { Aktualizovat(); });
  Cb_Podminka->setFocus();
}

void TFiltrZaznamu::Aktualizovat() { Tl_Filtr->setEnabled(zmeneno_ && Cb_Pole->currentIndex() >= 0); }

QString OrezatVyraz(const QString& text) {
  qsizetype zacatek = 0, konec = text.size();
  while (zacatek < konec && text.at(zacatek).unicode() <= 32) ++zacatek;
  while (konec > zacatek && text.at(konec - 1).unicode() <= 32) --konec;
  return text.mid(zacatek, konec - zacatek);
}

void Filtr(THlavni& hlavni) {
  QString popisek, vyraz;
  {
    TFiltrZaznamu dialog(hlavni, &hlavni);
    if (SpustitDialog(dialog) != QDialog::Accepted) return;
    popisek = dialog.Cb_Pole->currentText();
    vyraz = OrezatVyraz(dialog.Cb_Podminka->currentText());
    if (!vyraz.isEmpty()) {
      QStringList seznam;
      for (int i = 0; i < dialog.Cb_Podminka->count(); ++i) seznam << dialog.Cb_Podminka->itemText(i);
      const QStringList nacteny = seznam;
      PridatDoSeznamu(seznam, vyraz, THlavni::kPolozekSeznamu);
      // The list came from the file: repeating the newest text leaves nothing to write.
      if (seznam != nacteny) hlavni.UlozitSeznam(seznam);
    }
  }
  if (vyraz.isEmpty()) {
    Informace(QStringLiteral("Není zadán výraz podmínky."));
    return;
  }
  // The list statement quotes the text: it is only ever a pattern, never part of the SQL.
  hlavni.ZmenitSeznam(hlavni.NazevPole(popisek), vyraz, hlavni.PoleTrideni, hlavni.LaParametrSetrideni()->text(),
                      QStringLiteral("Filtr : ") + vyraz + QStringLiteral(" [") + popisek + QStringLiteral("]"));
}

void ZrusitFiltr(THlavni& hlavni) {
  hlavni.ZmenitSeznam(hlavni.PoleFiltru, QString(), hlavni.PoleTrideni, hlavni.LaParametrSetrideni()->text(),
                      QStringLiteral("Filtr : není zadán"));
}

}  // namespace kalmetra
