// Runs the program's own writes in a prepared folder so that scripts/kill9.sh can kill
// them with SIGKILL at any moment, and checks what such a kill left on the disk.
//
//   kill9 prepare <work>                 the program folder <work>/Kalmetra with a catalogue,
//                                        <work>/Export and the reference files in <work>/Vzor
//   kill9 write <kind> <work> <iteration> repeats one kind of write until killed; prints
//                                        "zacatek N" first and "hotovo N" after each write
//   kill9 start <work>                   the program's start-up in the folder, then exit
//   kill9 check <kind> <work> <N>        the files hold state N or N+1 of that kind, the
//                                        catalogue is sound, no temporary file is left;
//                                        prints "stav M", exit code 1 with the reason else
//
// The state of a kind is what its writes have done so far: films added, imports stored,
// or which of two versions a file holds; an export exists (1) or not yet (0).
#include <Ciselnik_f.h>
#include <Export1.h>
#include <Hlavni_f.h>
#include <Import1.h>
#include <Interakce.h>
#include <Katalog.h>
#include <NovyEdit_f.h>
#include <Sestavy_f.h>
#include <TextCodec.h>
#include <designer_doc.h>
#include <engine.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace kalmetra::kill9 {
namespace {

constexpr int kFilmu = 300;          // films of the prepared catalogue
constexpr int kRadkuImportu = 50;    // films of one import
const QStringList kDruhy = {QStringLiteral("novy"), QStringLiteral("editace"), QStringLiteral("import"),
                            QStringLiteral("csv"),  QStringLiteral("txt"),     QStringLiteral("xml"),
                            QStringLiteral("html"), QStringLiteral("nastaveni"), QStringLiteral("zanry"),
                            QStringLiteral("pdf"),  QStringLiteral("sablona")};

[[noreturn]] void Selhani(const QString& text) { throw std::runtime_error(text.toStdString()); }

// Printed with write(2), so that a kill right after it cannot lose the line in a buffer.
void Vypsat(const QString& radek) {
  const QByteArray b = (radek + QLatin1Char('\n')).toUtf8();
  if (::write(STDOUT_FILENO, b.constData(), static_cast<size_t>(b.size())) != b.size()) std::_Exit(3);
}

// Answers every dialog as the user of the write would; a message means that a write
// failed, which the run reports.
class TOdpovedi : public UserInteraction {
 public:
  std::optional<FileDialogAnswer> ulozit, otevrit;
  QString hlaska;  // the first message shown; no exception may cross Qt's frames
  void ShowMessage(MessageIcon, const QString& caption, const QString& text) override {
    if (hlaska.isEmpty()) hlaska = caption + QStringLiteral(": ") + text;
  }
  int Ask(MessageIcon, const QString&, const QString&) override { return kAnswerYes; }
  std::optional<FileDialogAnswer> ChooseFileToOpen(const FileDialogRequest&) override { return otevrit; }
  std::optional<FileDialogAnswer> ChooseFileToSave(const FileDialogRequest&) override { return ulozit; }
  std::optional<QString> Prompt(const QString&, const QString&, const QString&) override { return std::nullopt; }
  void OpenWithDesktop(const QString&) override {}
  void SetClipboardText(const QString&) override {}
  QString ClipboardText() override { return {}; }
};

TOdpovedi* odpovedi = nullptr;

struct Slozky {
  QString prace, program, exporty, vzor;
  explicit Slozky(const QString& cesta)
      : prace(QDir(cesta).absolutePath()),
        program(prace + QStringLiteral("/Kalmetra/")),
        exporty(prace + QStringLiteral("/Export/")),
        vzor(prace + QStringLiteral("/Vzor/")) {}
  QString Katalog() const { return program + QLatin1String(kSouborDatabaze); }
  QString Nastaveni() const { return program + QLatin1String(kSouborNastaveni); }
  QString Zanry() const { return program + QLatin1String(kSouborZanru); }
  QString Sablona() const { return program + QStringLiteral("Ses/Kill9.ksr"); }
};

QByteArray Precist(const QString& cesta) {
  QFile f(cesta);
  if (!f.open(QIODevice::ReadOnly)) Selhani(QStringLiteral("nelze přečíst ") + cesta);
  return f.readAll();
}

void Zapsat(const QString& cesta, const QByteArray& obsah) {
  QFile f(cesta);
  if (!f.open(QIODevice::WriteOnly) || f.write(obsah) != obsah.size() || !f.flush())
    Selhani(QStringLiteral("nelze zapsat ") + cesta);
}

// The main window in the program folder; fails where the start-up did.
std::unique_ptr<THlavni> Spustit(const Slozky& s) {
  auto h = std::make_unique<THlavni>(s.program);
  if (h->UkoncitAplikaci() || !h->DataSet1.Active()) Selhani(QStringLiteral("start programu selhal"));
  return h;
}

// ---------------------------------------------------------------- catalogue

// Runs a query of one number.
int64_t Cislo(THlavni& h, const std::string& sql) {
  h.OrQuery_Funkce.Close();
  h.OrQuery_Funkce.SetSQL(sql);
  h.OrQuery_Funkce.Open();
  const int64_t v = h.OrQuery_Funkce.Eof() ? -1 : h.OrQuery_Funkce.Field(0).AsLargeInt();
  h.OrQuery_Funkce.Close();
  return v;
}

std::string Text(THlavni& h, const std::string& sql) {
  h.OrQuery_Funkce.Close();
  h.OrQuery_Funkce.SetSQL(sql);
  h.OrQuery_Funkce.Open();
  const std::string v = h.OrQuery_Funkce.Eof() ? std::string() : h.OrQuery_Funkce.Field(0).AsString();
  h.OrQuery_Funkce.Close();
  return v;
}

void Integrita(THlavni& h) {
  const std::string v = Text(h, "PRAGMA integrity_check");
  if (v != "ok") Selhani(QStringLiteral("PRAGMA integrity_check: ") + FromAnsi(v));
}

QByteArray CsvFilmu(const QString& titulek, int pocet) {
  static const char* const zanry[] = {"Drama", "Komedie", "Pohádka", "Válečný", "Krimi", "Dobrodružný"};
  static const char* const reziseri[] = {"Jiří Menzel", "Věra Chytilová", "Miloš Forman", "Karel Kachyňa",
                                         "Jan Svěrák", "Otakar Vávra"};
  QString text = QStringLiteral("Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n");
  for (int i = 1; i <= pocet; ++i)
    text += QStringLiteral(";%1 %2;%3;%4;%5;ČSSR;%6;Rudolf Hrušínský, Jiřina Bohdalová;Příliš žluťoučký kůň úpěl "
                           "ďábelské ódy;/filmy/%7.mkv\r\n")
                .arg(titulek)
                .arg(i, 3, 10, QLatin1Char('0'))
                .arg(1950 + i % 60)
                .arg(80 + i % 50)
                .arg(QString::fromUtf8(zanry[i % 6]), QString::fromUtf8(reziseri[i % 6]))
                .arg(i);
  return ToAnsi(text).c_str();
}

// Films added by "novy": "Kill9 novy 1" to "Kill9 novy N" and no gap.
int StavNovych(THlavni& h) {
  const int64_t pocet = Cislo(h, "SELECT COUNT(*) FROM Tabulka WHERE Titul LIKE 'Kill9 novy %'");
  for (int64_t i = 1; i <= pocet; ++i)
    if (Cislo(h, "SELECT COUNT(*) FROM Tabulka WHERE Titul = 'Kill9 novy " + std::to_string(i) + "'") != 1)
      Selhani(QStringLiteral("nové záznamy nejdou po sobě: chybí č. %1 z %2").arg(i).arg(pocet));
  return static_cast<int>(pocet);
}

// The edited film holds all three fields of one edit.
int StavEditace(THlavni& h) {
  const QRegularExpression vzor(QStringLiteral("^Úprava (\\d+)$"));
  const QString titul = FromAnsi(Text(h, "SELECT Titul FROM Tabulka WHERE Id = 1"));
  const QRegularExpressionMatch shoda = vzor.match(titul);
  if (!shoda.hasMatch()) Selhani(QStringLiteral("upravený záznam má titul \"%1\"").arg(titul));
  const QString n = shoda.captured(1);
  const QString rezie = FromAnsi(Text(h, "SELECT Rezie FROM Tabulka WHERE Id = 1"));
  const QString koment = FromAnsi(Text(h, "SELECT Koment FROM Tabulka WHERE Id = 1"));
  if (rezie != QStringLiteral("Režisér ") + n || koment != QStringLiteral("Poznámka ") + n)
    Selhani(QStringLiteral("upravený záznam je napůl: \"%1\", \"%2\", \"%3\"").arg(titul, rezie, koment));
  return n.toInt();
}

// Every film of the import file is there equally often: the imports stored whole.
int StavImportu(THlavni& h) {
  const int64_t vse = Cislo(h, "SELECT COUNT(*) FROM Tabulka WHERE Titul LIKE 'Import %'");
  if (vse % kRadkuImportu != 0) Selhani(QStringLiteral("import je uložen napůl: %1 řádků").arg(vse));
  const int64_t pocet = vse / kRadkuImportu;
  const int64_t ruznych = Cislo(h, "SELECT COUNT(*) FROM (SELECT Titul, COUNT(*) AS c FROM Tabulka WHERE Titul LIKE "
                                   "'Import %' GROUP BY Titul HAVING c = " + std::to_string(pocet) + ")");
  if (pocet > 0 && ruznych != kRadkuImportu) Selhani(QStringLiteral("importy nejsou celé"));
  return static_cast<int>(pocet);
}

// ---------------------------------------------------------------- files

int TypExportu(const QString& druh) {
  if (druh == QLatin1String("xml")) return kExportXML;
  if (druh == QLatin1String("csv")) return kExportCSV;
  if (druh == QLatin1String("txt")) return kExportText;
  return kExportHTML;
}

QString SouborExportu(const Slozky& s, const QString& druh) {
  return druh == QLatin1String("pdf") ? s.exporty + QStringLiteral("sestava.pdf")
                                      : s.exporty + QStringLiteral("seznam") + PriponaTypu(TypExportu(druh));
}

void Exportovat(THlavni& h, const QString& druh, const QString& cesta) {
  odpovedi->ulozit = FileDialogAnswer{cesta, TypExportu(druh)};
  h.Akce(QStringLiteral("Akce_ExportDat"))->trigger();
  odpovedi->ulozit.reset();
}

void PdfSestavy(THlavni& h, const QString& cesta) {
  TSestavy sestavy(h);
  if (!sestavy.RptReport1.LoadFromFile(QDir(sestavy.SlozkaSestav()).filePath(QStringLiteral("SeznamFilmu.ksr")), false) ||
      !sestavy.RptReport1.PrepareReport())
    Selhani(QStringLiteral("sestavu nelze připravit: ") + odpovedi->hlaska);
  sestavy.RptPDFExport1.ShowProgress = false;
  if (!sestavy.RptPDFExport1.Export(sestavy.RptReport1, cesta)) Selhani(QStringLiteral("PDF se nezapsalo"));
}

// A whole PDF: its header, the last cross-reference offset pointing at a table, the end mark.
void OveritPdf(const QByteArray& pdf, const QString& cesta) {
  QByteArray konec = pdf.right(64).trimmed();
  if (!pdf.startsWith("%PDF-") || !konec.endsWith("%%EOF"))
    Selhani(QStringLiteral("PDF \"%1\" není celé (%2 bajtů)").arg(cesta).arg(pdf.size()));
  const qsizetype s = pdf.lastIndexOf("startxref");
  bool ok = false;
  const qint64 pozice = s < 0 ? -1 : pdf.mid(s + 9, pdf.size() - s - 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
  if (!ok || pozice <= 0 || pozice >= pdf.size() || pdf.mid(pozice, 4) != "xref")
    Selhani(QStringLiteral("PDF \"%1\" má porušený odkaz na tabulku objektů").arg(cesta));
}

void OveritXml(const QByteArray& xml, const QString& cesta, int zaznamu) {
  QXmlStreamReader r(xml);
  int pocet = 0;
  int hloubka = 0;
  bool korenUzavren = false;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement()) {
      ++hloubka;
      if (hloubka == 2 && r.name() == QLatin1String("zaznam")) ++pocet;
    } else if (r.isEndElement()) {
      if (--hloubka == 0) korenUzavren = r.name() == QLatin1String("data");
    }
  }
  if (r.hasError() || !korenUzavren || pocet != zaznamu)
    Selhani(QStringLiteral("XML \"%1\" není celé: %2, %3 záznamů z %4").arg(cesta, r.errorString()).arg(pocet).arg(zaznamu));
}

