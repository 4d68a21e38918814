#include "Hledat_f.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Aplikace.h"
#include "Dialogy.h"
#include "Hlavni_f.h"
#include "Pomocne.h"
#include "Pozastaveni.h"
#include "Prubeh.h"
#include "SpusteniDialogu.h"
#include "TextCodec.h"
#include "platform_library.h"

namespace kalmetra {

namespace {


QString ZpravaNenalezeno(const QString& text, const QString& popisek) {
  return QStringLiteral("Hledaný výraz: ") + text + QStringLiteral(" nebyl v poli ") + popisek +
         QStringLiteral(" nalezen.");
}

}  // namespace

bool NajitDalsi(THlavni& hlavni, const QString& pole, const QString& text, bool cele) {
  orvek3::TOrvek3Query& data = hlavni.DataSet1;
  // A walk over a large catalogue shows its progress past a second, as other long work.
  TPrubeh prubeh(&hlavni, QStringLiteral("Hledání"), std::max(0, data.RecordCount() - data.RecNo()));
  const TPozastaveni pozastaveni(data);
  bool nalezeno = false;
  {
    const std::string hledany = orvek3::AnsiLowerCase(ToAnsi(text));
    const orvek3::TRecField& f = data.FieldByName(ToAnsi(pole));
    orvek3::platform::ClearUpperVectorState();  // the walk runs after Qt's dialog code
    data.Next();
    int prosle = 0;
    while (!data.Eof()) {
      const std::string hodnota = orvek3::AnsiLowerCase(f.AsString());
      nalezeno = cele ? hodnota == hledany : !hledany.empty() && hodnota.find(hledany) != std::string::npos;
      if (nalezeno) break;
      data.Next();
      prubeh.Krok(++prosle);
    }
  }
  return nalezeno;
}

THledat::THledat(THlavni& hlavni, QWidget* parent) : QDialog(parent), hlavni_(hlavni) {
  setObjectName(QStringLiteral("Hledat"));
  setWindowTitle(QStringLiteral("Hledat"));

  Cb_Pole = new QComboBox(this);
  Cb_Pole->setObjectName(QStringLiteral("Cb_Pole"));
  Cb_Pole->setMaxVisibleItems(10);
  Cb_Retezec = PsanySeznam(QStringLiteral("Cb_Retezec"), this);
  Cb_Retezec->setMinimumWidth(220);
  Celevyrazy = new QCheckBox(QStringLiteral("Pouze celé výrazy"), this);
  Celevyrazy->setObjectName(QStringLiteral("Celevyrazy"));
  auto tlacitko = [this](const char* nazev, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(nazev));
    b->setAutoDefault(false);
    return b;
  };
  Tl_HledatOdZacatku = tlacitko("Tl_HledatOdZacatku", QStringLiteral("Od začátku"));
  Tl_HledatVyraz = tlacitko("Tl_HledatVyraz", QStringLiteral("Hledat"));
  Tl_HledatVyraz->setDefault(true);
  Tl_Zpet = tlacitko("Tl_Zpet", QStringLiteral("Zpět"));
  Tl_Storno = tlacitko("Tl_Storno", QStringLiteral("Storno"));

  auto* mrizka = new QGridLayout(this);
  auto* laPole = new QLabel(QStringLiteral("Kde hledat"), this);
  laPole->setBuddy(Cb_Pole);
  auto* laRetezec = new QLabel(QStringLiteral("Co hledat"), this);
  laRetezec->setBuddy(Cb_Retezec);
  mrizka->addWidget(laPole, 0, 0);
  mrizka->addWidget(Cb_Pole, 1, 0);
  mrizka->addWidget(laRetezec, 2, 0);
  mrizka->addWidget(Cb_Retezec, 3, 0);
  mrizka->addWidget(Celevyrazy, 4, 0);
  mrizka->setRowStretch(5, 1);
  auto* tlacitka = new QVBoxLayout;
  tlacitka->addWidget(Tl_HledatOdZacatku);
  tlacitka->addWidget(Tl_HledatVyraz);
  tlacitka->addWidget(Tl_Zpet);
  tlacitka->addWidget(Tl_Storno);
  tlacitka->addStretch(1);
  mrizka->addLayout(tlacitka, 0, 1, 6, 1);
  PevnaVelikostUprostred(*this, QSize(360, 170));
  setTabOrder(Cb_Pole, Cb_Retezec);
  setTabOrder(Cb_Retezec, Celevyrazy);
  setTabOrder(Celevyrazy, Tl_HledatOdZacatku);
  setTabOrder(Tl_HledatOdZacatku, Tl_HledatVyraz);
  setTabOrder(Tl_HledatVyraz, Tl_Zpet);
  setTabOrder(Tl_Zpet, Tl_Storno);

