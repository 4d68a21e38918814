// The report list window: the templates of the folder "Ses", the details of the selected
// one, and preview, print and design through the report engine.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

#include "engine.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QAction;

namespace kalmetra {

class THlavni;

struct PolozkaSestavy {
  QString JmenoSouboru;
  QString Nazev;
};

// The report name as it stands in the template's text (raw Windows-1250 bytes, no
// entity decoded); empty when the file has none.
QString NazevSestavy(const QString& cesta);

class TSestavy : public QDialog {
  Q_OBJECT

 public:
  explicit TSestavy(THlavni& hlavni);
  ~TSestavy() override;

  rpt::TRptReport RptReport1;
  rpt::TRptDataset RptDataset1;
  rpt::TRptPDFExport RptPDFExport1;
  rpt::TRptDesigner RptDesigner1;

  std::vector<PolozkaSestavy> PolozkySestav;

  QString SlozkaSestav() const;
  void NacistSeznamSestav(QTreeWidget* strom);
  QString SouborSestavy(const QString& nazev) const;

  void Akce_Nahled();
  void Akce_Tisk();
  void Akce_Editace();

 private:
  void ZmenaVyberu();
  void VyprazdnitUdaje();
  bool VybranUzel() const;

  THlavni& hlavni_;
  QTreeWidget* SeznamSestav = nullptr;
  QLabel* La_Nazev = nullptr;
  QLabel* La_Autor = nullptr;
  QLabel* La_Soubor = nullptr;
  QLabel* La_Popis = nullptr;
  QPushButton* Tl_Tisk = nullptr;
  QPushButton* Tl_Nahled = nullptr;
  QPushButton* Tl_Editace = nullptr;
  QPushButton* Tl_Konec = nullptr;
  rpt::EngineInteraction previousInteraction_;
};

// The report command of the main window: the printer gate, then the report list window.
void Akce_Sestavy(THlavni& hlavni);
// Whether the platform can print at all (a printer or the PDF printer of the dialog);
// tests may put in their own answer.
std::function<bool()>& TiskJeMozny();

}  // namespace kalmetra