// An export is absent (0) or whole (1): byte for byte what the program exports now
// (the catalogue does not change under these writes), and whole in its own format too.
int StavExportu(THlavni& h, const Slozky& s, const QString& druh) {
  const QString cesta = SouborExportu(s, druh);
  if (!QFileInfo::exists(cesta)) return 0;
  const QByteArray obsah = Precist(cesta);
  const int zaznamu = h.DataSet1.RecordCount();
  if (druh == QLatin1String("pdf")) {
    OveritPdf(obsah, cesta);
    return 1;
  }
  if (druh == QLatin1String("xml")) OveritXml(obsah, cesta, zaznamu);
  if (druh == QLatin1String("csv") || druh == QLatin1String("txt")) {
    const int radku = static_cast<int>(obsah.count("\r\n"));
    const int cekano = zaznamu + (druh == QLatin1String("csv") ? 1 : 0);
    if (radku != cekano || !obsah.endsWith("\r\n"))
      Selhani(QStringLiteral("\"%1\" má %2 řádků místo %3").arg(cesta).arg(radku).arg(cekano));
  }
  if (druh == QLatin1String("html") && !obsah.endsWith("</html>\r\n"))
    Selhani(QStringLiteral("HTML \"%1\" není celé").arg(cesta));
  const QString vzor = s.vzor + QStringLiteral("vzor") + PriponaTypu(TypExportu(druh));
  Exportovat(h, druh, vzor);
  if (!odpovedi->hlaska.isEmpty()) Selhani(QStringLiteral("hláška programu: ") + odpovedi->hlaska);
  if (Precist(vzor) != obsah) Selhani(QStringLiteral("\"%1\" se liší od úplného exportu").arg(cesta));
  QFile::remove(vzor);
  return 1;
}

