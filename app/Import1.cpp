#include "Import1.h"

#include <QFile>

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Hlavni_f.h"
#include "Interakce.h"
#include "Katalog.h"
#include "Pomocne.h"
#include "Pozastaveni.h"
#include "Prubeh.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

[[noreturn]] void Chyba(const QString& text) { throw std::runtime_error(ToAnsi(text)); }

// Reads the list anew and makes the row of that number current (the last one the import
// stored), looking from the end, where new numbers normally stand. A filter in force may
// hide stored rows: the user is told how many, or he would import them again.
QString ZobrazitUlozene(THlavni& hlavni, int64_t cislo, int ulozeno, int radkuPredtim) {
  orvek3::TOrvek3Query& ds = hlavni.DataSet1;
  hlavni.OtevritSeznam();
  const std::string hledane = std::to_string(cislo);
  const int pole = ds.FieldByName(kPoleKatalogu[0].nazev).Index();
  for (int radek = ds.CachedRowCount() - 1; radek >= 0; --radek) {
    if (ds.CachedText(radek, pole) == hledane) {
      ds.SetRecNo(radek + 1);
      break;
    }
  }
  const int skryto = ulozeno - (ds.RecordCount() - radkuPredtim);
  if (hlavni.VyrazFiltru.isEmpty() || skryto <= 0) return {};
  return QStringLiteral("Uloženo záznamů: %1. Filtr „%2“ [%3] z nich %4 neukazuje; uvidíte je po zrušení filtru.")
      .arg(ulozeno)
      .arg(hlavni.VyrazFiltru, hlavni.PopisekPole(hlavni.PoleFiltru))
      .arg(skryto);
}

// The import with the views suspended; what the user must be told once the grid shows
// the list again.
QString Importovat(THlavni& hlavni, const QString& soubor, std::exception_ptr& chyba) {
  orvek3::TOrvek3Query& ds = hlavni.DataSet1;
  ds.CheckBrowseMode();
  TPozastaveni pozastaveni(ds);
  QByteArray obsah;
  {
    QFile f(soubor);
    if (!f.open(QIODevice::ReadOnly))
      Chyba(QStringLiteral("Soubor \"%1\" nelze otevřít.\r\n%2").arg(soubor, f.errorString()));
    obsah = f.readAll();
    if (f.error() != QFileDevice::NoError)
      Chyba(QStringLiteral("Soubor \"%1\" nelze přečíst.\r\n%2").arg(soubor, f.errorString()));
  }
  const std::vector<std::string_view> radky =
      RadkyImportu(std::string_view(obsah.constData(), static_cast<size_t>(obsah.size())));
  if (radky.size() < 2) return {};

  TPrubeh prubeh(&hlavni, QStringLiteral("Import"), static_cast<int>(radky.size()) - 1);
  // The rows go to the database through one prepared statement in large transactions;
  // the grid shows them once the list is read anew at the end.
  const int radkuPredtim = ds.Active() ? ds.RecordCount() : 0;
  const UlozeneRadky ulozeno = UlozitRadky(ds, radky, [&](int r) { prubeh.Krok(r); }, chyba);
  return ulozeno.posledni ? ZobrazitUlozene(hlavni, *ulozeno.posledni, ulozeno.pocet, radkuPredtim) : QString();
}

}  // namespace

void ImportovatCSV(THlavni& hlavni, const QString& soubor) {
  std::exception_ptr chyba;
  const QString zprava = Importovat(hlavni, soubor, chyba);
  if (!zprava.isEmpty()) Informace(zprava);
  if (chyba) std::rethrow_exception(chyba);
}

void Akce_ImportDat(THlavni& hlavni) {
  FileDialogRequest dialog;
  dialog.title = QStringLiteral("Otevřít soubor csv");
  dialog.types = ParseFileTypes(QStringLiteral("Databáze csv (*.csv)|*.csv"));
  const std::optional<FileDialogAnswer> volba = Seam().ChooseFileToOpen(dialog);
  if (!volba) return;
  ImportovatCSV(hlavni, volba->path);
}

}  // namespace kalmetra
