#include "Konfig_f.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dialogy.h"
#include "Hlavni_f.h"
#include "IniSoubor.h"
#include "Katalog.h"
#include "Pomocne.h"
#include "SpusteniDialogu.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

// Field positions of the six optional fields, Zanr to Umisteni.
constexpr int kPrvniSkryvane = 4;

}  // namespace

TKonfig::TKonfig(THlavni& hlavni, QWidget* parent) : QDialog(parent), hlavni_(hlavni) {
  setObjectName(QStringLiteral("Konfig"));
  setWindowTitle(QStringLiteral("Konfigurace"));
  auto zaskrtavatko = [](QWidget* rodic, const char* nazev, const QString& text) {
    auto* b = new QCheckBox(text, rodic);
    b->setObjectName(QLatin1String(nazev));
    return b;
  };

  Ram_Vlastnosti = new QGroupBox(QStringLiteral("Nastavení prostředí"), this);
  Ram_Vlastnosti->setObjectName(QStringLiteral("Ram_Vlastnosti"));
  ChB_ZobrazDialogUloz =
      zaskrtavatko(Ram_Vlastnosti, "ChB_ZobrazDialogUloz", QStringLiteral("Zobrazovat dotaz před uložením změn"));
  La_VychoziAdresaWWWW = new QLabel(QStringLiteral("Výchozí www stránky filmové databáze"), Ram_Vlastnosti);
  La_VychoziAdresaWWWW->setObjectName(QStringLiteral("La_VychoziAdresaWWWW"));
  Ed_VychoziAdresaWWWW = new QLineEdit(Ram_Vlastnosti);
  Ed_VychoziAdresaWWWW->setObjectName(QStringLiteral("Ed_VychoziAdresaWWWW"));
  Ed_VychoziAdresaWWWW->setValidator(new AnsiValidator(Ed_VychoziAdresaWWWW));  // the settings file is 8-bit
  La_VychoziAdresaWWWW->setBuddy(Ed_VychoziAdresaWWWW);
  ChB_UkladatPozici = zaskrtavatko(Ram_Vlastnosti, "ChB_UkladatPozici", QStringLiteral("Ukládat pozici a rozměry formuláře"));
  ChB_UkladatTabulku = zaskrtavatko(Ram_Vlastnosti, "ChB_UkladatTabulku", QStringLiteral("Ukládat šířky sloupců tabulky"));
  auto* vlastnosti = new QVBoxLayout(Ram_Vlastnosti);
  vlastnosti->addWidget(ChB_ZobrazDialogUloz);
  auto* adresa = new QHBoxLayout;
  adresa->addWidget(La_VychoziAdresaWWWW);
  adresa->addWidget(Ed_VychoziAdresaWWWW, 1);
  vlastnosti->addLayout(adresa);
  vlastnosti->addWidget(ChB_UkladatPozici);
  vlastnosti->addWidget(ChB_UkladatTabulku);

  Ram_PoleDB = new QGroupBox(QStringLiteral("Uspořádání polí databáze"), this);
  Ram_PoleDB->setObjectName(QStringLiteral("Ram_PoleDB"));
  auto* pole = new QVBoxLayout(Ram_PoleDB);
  for (size_t i = 0; i < ChB_Skryt.size(); ++i) {
    const PoleKatalogu& p = kPoleKatalogu[kPrvniSkryvane + i];
    ChB_Skryt[i] = zaskrtavatko(Ram_PoleDB, "", QString());
    ChB_Skryt[i]->setObjectName(QStringLiteral("ChB_") + QLatin1String(p.klicSkryti));
    pole->addWidget(ChB_Skryt[i]);
  }

  Tl_Ok = NoveTlacitko(QStringLiteral("Ok"), QStringLiteral("Tl_Ok"), this);
  Tl_Ok->setDefault(true);
  Tl_Storno = NoveTlacitko(QStringLiteral("Storno"), QStringLiteral("Tl_Storno"), this);
  auto* rozvrzeni = new QVBoxLayout(this);
  rozvrzeni->addWidget(Ram_Vlastnosti);
  rozvrzeni->addWidget(Ram_PoleDB);
  rozvrzeni->addStretch(1);
  rozvrzeni->addLayout(RadaTlacitek(Tl_Ok, Tl_Storno));
  PevnaVelikostUprostred(*this, QSize(424, 396));

  ChB_ZobrazDialogUloz->setChecked(hlavni.ZobrazDialogUloz);
  Ed_VychoziAdresaWWWW->setText(hlavni.VychoziAdresaWWWW);
  Ed_VychoziAdresaWWWW->setCursorPosition(0);
  ChB_UkladatPozici->setChecked(hlavni.UkladatPozici);
  ChB_UkladatTabulku->setChecked(hlavni.UkladatTabulku);
  for (size_t i = 0; i < ChB_Skryt.size(); ++i) {
    ChB_Skryt[i]->setChecked(hlavni.Skryt[kPrvniSkryvane + i]);
    ChB_Skryt[i]->setText(QStringLiteral("Skrýt pole ") + PopiskyPoli(static_cast<int>(kPrvniSkryvane + i) + 1));
  }
  Tl_Ok->setEnabled(false);
  poleZmenena_ = false;

  const auto povolit = [this] { Tl_Ok->setEnabled(true); };
  for (QCheckBox* b : {ChB_ZobrazDialogUloz, ChB_UkladatPozici, ChB_UkladatTabulku})
    connect(b, &QCheckBox::clicked, this, povolit);
  connect(Ed_VychoziAdresaWWWW, &QLineEdit::textChanged, this, povolit);
  for (QCheckBox* b : ChB_Skryt)
    connect(b, &QCheckBox::clicked, this, [this] {
      Tl_Ok->setEnabled(true);
      poleZmenena_ = true;
    });
  connect(Tl_Ok, &QPushButton::clicked, this, [this] { Potvrdit(); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);
}

void TKonfig::Potvrdit() {
  hlavni_.ZobrazDialogUloz = ChB_ZobrazDialogUloz->isChecked();
  hlavni_.VychoziAdresaWWWW = Ed_VychoziAdresaWWWW->text();
  hlavni_.UkladatPozici = ChB_UkladatPozici->isChecked();
  hlavni_.UkladatTabulku = ChB_UkladatTabulku->isChecked();
  if (poleZmenena_) {
    for (size_t i = 0; i < ChB_Skryt.size(); ++i) hlavni_.Skryt[kPrvniSkryvane + i] = ChB_Skryt[i]->isChecked();
    hlavni_.NastavitSloupce();
    QAction* prehrat = hlavni_.Akce(QStringLiteral("Akce_Prehrat"));
    prehrat->setVisible(!hlavni_.Skryt[kPocetPoli - 1]);
    prehrat->setEnabled(prehrat->isVisible());
  }

  // One replacement of the file for all the keys: a kill in between never leaves half.
  const auto b = [](bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); };
  const QString formular = QStringLiteral("Formular");
  std::vector<ProfileFile::SectionValues> oddily = {
      {QStringLiteral("Nastaveni"),
       {{QStringLiteral("ZobrazDialogUloz"), b(hlavni_.ZobrazDialogUloz)},
        {QStringLiteral("VychoziAdresaWWWW"), hlavni_.VychoziAdresaWWWW}}},
      {formular, {{QStringLiteral("UkladatPozici"), b(hlavni_.UkladatPozici)}}}};
  if (poleZmenena_) {
    ProfileFile::SectionValues pole{QLatin1String(kOddilUsporadaniPoli), {}};
    for (size_t i = 0; i < ChB_Skryt.size(); ++i)
      pole.second.emplace_back(QLatin1String(kPoleKatalogu[kPrvniSkryvane + i].klicSkryti),
                               b(hlavni_.Skryt[kPrvniSkryvane + i]));
    oddily.push_back(std::move(pole));
  }
  oddily.push_back({formular, {{QStringLiteral("UkladatTabulku"), b(hlavni_.UkladatTabulku)}}});
  ProfileFile ini(hlavni_.SouborNastaveni());
  const bool ok = ini.WriteSections(oddily);
  if (!ok)
    Varovani(QString(), QStringLiteral("Nastavení se nepodařilo uložit do souboru \"") + hlavni_.SouborNastaveni() +
                            QStringLiteral("\".\r\n") + ini.LastError());
  accept();
}

void Konfigurace(THlavni& hlavni) {
  TKonfig dialog(hlavni, &hlavni);
  SpustitDialog(dialog);
}

}  // namespace kalmetra