// Which of two versions a file holds; fails for any other content.
int StavDvou(const QString& cesta, const QByteArray& a, const QByteArray& b) {
  const QByteArray obsah = Precist(cesta);
  if (obsah == a) return 0;
  if (obsah == b) return 1;
  Selhani(QStringLiteral("\"%1\" není žádnou ze dvou verzí (%2 bajtů)").arg(cesta).arg(obsah.size()));
}

QStringList Zanry(int verze) {
  QStringList z = {QStringLiteral("Akční"),   QStringLiteral("Animovaný"), QStringLiteral("Dobrodružný"),
                   QStringLiteral("Drama"),   QStringLiteral("Komedie"),   QStringLiteral("Krimi"),
                   QStringLiteral("Muzikál"), QStringLiteral("Pohádka"),   QStringLiteral("Válečný")};
  for (int i = 0; i < 400; ++i) z << QStringLiteral("Žánr číslo %1 verze %2").arg(i).arg(verze);
  return z;
}

QByteArray BajtyZanru(int verze) {
  QByteArray b;
  if (!TextCiselniku(Zanry(verze), b)) Selhani(QStringLiteral("žánry nejdou do Windows-1250"));
  return b;
}

// The template with a name of the version, as the designer writes it.
void NacistSablonu(rpt::DesignerDoc& doc, const Slozky& s, int verze) {
  QString chyba;
  if (!doc.Load(Precist(s.program + QStringLiteral("Ses/SeznamFilmu.ksr")), &chyba)) Selhani(chyba);
  doc.SetReportOptions(QStringLiteral("Kill9 verze %1").arg(verze), QStringLiteral("Kalmetra"),
                       {QStringLiteral("Šablona ukládaná za běhu testu")});
}