  Cb_Retezec->addItems(hlavni.NacistSeznam());
  Cb_Retezec->setEditText(QString());
  NaplnitPole(*Cb_Pole, hlavni, hlavni.PoleHledani);
  Tl_HledatOdZacatku->setEnabled(false);
  Tl_HledatVyraz->setEnabled(false);
  Celevyrazy->setChecked(false);
  if (hlavni.DataSet1.Active()) zalozka_ = hlavni.DataSet1.GetBookmark();

  auto povolit = [this] {
    Tl_HledatOdZacatku->setEnabled(true);
    Tl_HledatVyraz->setEnabled(true);
  };
  connect(Cb_Retezec, &QComboBox::editTextChanged, this, povolit);
  connect(Cb_Retezec, &QComboBox::activated, this, povolit);
  connect(Tl_HledatVyraz, &QPushButton::clicked, this, [this] { Hledat(); });
  connect(Tl_HledatOdZacatku, &QPushButton::clicked, this, [this] { HledatOdZacatku(); });
  connect(Tl_Zpet, &QPushButton::clicked, this, [this] { Zpet(); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);
  Cb_Retezec->setFocus();
}

void THledat::Hledat() {
  const QString text = Cb_Retezec->currentText();
  if (text.isEmpty()) {
    Informace(QStringLiteral("Není zadaný hledaný výraz ..."));
    return;
  }
  QStringList seznam;
  for (int i = 0; i < Cb_Retezec->count(); ++i) seznam << Cb_Retezec->itemText(i);
  PridatDoSeznamu(seznam, text, THlavni::kPolozekSeznamu);
  {
    // Refilling the list is no change of the text by the user: Od začátku stays as it is.
    const QSignalBlocker ticho(Cb_Retezec);
    Cb_Retezec->clear();
    Cb_Retezec->addItems(seznam);
    Cb_Retezec->setCurrentIndex(0);
  }

  const QString popisek = Cb_Pole->currentText();
  hlavni_.PoleHledani = hlavni_.NazevPole(popisek);
  hlavni_.HledanyVyraz = text;
  hlavni_.CeleVyrazy = Celevyrazy->isChecked();
  hlavni_.NastavitAkce();
  try {
    if (!NajitDalsi(hlavni_, hlavni_.PoleHledani, text, Celevyrazy->isChecked()))
      Informace(ZpravaNenalezeno(text, popisek));
  } catch (const std::exception& e) {
    ZobrazitChybu(QString(), e);
  }
}

void THledat::HledatOdZacatku() {
  // Disabled (and so doing nothing) when the first row is already current.
  hlavni_.Akce(QStringLiteral("Akce_PrvniZaznam"))->trigger();
  Hledat();
  Tl_HledatOdZacatku->setEnabled(false);
}

void THledat::Zpet() {
  orvek3::TOrvek3Query& data = hlavni_.DataSet1;
  if (zalozka_ != 0 && data.Active() && data.BookmarkValid(zalozka_)) data.GotoBookmark(zalozka_);
}

void THledat::done(int result) {
  QStringList seznam;
  for (int i = 0; i < Cb_Retezec->count(); ++i) seznam << Cb_Retezec->itemText(i);
  hlavni_.UlozitSeznam(seznam);
  QDialog::done(result);
}

void HledatZaznam(THlavni& hlavni) {
  THledat dialog(hlavni, &hlavni);
  SpustitDialog(dialog);
}

void HledatZaznamDalsi(THlavni& hlavni) {
  if (hlavni.HledanyVyraz.isEmpty()) return;
  if (!NajitDalsi(hlavni, hlavni.PoleHledani, hlavni.HledanyVyraz, hlavni.CeleVyrazy))
    Informace(ZpravaNenalezeno(hlavni.HledanyVyraz, hlavni.PopisekPole(hlavni.PoleHledani)));
}

}  // namespace kalmetra
