// The main window: toolbar, the catalogue grid, the status line; the owner of the
// connection, the catalogue record set, the settings and the view state.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "Interakce.h"
#include "Katalog.h"
#include "sql3_defs.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QToolBar;

namespace kalmetra {

class TModelMrizky;

// The list statement of the grid, the one place that builds it: the whole table, an
// optional LIKE condition on one field, ordered by one field in the locale's order.
QString SestavitPrikazSeznamu(const QString& poleFiltru, const QString& vyrazFiltru, const QString& poleTrideni);

class THlavni : public QMainWindow {
  Q_OBJECT

 public:
  // Runs the whole start-up in the program folder (with its trailing separator).
  explicit THlavni(const QString& cestaProgramu, QWidget* parent = nullptr);
  ~THlavni() override;

  // Start-up found the program unusable (no SQLite library, no database) and said so.
  bool UkoncitAplikaci() const { return ukoncit_; }

  // Components used by the dialogs.
  orvek3::TOrvek3Database Orvek3Database1;
  orvek3::TOrvek3Query DataSet1;
  orvek3::TOrvek3Query OrQuery_Funkce;
  QTableView* DBGrid1 = nullptr;
  // The export's save dialog: lives with the window, so the type chosen last stays.
  FileDialogRequest SaveDialog1;

  // Settings (read at start-up).
  QString CestaProgramu;
  bool ZobrazDialogUloz = true;
  QString VychoziAdresaWWWW;
  bool UkladatPozici = true;
  bool UkladatTabulku = true;
  std::array<bool, kPocetPoli> Skryt{};     // per field; only Zanr to Umisteni can be true
  std::array<int, kPocetPoli> SirkyPoli{};  // grid column widths per field

  // View state.
  QString PoleTrideni = QStringLiteral("Id");
  QString PoleHledani = QStringLiteral("Titul");
  QString HledanyVyraz;
  bool CeleVyrazy = false;
  QString PoleFiltru = QStringLiteral("Titul");
  QString VyrazFiltru;

  QString SouborNastaveni() const { return CestaProgramu + QLatin1String(kSouborNastaveni); }
  QString SouborDatabaze() const { return CestaProgramu + QLatin1String(kSouborDatabaze); }
  QString SouborKnihovny() const { return CestaProgramu + QStringLiteral(KALMETRA_SQLITE_LIBNAME); }

  // Field name -> label by the field's position in DataSet1; label -> field name.
  QString PopisekPole(const QString& nazev) const;
  QString NazevPole(const QString& popisek) const;
  // The shared search and filter history: slots 1 to 20, empty and "none" slots left out.
  // The history of search and filter texts, shared by both dialogs: this many slots.
  static constexpr int kPolozekSeznamu = 20;
  QStringList NacistSeznam() const;
  // Writes the history: nothing for an empty list, else all twenty slots ("none" past its end).
  void UlozitSeznam(const QStringList& seznam);
  // One more than the largest Id, 1 for an empty table.
  int64_t NoveId();

  void NastavitSloupce();
  void NastavitAkce();
  // Closes DataSet1, opens it on the list statement of the view state and reads it whole.
  void OtevritSeznam();
  // Reopens the list on another filter or order and shows them in the status labels.
  // When the new statement fails, the error is shown and the list, the view state and
  // the labels go back to what they were; false then.
  bool ZmenitSeznam(const QString& poleFiltru, const QString& vyrazFiltru, const QString& poleTrideni,
                    const QString& textTrideni, const QString& textFiltru);

  void SirkaSloupcuPodleZahlavi();
  void SirkaSloupcuPodleObsahu();
  void SirkaSloupcuVychozi();

  QAction* Akce(const QString& name) const;
  QLabel* LaCisloZaznamu() const { return laCisloZaznamu_; }
  QLabel* LaParametrSetrideni() const { return laParametrSetrideni_; }
  QLabel* LaParametrFiltru() const { return laParametrFiltru_; }
  // The field index shown by each grid column, in grid order.
  const std::vector<int>& PoleSloupcu() const;
  // The grid's column captions in grid order: the labels of the shown fields.
  QStringList TitulkySloupcu() const;

  // The toolbar is part of the layout: no menu offers to hide it.
  QMenu* createPopupMenu() override { return nullptr; }

  // The data source's data-change event: record counter and actions.
  void ZmenaDat();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void VytvoritAkce();
  void VytvoritMenuANastroje();
  void VytvoritMrizku();
  void VytvoritStavovyRadek();
  // Sets an oversized settings file aside, so that the start goes on with defaults.
  void OdlozitPrilisVelkeNastaveni();
  bool NacistNastaveni();
  void UmistitOkno();
  bool Spustit();
  void PripojitAOtevrit();
  // Connects and opens the list; on failure says so and leaves the window without the list.
  bool OtevritKatalog();
  void ZobrazitZavrenySeznam(const QString& duvod);
  void UlozitPriZavreni();
  void PresunoutNaRadek(int row);

  std::map<QString, QAction*> akce_;
  std::unique_ptr<TModelMrizky> model_;
  QLabel* laCisloZaznamu_ = nullptr;
  QLabel* laParametrSetrideni_ = nullptr;
  QLabel* laParametrFiltru_ = nullptr;
  bool ukoncit_ = false;
  bool zavreno_ = false;
};

// The single instance, while it lives.
THlavni* Hlavni();

}  // namespace kalmetra