QByteArray BajtySablony(const Slozky& s, int verze) {
  rpt::DesignerDoc doc;
  NacistSablonu(doc, s, verze);
  return doc.Bytes();
}

// The settings a close writes, in two window sizes.
void Zavrit(const Slozky& s, int verze) {
  auto h = Spustit(s);
  h->resize(verze == 0 ? 800 : 900, verze == 0 ? 600 : 650);
  h->close();
}

int Stav(THlavni& h, const Slozky& s, const QString& druh) {
  if (druh == QLatin1String("novy")) return StavNovych(h);
  if (druh == QLatin1String("editace")) return StavEditace(h);
  if (druh == QLatin1String("import")) return StavImportu(h);
  if (druh == QLatin1String("nastaveni"))
    return StavDvou(s.Nastaveni(), Precist(s.vzor + QStringLiteral("nastaveni-0.ini")),
                    Precist(s.vzor + QStringLiteral("nastaveni-1.ini")));
  if (druh == QLatin1String("zanry")) return StavDvou(s.Zanry(), BajtyZanru(0), BajtyZanru(1));
  if (druh == QLatin1String("sablona")) return StavDvou(s.Sablona(), BajtySablony(s, 0), BajtySablony(s, 1));
  return StavExportu(h, s, druh);
}

// A journal that SQLite does not take for a hot one: a write killed before its journal
// was synced leaves the header zeroed; the catalogue is untouched by it and SQLite
// replaces the file at the next write. Removing it is SQLite's business, never ours: the
// journal of a live writer looks the same. A hot journal left after a start is a fault.
bool ZapomenutyDenik(const QString& cesta) {
  if (!cesta.endsWith(QLatin1String(kSouborDatabaze) + QStringLiteral("-journal"))) return false;
  const QByteArray zacatek = Precist(cesta).left(8);
  return zacatek.count('\0') == zacatek.size();
}

