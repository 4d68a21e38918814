#include "TrideniRazeni_f.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dialogy.h"
#include "Hlavni_f.h"
#include "SpusteniDialogu.h"

namespace kalmetra {

TTrideniRazeni::TTrideniRazeni(THlavni& hlavni, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TrideniRazeni"));
  setWindowTitle(QStringLiteral("Třídění a řazení"));

  La_PodlePole = new QLabel(QStringLiteral("Podle pole"), this);
  La_PodlePole->setObjectName(QStringLiteral("La_PodlePole"));
  CBox_Pole = new QComboBox(this);
  CBox_Pole->setObjectName(QStringLiteral("CBox_Pole"));
  CBox_Pole->setMaxVisibleItems(10);
  La_PodlePole->setBuddy(CBox_Pole);
  Tl_Ok = NoveTlacitko(QStringLiteral("Ok"), QStringLiteral("Tl_Ok"), this);
  Tl_Ok->setDefault(true);
  Tl_Storno = NoveTlacitko(QStringLiteral("Storno"), QStringLiteral("Tl_Storno"), this);

  auto* rozvrzeni = new QVBoxLayout(this);
  rozvrzeni->addWidget(La_PodlePole);
  rozvrzeni->addWidget(CBox_Pole);
  rozvrzeni->addStretch(1);
  rozvrzeni->addLayout(RadaTlacitek(Tl_Ok, Tl_Storno));
  PevnaVelikostUprostred(*this, QSize(244, 146));

  connect(Tl_Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);

  // A hidden field cannot be chosen: the list holds the shown columns only.
  NaplnitPole(*CBox_Pole, hlavni, hlavni.PoleTrideni);
  Tl_Ok->setEnabled(false);
  connect(CBox_Pole, &QComboBox::activated, this, [this] { Tl_Ok->setEnabled(true); });
  CBox_Pole->setFocus();
}

void Trideni(THlavni& hlavni) {
  bool ok = false;
  QString popisek;
  {
    TTrideniRazeni dialog(hlavni, &hlavni);
    ok = SpustitDialog(dialog) == QDialog::Accepted;
    popisek = dialog.CBox_Pole->currentText();
  }
  const QString pole = hlavni.NazevPole(popisek);
  if (!ok || pole.isEmpty() || pole == hlavni.PoleTrideni) return;
  hlavni.ZmenitSeznam(hlavni.PoleFiltru, hlavni.VyrazFiltru, pole, QStringLiteral("Setříděno podle : ") + popisek,
                      hlavni.LaParametrFiltru()->text());
}

}  // namespace kalmetra