// Files that may be in each folder; anything else is left over from a write.
void OveritUklizeno(const Slozky& s) {
  const std::map<QString, std::set<QString>> povolene = {
      {s.program,
       {QStringLiteral("libsqlite3.so"), QLatin1String(kSouborDatabaze), QLatin1String(kSouborNastaveni),
        QLatin1String(kSouborZanru), QStringLiteral("Sestavy.ini"), QStringLiteral("Ses")}},
      {s.program + QStringLiteral("Ses/"),
       {QStringLiteral("FilmyPodleZanru.ksr"), QStringLiteral("KartaFilmu.ksr"), QStringLiteral("SeznamFilmu.ksr"),
        QStringLiteral("Kill9.ksr")}},
      {s.exporty,
       {QStringLiteral("seznam.csv"), QStringLiteral("seznam.txt"), QStringLiteral("seznam.xml"),
        QStringLiteral("seznam.html"), QStringLiteral("sestava.pdf")}},
  };
  QStringList navic;
  for (const auto& [slozka, nazvy] : povolene)
    for (const QString& n : QDir(slozka).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
      if (!nazvy.count(n) && !(slozka == s.program && ZapomenutyDenik(slozka + n))) navic << slozka + n;
  if (!navic.isEmpty()) Selhani(QStringLiteral("po startu zůstaly soubory: ") + navic.join(QStringLiteral(", ")));
}

// ---------------------------------------------------------------- commands

void Pripravit(const Slozky& s) {
  if (QFileInfo::exists(s.prace) && !QDir(s.prace).removeRecursively()) Selhani(QStringLiteral("nelze smazat ") + s.prace);
  for (const QString& d : {s.program + QStringLiteral("Ses"), s.exporty, s.vzor})
    if (!QDir().mkpath(d)) Selhani(QStringLiteral("nelze založit ") + d);
  if (!QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/" KALMETRA_SQLITE_LIBNAME),
                   s.program + QStringLiteral(KALMETRA_SQLITE_LIBNAME)))
    Selhani(QStringLiteral("chybí knihovna SQLite"));
  for (const char* n : {"FilmyPodleZanru.ksr", "KartaFilmu.ksr", "SeznamFilmu.ksr"})
    if (!QFile::copy(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/") + QLatin1String(n),
                     s.program + QStringLiteral("Ses/") + QLatin1String(n)))
      Selhani(QStringLiteral("chybí šablona ") + QLatin1String(n));
  Zapsat(s.vzor + QStringLiteral("filmy.csv"), CsvFilmu(QStringLiteral("Film"), kFilmu));
  Zapsat(s.vzor + QStringLiteral("import.csv"), CsvFilmu(QStringLiteral("Import"), kRadkuImportu));
  {
    auto h = Spustit(s);
    ImportovatCSV(*h, s.vzor + QStringLiteral("filmy.csv"));
    h->OrQuery_Funkce.Close();
    h->Orvek3Database1.ExecSQL(
        ToAnsi(QStringLiteral("UPDATE Tabulka SET Titul = 'Úprava 0', Rezie = 'Režisér 0', Koment = 'Poznámka 0' "
                              "WHERE Id = 1")));
    QString chyba;
    if (!UlozitCiselnik(s.Zanry(), Zanry(0), &chyba)) Selhani(chyba);
    rpt::DesignerDoc doc;
    NacistSablonu(doc, s, 0);
    if (!doc.SaveTo(s.Sablona(), &chyba)) Selhani(chyba);
  }
  // The settings of the two closes; a close that reads what it wrote writes it again.
  for (int verze : {0, 1, 0}) {
    Zavrit(s, verze);
    const QString vzor = s.vzor + QStringLiteral("nastaveni-%1.ini").arg(verze);
    if (QFileInfo::exists(vzor) && Precist(vzor) != Precist(s.Nastaveni()))
      Selhani(QStringLiteral("zavření se stejnou velikostí okna zapsalo jiné nastavení"));
    if (!QFileInfo::exists(vzor)) QFile::copy(s.Nastaveni(), vzor);
  }
}

void Psat(const Slozky& s, const QString& druh, int iterace) {
  auto h = Spustit(s);
  int stav = Stav(*h, s, druh);
  Vypsat(QStringLiteral("zacatek %1").arg(stav));
  if (druh == QLatin1String("nastaveni")) h.reset();  // each close is a run of its own
  for (int n = 1;; ++n) {
    if (druh == QLatin1String("novy") || druh == QLatin1String("editace")) {
      const bool novy = druh == QLatin1String("novy");
      const int k = stav + 1;
      TNovyEdit editor(*h, h.get());
      if (novy) {
        editor.setWindowTitle(QString::fromUtf8(kTitulekNovy));
        editor.Ed_Titul->setText(QStringLiteral("Kill9 novy %1").arg(k));
        editor.Ed_Rok->setText(QString::number(1990 + k % 30));
        editor.Ed_Koment->setText(QStringLiteral("Zápis %1 běhu %2").arg(n).arg(iterace));
      } else {
        h->DataSet1.First();
        editor.setWindowTitle(QString::fromUtf8(kTitulekEditace));
        editor.NacistZaznam();
        editor.Ed_Titul->setText(QStringLiteral("Úprava %1").arg(k));
        editor.Ed_Rezie->setText(QStringLiteral("Režisér %1").arg(k));
        editor.Ed_Koment->setText(QStringLiteral("Poznámka %1").arg(k));
      }
      if (!editor.UlozitZaznam()) Selhani(QStringLiteral("záznam se neuložil"));
      stav = k;
    } else if (druh == QLatin1String("import")) {
      odpovedi->otevrit = FileDialogAnswer{s.vzor + QStringLiteral("import.csv"), 1};
      h->Akce(QStringLiteral("Akce_ImportDat"))->trigger();
      ++stav;
    } else if (druh == QLatin1String("nastaveni")) {
      stav = (stav + 1) % 2;
      Zavrit(s, stav);
    } else if (druh == QLatin1String("zanry")) {
      stav = (stav + 1) % 2;
      TCiselnik ciselnik;
      if (!ciselnik.NacistSoubor(s.Zanry())) Selhani(QStringLiteral("žánry nejdou načíst"));
      ciselnik.Memo1->setPlainText(Zanry(stav).join(QLatin1Char('\n')));
      ciselnik.Tl_Ok->click();
      if (ciselnik.result() != QDialog::Accepted) Selhani(QStringLiteral("žánry se neuložily"));
    } else if (druh == QLatin1String("sablona")) {
      stav = (stav + 1) % 2;
      rpt::DesignerDoc doc;
      NacistSablonu(doc, s, stav);
      QString chyba;
      if (!doc.SaveTo(s.Sablona(), &chyba)) Selhani(chyba);
    } else if (druh == QLatin1String("pdf")) {
      PdfSestavy(*h, SouborExportu(s, druh));
      stav = 1;
    } else {
      Exportovat(*h, druh, SouborExportu(s, druh));
      stav = 1;
    }
    if (!odpovedi->hlaska.isEmpty()) Selhani(QStringLiteral("hláška programu: ") + odpovedi->hlaska);
    Vypsat(QStringLiteral("hotovo %1").arg(stav));
  }
}

void Zkontrolovat(const Slozky& s, const QString& druh, int posledni) {
  auto h = Spustit(s);
  Integrita(*h);
  const int64_t filmu = Cislo(*h, "SELECT COUNT(*) FROM Tabulka WHERE Titul LIKE 'Film %'");
  // The first film is the one the edits change.
  if (filmu != kFilmu - 1) Selhani(QStringLiteral("katalog má %1 filmů z %2").arg(filmu).arg(kFilmu - 1));
  const int stav = Stav(*h, s, druh);
  const bool dvojstavovy = druh == QLatin1String("nastaveni") || druh == QLatin1String("zanry") ||
                           druh == QLatin1String("sablona");
  if (!dvojstavovy && stav != posledni && stav != posledni + 1 && !(stav == 1 && posledni == 1))
    Selhani(QStringLiteral("stav %1 po posledním ohlášeném %2").arg(stav).arg(posledni));
  // Writes of one kind leave the others' data alone.
  if (druh != QLatin1String("novy") && StavNovych(*h) != 0) Selhani(QStringLiteral("cizí nové záznamy"));
  if (druh != QLatin1String("import") && StavImportu(*h) != 0) Selhani(QStringLiteral("cizí import"));
  h.reset();
  OveritUklizeno(s);
  Vypsat(QStringLiteral("stav %1").arg(stav));
}

int Spustit(int argc, char** argv) {
  const QStringList args = QCoreApplication::arguments();
  const auto pouziti = [] {
    std::fprintf(stderr,
                 "kill9 prepare <work> | write <kind> <work> <iteration> | start <work> | check <kind> <work> <state>\n");
    return 2;
  };
  (void)argc;
  (void)argv;
  if (args.size() < 3) return pouziti();
  const QString prikaz = args[1];
  if (prikaz == QLatin1String("prepare")) {
    Pripravit(Slozky(args[2]));
  } else if (prikaz == QLatin1String("start")) {
    THlavni h(Slozky(args[2]).program);
    if (h.UkoncitAplikaci()) Selhani(QStringLiteral("start programu selhal"));
  } else if ((prikaz == QLatin1String("write") || prikaz == QLatin1String("check")) && args.size() == 5 &&
             kDruhy.contains(args[2])) {
    if (prikaz == QLatin1String("write")) Psat(Slozky(args[3]), args[2], args[4].toInt());
    else Zkontrolovat(Slozky(args[3]), args[2], args[4].toInt());
  } else {
    return pouziti();
  }
  return 0;
}

}  // namespace
}  // namespace kalmetra::kill9

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  auto odpovedi = std::make_unique<kalmetra::kill9::TOdpovedi>();
  kalmetra::kill9::odpovedi = odpovedi.get();
  kalmetra::SetSeam(std::move(odpovedi));
  rpt::Interaction().ShowError = [](const QString& text) {
    if (kalmetra::kill9::odpovedi->hlaska.isEmpty()) kalmetra::kill9::odpovedi->hlaska = text;
  };
  try {
    return kalmetra::kill9::Spustit(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kill9: %s\n", e.what());
    return 1;
  }
}
