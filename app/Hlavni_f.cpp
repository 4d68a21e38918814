#include "Hlavni_f.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include <write_error.h>

#include "Aplikace.h"
#include "DocasneSoubory.h"
#include "Export1.h"
#include "Import1.h"
#include "Ikony.h"
#include "IniSoubor.h"
#include "ModelMrizky.h"
#include "NovyEdit_f.h"
#include "Pomocne.h"
#include "Pozastaveni.h"
#include "Prubeh.h"
#include "PrikazyZaznamu.h"
#include "Sestavy_f.h"
#include "TextCodec.h"
#include "TrideniRazeni_f.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Konfig_f.h"

namespace kalmetra {

namespace {

THlavni* instance = nullptr;

constexpr int kSirkaOkna = 696;  // the layout size, also the smallest the window may be
constexpr int kVyskaOkna = 480;
constexpr int kJednotnaSirka = 66;
constexpr int kMaxMerenychZaznamu = 1000;
// How long a read waits for another program's write to the catalogue to end.
constexpr int kCekaniNaZamek = 1000;

// Without the list only these commands have something to work on.
bool PrikazBezSeznamu(const QString& nazev) {
  return nazev == QLatin1String("Akce_Konec") || nazev == QLatin1String("Akce_Napoveda") ||
         nazev == QLatin1String("Akce_Konfig") || nazev == QLatin1String("Akce_OProgramu");
}

const QString kOddilNastaveni = QStringLiteral("Nastaveni");
const QString kOddilFormular = QStringLiteral("Formular");
const QString kOddilSeznam = QStringLiteral("Seznam");
const QString kPrazdnaPolozka = QStringLiteral("none");
const QString kVychoziAdresa = QStringLiteral("https://www.csfd.cz/hledat/?q=");

struct PopisAkce {
  const char* nazev;
  const char* kategorie;
  const char16_t* titulek;
  const char16_t* napoveda;
  const char* zkratka;
  IkonaAkceInfo ikona;
};

// Every command of the window, in the order of the action list.
const PopisAkce kAkce[] = {
    {"Akce_ImportDat", "Soubor", u"Import databáze", u"Import databáze", "", ikony::Import},
    {"Akce_ExportDat", "Soubor", u"Export databáze", u"Export databáze", "", ikony::Export},
    {"Akce_Sestavy", "Soubor", u"Náhled a tisk sestav", u"Náhled a tisk sestav", "Ctrl+P", ikony::Sestavy},
    {"Akce_Konec", "Soubor", u"Konec", u"Ukončení programu", "Ctrl+Q", ikony::Konec},
    {"Akce_KopirovatText", "Upravy", u"Kopírovat text celého záznamu", u"Kopírovat text celého záznamu do schránky",
     "Shift+Ctrl+C", ikony::Kopirovat},
    {"Akce_KopirovatTitul", "Upravy", u"Kopirovat text pole Titul", u"Kopirovat text pole Titul do schránky Windows",
     "Ctrl+C", ikony::Kopirovat},
    {"Akce_HledatZaznam", "Upravy", u"Hledat", u"Hledat", "Ctrl+F", ikony::Hledat},
    {"Akce_HledatZaznamDalsi", "Upravy", u"Hledat další", u"Hledat další", "F3", ikony::HledatDalsi},
    {"Akce_PrejitNaZaznam", "Upravy", u"Přejít na záznam ...", u"Přejít na záznam ...", "Ctrl+G", ikony::PrejitNa},
    {"Akce_Trideni", "Data", u"Třídění a řazení", u"Třídění a řazení", "", ikony::Trideni},
    {"Akce_Filtr", "Data", u"Filtr", u"Filtr", "Alt+F", ikony::Filtr},
    {"Akce_ZrusitFiltr", "Data", u"Zrušit filtr", u"Zrušit filtr", "Ctrl+Alt+F", ikony::ZrusitFiltr},
    {"Akce_NovyZaznam", "Data", u"Nový záznam", u"Nový záznam", "Ins", ikony::Novy},
    {"Akce_EditZaznamu", "Data", u"Editovat záznam", u"Editovat záznam", "Shift+Ins", ikony::Editovat},
    {"Akce_OdstranitZaznam", "Data", u"Odstranit záznam", u"Odstranit záznam", "Shift+Del", ikony::Odstranit},
    {"Akce_PrvniZaznam", "Data", u"První záznam", u"První záznam", "", ikony::Prvni},
    {"Akce_PredchazejiciZaznam", "Data", u"Předcházející záznam", u"Předcházející záznam", "", ikony::Predchozi},
    {"Akce_NasledujiciZaznam", "Data", u"Následující záznam", u"Následující záznam", "", ikony::Nasledujici},
    {"Akce_PosledniZaznam", "Data", u"Poslední záznam", u"Poslední záznam", "", ikony::Posledni},
    {"Akce_VyvolatWWW", "Nastroje", u"Vyvolat databázi na internetu", u"Vyvolat databázi na internetu", "",
     ikony::Web},
    {"Akce_Prehrat", "Nastroje", u"Spusti výchozí přehrávač videa", u"Spusti výchozí přehrávač videa", "",
     ikony::Prehrat},
    {"Akce_SirkaSloupcuPodleZahlavi", "Nastroje", u"Šířka soupců podle záhlaví",
     u"Upraví šířku soupců v tabulce podle záhlaví", "", ikony::SirkaPodleZahlavi},
    {"Akce_SirkaSloupcuPodleObsahu", "Nastroje", u"Šířka sloupců podle obsahu",
     u"Upraví šířku soupců v tabulce podle obsahu", "", ikony::SirkaPodleObsahu},
    {"Akce_SirkaSloupcuVychozi", "Nastroje", u"Šířka sloupců výchozí",
     u"Upraví šířku soupců v tabulce podle výchozího nastavení", "", ikony::SirkaVychozi},
    {"Akce_Konfig", "Nastroje", u"Konfigurace", u"Konfigurace", "", ikony::Konfigurace},
    {"Akce_Napoveda", "Napoveda", u"Nápověda", u"Nápověda", "F1", ikony::Napoveda},
    {"Akce_OProgramu", "Napoveda", u"O programu", u"O programu", "", ikony::OProgramu},
};

struct PopisMenu {
  const char* nazev;
  const char16_t* titulek;
  std::vector<const char*> polozky;  // nullptr: separator
};

const std::vector<PopisMenu>& MenuOkna() {
  static const std::vector<PopisMenu> menu = {
      {"HMenu_Soubor", u"Soubor", {"Akce_ImportDat", "Akce_ExportDat", nullptr, "Akce_Sestavy", nullptr, "Akce_Konec"}},
      {"HMenu_Upravy",
       u"Úpravy",
       {"Akce_KopirovatText", "Akce_KopirovatTitul", nullptr, "Akce_HledatZaznam", "Akce_HledatZaznamDalsi",
        "Akce_PrejitNaZaznam"}},
      {"HMenu_Data",
       u"Data",
       {"Akce_Trideni", nullptr, "Akce_Filtr", "Akce_ZrusitFiltr", nullptr, "Akce_NovyZaznam", "Akce_EditZaznamu",
        "Akce_OdstranitZaznam", nullptr, "Akce_PrvniZaznam", "Akce_PredchazejiciZaznam", "Akce_NasledujiciZaznam",
        "Akce_PosledniZaznam"}},
      {"HMenu_Nastroje",
       u"Nástroje",
       {"Akce_VyvolatWWW", "Akce_Prehrat", nullptr, "Akce_SirkaSloupcuPodleZahlavi", "Akce_SirkaSloupcuPodleObsahu",
        "Akce_SirkaSloupcuVychozi", nullptr, "Akce_Konfig"}},
      {"HMenu_Napoveda", u"Nápověda", {"Akce_Napoveda", nullptr, "Akce_OProgramu"}},
  };
  return menu;
}

const std::vector<const char*> kNastroje = {
    "Akce_Konec",          nullptr,
    "Akce_Sestavy",        nullptr,
    "Akce_KopirovatText",  "Akce_HledatZaznam",
    nullptr,               "Akce_Trideni",
    "Akce_Filtr",          "Akce_ZrusitFiltr",
    nullptr,               "Akce_NovyZaznam",
    "Akce_EditZaznamu",    "Akce_OdstranitZaznam",
    nullptr,               "Akce_PrvniZaznam",
    "Akce_PredchazejiciZaznam", "Akce_NasledujiciZaznam",
    "Akce_PosledniZaznam", nullptr,
    "Akce_VyvolatWWW",     "Akce_Prehrat",
    nullptr,               "Akce_SirkaSloupcuPodleZahlavi",
    "Akce_SirkaSloupcuPodleObsahu", "Akce_SirkaSloupcuVychozi",
    nullptr,               "Akce_Konfig",
    nullptr,               "Akce_Napoveda",
};

// The grid's widths are text width + 5 pixels, as in the catalogue's layout; the
// platform style's wider cell margins would cut such texts off.
class TStylMrizky : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_FocusFrameHMargin) return 0;
    if (metric == PM_HeaderMargin) return 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

QString Pole(int i) { return QLatin1String(kPoleKatalogu[static_cast<size_t>(i)].nazev); }

// What the library's reason for a failed open means to the user, on a line of its own.
QString RadaKChybeOtevreni(const QString& duvod) {
  const auto obsahuje = [&](const char* text) { return duvod.contains(QLatin1String(text), Qt::CaseInsensitive); };
  QString rada;
  if (obsahuje("malformed") || obsahuje("not a database") || obsahuje("corrupt"))
    rada = QStringLiteral("Soubor katalogu je poškozený nebo to není katalog. Program jej nezměnil; "
                          "obnovte jej ze zálohy.");
  else if (obsahuje("locked") || obsahuje("busy"))
    rada = QStringLiteral("Katalog právě používá jiný program. Až jej uvolní, klepněte na počítadlo záznamů.");
  else if (obsahuje("no such table") || obsahuje("no such column"))
    rada = QStringLiteral("Soubor neobsahuje tabulku filmů v podobě, jakou program zná.");
  else if (obsahuje("unable to open") || obsahuje("readonly") || obsahuje("permission"))
    rada = QStringLiteral("Zkontrolujte přístupová práva ke složce programu a k souboru katalogu.");
  return rada.isEmpty() ? rada : QStringLiteral("\r\n") + rada;
}

}  // namespace

THlavni* Hlavni() { return instance; }

QString SestavitPrikazSeznamu(const QString& poleFiltru, const QString& vyrazFiltru, const QString& poleTrideni) {
  QString sql = QStringLiteral("SELECT * FROM Tabulka");
  if (!vyrazFiltru.isEmpty()) {
    // A quote in the text must not end the literal early.
    QString vyraz = vyrazFiltru;
    vyraz.replace(QLatin1Char('\''), QStringLiteral("''"));
    sql += QStringLiteral("  WHERE ") + poleFiltru + QStringLiteral(" LIKE '%") + vyraz + QStringLiteral("%'");
  }
  // The connection's locale comparison is used only where the statement names it.
  return sql + QStringLiteral(" ORDER BY ") + poleTrideni + QStringLiteral(" COLLATE NATIVE");
}

THlavni::THlavni(const QString& cestaProgramu, QWidget* parent) : QMainWindow(parent) {
  instance = this;
  setObjectName(QStringLiteral("Hlavni"));
  setWindowTitle(TitulekAplikace());
  CestaProgramu = cestaProgramu;
  if (!CestaProgramu.endsWith(QLatin1Char('/'))) CestaProgramu += QLatin1Char('/');
  Orvek3Database1.SetName("Orvek3Database1");
  DataSet1.SetName("DataSet1");
  OrQuery_Funkce.SetName("OrQuery_Funkce");
  DataSet1.SetDatabase(&Orvek3Database1);
  OrQuery_Funkce.SetDatabase(&Orvek3Database1);
  DataSet1.AfterInsert = [this](orvek3::TRecordSet&) { CislovatNovyZaznam(*this); };
  for (int i = 0; i < kPocetPoli; ++i) SirkyPoli[static_cast<size_t>(i)] = kPoleKatalogu[static_cast<size_t>(i)].vychoziSirka;

  setMinimumSize(kSirkaOkna, kVyskaOkna);
  resize(kSirkaOkna, kVyskaOkna);
  VytvoritAkce();
  VytvoritMenuANastroje();
  VytvoritMrizku();
  VytvoritStavovyRadek();
  ukoncit_ = !Spustit();
}

THlavni::~THlavni() {
  if (instance == this) {
    instance = nullptr;
    rpt::SetWriteRecordFolder(QString());
  }
}

// ---------------------------------------------------------------- layout

void THlavni::VytvoritAkce() {
  for (const PopisAkce& p : kAkce) {
    auto* a = new QAction(IkonaAkce(p.ikona), QString::fromUtf16(p.titulek), this);
    a->setObjectName(QLatin1String(p.nazev));
    a->setToolTip(QString::fromUtf16(p.napoveda));
    a->setStatusTip(QString::fromUtf16(p.napoveda));
    a->setProperty("kategorie", QLatin1String(p.kategorie));
    if (*p.zkratka != '\0') a->setShortcut(QKeySequence(QLatin1String(p.zkratka)));
    addAction(a);  // shortcuts work anywhere in the window
    akce_[a->objectName()] = a;
  }
  connect(Akce("Akce_Konec"), &QAction::triggered, this, &QWidget::close);
  // Each command reports its own errors: an exception must not unwind through Qt's frames.
  const auto pripojit = [this](const char* nazev, std::function<void()> prikaz) {
    connect(Akce(QLatin1String(nazev)), &QAction::triggered, this, [prikaz = std::move(prikaz)] {
      try {
        prikaz();
      } catch (const std::exception& e) {
        ZobrazitChybu(QString(), e);
      }
    });
  };
  const std::pair<const char*, void (*)(THlavni&)> prikazy[] = {
      {"Akce_ExportDat", &Akce_ExportDat},
      {"Akce_ImportDat", &Akce_ImportDat},
      {"Akce_Sestavy", &Akce_Sestavy},
      {"Akce_PrvniZaznam", &PrvniZaznam},
      {"Akce_PredchazejiciZaznam", &PredchazejiciZaznam},
      {"Akce_NasledujiciZaznam", &NasledujiciZaznam},
      {"Akce_PosledniZaznam", &PosledniZaznam},
      {"Akce_PrejitNaZaznam", &PrejitNaZaznam},
      {"Akce_KopirovatText", &KopirovatText},
      {"Akce_KopirovatTitul", &KopirovatTitul},
      {"Akce_VyvolatWWW", &VyvolatWWW},
      {"Akce_Prehrat", &Prehrat},
      {"Akce_NovyZaznam", &NovyZaznam},
      {"Akce_EditZaznamu", &EditZaznamu},
      {"Akce_OdstranitZaznam", &OdstranitZaznam},
      {"Akce_Trideni", &Trideni},
      {"Akce_Filtr", &Filtr},
      {"Akce_ZrusitFiltr", &ZrusitFiltr},
      {"Akce_HledatZaznam", &HledatZaznam},
      {"Akce_HledatZaznamDalsi", &HledatZaznamDalsi},
      {"Akce_Konfig", &Konfigurace},
  };
  for (const auto& [nazev, prikaz] : prikazy) pripojit(nazev, [this, prikaz = prikaz] { prikaz(*this); });
  pripojit("Akce_SirkaSloupcuPodleZahlavi", [this] { SirkaSloupcuPodleZahlavi(); });
  pripojit("Akce_SirkaSloupcuPodleObsahu", [this] { SirkaSloupcuPodleObsahu(); });
  pripojit("Akce_SirkaSloupcuVychozi", [this] { SirkaSloupcuVychozi(); });
  pripojit("Akce_Napoveda", [] { Napoveda(); });
  pripojit("Akce_OProgramu", [] { ZobrazitOProgramu(TitulekAplikace(), QLatin1String(kDatumSestaveni)); });
}

QAction* THlavni::Akce(const QString& name) const {
  const auto it = akce_.find(name);
  return it == akce_.end() ? nullptr : it->second;
}

void THlavni::VytvoritMenuANastroje() {
  for (const PopisMenu& m : MenuOkna()) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf16(m.titulek));
    menu->setObjectName(QLatin1String(m.nazev));
    for (const char* polozka : m.polozky) {
      if (polozka == nullptr) menu->addSeparator();
      else menu->addAction(Akce(QLatin1String(polozka)));
    }
  }
  QToolBar* nastroje = addToolBar(QStringLiteral("Nástroje"));
  nastroje->setObjectName(QStringLiteral("ToolBar1"));
  nastroje->setMovable(false);
  nastroje->setIconSize(QSize(16, 16));
  for (const char* polozka : kNastroje) {
    if (polozka == nullptr) nastroje->addSeparator();
    else nastroje->addAction(Akce(QLatin1String(polozka)));
  }
}

void THlavni::VytvoritMrizku() {
  auto* stred = new QWidget(this);
  auto* rozvrzeni = new QVBoxLayout(stred);
  rozvrzeni->setContentsMargins(0, 0, 0, 0);
  rozvrzeni->setSpacing(0);

  DBGrid1 = new QTableView(stred);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  auto* styl = new TStylMrizky;
  styl->setParent(DBGrid1);
  DBGrid1->setStyle(styl);
  DBGrid1->horizontalHeader()->setStyle(styl);
  DBGrid1->verticalHeader()->setStyle(styl);
  model_ = std::make_unique<TModelMrizky>(DataSet1);
  DBGrid1->setModel(model_.get());
  DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DBGrid1->setShowGrid(true);
  DBGrid1->setSortingEnabled(false);
  DBGrid1->setWordWrap(false);
  DBGrid1->horizontalHeader()->setSectionsClickable(false);  // the order changes only through the sort dialog
  DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  DBGrid1->horizontalHeader()->setHighlightSections(false);
  DBGrid1->horizontalHeader()->setStretchLastSection(false);
  DBGrid1->horizontalHeader()->setMinimumSectionSize(1);  // widths by content may be as small as 5
  DBGrid1->verticalHeader()->setSectionsClickable(false);
  DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 4);
  DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  DBGrid1->verticalHeader()->setFixedWidth(14);
  connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Akce("Akce_EditZaznamu")->trigger(); });
  NastavitDvojklikMrizky(*this);
  connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) PresunoutNaRadek(current.row());
          });
  model_->ZmenaDat = [this] { ZmenaDat(); };
  model_->ZmenaRadku = [this](int row) {
    if (row < 0) return;
    const QModelIndex idx = model_->index(row, std::max(0, DBGrid1->currentIndex().column()));
    if (DBGrid1->currentIndex().row() != row) {
      DBGrid1->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      DBGrid1->scrollTo(idx);
    }
  };
  rozvrzeni->addWidget(DBGrid1, 1);
  setCentralWidget(stred);
}

void THlavni::VytvoritStavovyRadek() {
  auto* panel = new QWidget(centralWidget());
  panel->setObjectName(QStringLiteral("SpodniNastrojPanel"));
  panel->setFixedHeight(23);
  auto* zaznam = new QLabel(QStringLiteral("Záznam :"), panel);
  laCisloZaznamu_ = new QLabel(panel);
  laCisloZaznamu_->setObjectName(QStringLiteral("la_CisloZaznamu"));
  laCisloZaznamu_->setToolTip(QStringLiteral("Pozice aktuálního záznamu"));
  laCisloZaznamu_->setCursor(Qt::PointingHandCursor);
  laCisloZaznamu_->installEventFilter(this);
  laParametrSetrideni_ = new QLabel(panel);
  laParametrSetrideni_->setObjectName(QStringLiteral("La_ParametrSetrideni"));
  laParametrFiltru_ = new QLabel(panel);
  laParametrFiltru_->setObjectName(QStringLiteral("La_ParametrFiltru"));
  laParametrFiltru_->setToolTip(QStringLiteral("Parametr filtru"));
  // The labels stand at their places of the layout, moved right only where the font is
  // wider than the layout's, so that no text covers another.
  const QFontMetrics fm(panel->font());
  const int y = (23 - fm.height()) / 2;
  const struct {
    QLabel* label;
    int x;
    int width;
  } places[] = {
      {zaznam, 8, fm.horizontalAdvance(zaznam->text())},
      {laCisloZaznamu_, 56, std::max(73, fm.horizontalAdvance(QStringLiteral("9999999 z 9999999")))},
      {laParametrSetrideni_, 136, fm.horizontalAdvance(QStringLiteral("Setříděno podle : Obsazení"))},
      {laParametrFiltru_, 296, 380},
  };
  int end = 0;
  for (const auto& p : places) {
    const int x = std::max(p.x, end == 0 ? p.x : end + 8);
    p.label->setGeometry(x, y, p.width, fm.height());
    end = x + p.width;
  }
  centralWidget()->layout()->addWidget(panel);
}

// ---------------------------------------------------------------- start-up

void THlavni::OdlozitPrilisVelkeNastaveni() {
  const QString soubor = SouborNastaveni();
  if (!ProfileFile::PrilisVelky(soubor)) return;
  // Parsing it would only delay the start; the user's file is kept under another name.
  const QString uvod = QStringLiteral("Soubor nastavení \"%1\" je příliš velký (%2 bajtů, nejvýše %3 bajtů)")
                           .arg(soubor)
                           .arg(QFileInfo(soubor).size())
                           .arg(ProfileFile::kNejvetsiVelikost);
  QString chyba;
  const QString odlozeny = OdlozitSoubor(soubor, &chyba);
  if (!odlozeny.isEmpty())
    Varovani(QString(), uvod + QStringLiteral(".\r\nByl odložen jako \"") + odlozeny +
                            QStringLiteral("\" a program začne s výchozím nastavením."));
  else
    Varovani(QString(), uvod + QStringLiteral(" a nepodařilo se jej odložit: ") + chyba +
                            QStringLiteral("\r\nProgram použije výchozí nastavení a do souboru nic nezapíše."));
}

bool THlavni::NacistNastaveni() {
  const ProfileFile ini(SouborNastaveni());
  ZobrazDialogUloz = ini.ReadBool(kOddilNastaveni, QStringLiteral("ZobrazDialogUloz"), true);
  VychoziAdresaWWWW = ini.ReadString(kOddilNastaveni, QStringLiteral("VychoziAdresaWWWW"), kVychoziAdresa);
  UkladatPozici = ini.ReadBool(kOddilFormular, QStringLiteral("UkladatPozici"), true);
  return true;
}

void THlavni::UmistitOkno() {
  const QRect obrazovka = QGuiApplication::primaryScreen()->geometry();
  if (UkladatPozici) {
    const ProfileFile ini(SouborNastaveni());
    resize(ini.ReadInteger(kOddilFormular, QStringLiteral("Sirka"), width()),
           ini.ReadInteger(kOddilFormular, QStringLiteral("Vyska"), height()));
    move(ini.ReadInteger(kOddilFormular, QStringLiteral("Zleva"), (obrazovka.width() - width()) / 2),
         ini.ReadInteger(kOddilFormular, QStringLiteral("Zhora"), (obrazovka.height() - height()) / 2));
  } else {
    move((obrazovka.width() - width()) / 2, (obrazovka.height() - height()) / 2);
  }
}

bool THlavni::Spustit() {
  OdstranitOpusteneDocasneSoubory(CestaProgramu);
  // From now on the save files of exports, PDFs and templates are recorded here.
  rpt::SetWriteRecordFolder(CestaProgramu);
  OdlozitPrilisVelkeNastaveni();
  NacistNastaveni();
  UmistitOkno();
  {
    const ProfileFile ini(SouborNastaveni());
    UkladatTabulku = ini.ReadBool(kOddilFormular, QStringLiteral("UkladatTabulku"), true);
    for (int i = 0; i < kPocetPoli; ++i) {
      const PoleKatalogu& p = kPoleKatalogu[static_cast<size_t>(i)];
      if (p.klicSkryti != nullptr)
        Skryt[static_cast<size_t>(i)] =
            ini.ReadBool(QLatin1String(kOddilUsporadaniPoli), QLatin1String(p.klicSkryti), p.vychoziSkryti);
      SirkyPoli[static_cast<size_t>(i)] = ini.ReadInteger(QLatin1String(kOddilSirkyPoli), Pole(i), p.vychoziSirka);
    }
  }
  if (!UkladatTabulku)
    for (int i = 0; i < kPocetPoli; ++i) SirkyPoli[static_cast<size_t>(i)] = kPoleKatalogu[static_cast<size_t>(i)].vychoziSirka;

  QAction* prehrat = Akce("Akce_Prehrat");
  prehrat->setVisible(!Skryt[kPocetPoli - 1]);
  prehrat->setEnabled(prehrat->isVisible());

  if (!QFileInfo::exists(SouborKnihovny())) {
    Varovani(QString(), QStringLiteral("Nebyl nalezen soubor DLL \"") + SouborKnihovny() +
                            QStringLiteral("\".\r\nAplikace bude ukončena."));
    return false;
  }
  if (QFileInfo(SouborDatabaze()).isDir()) {
    // A folder of that name cannot be replaced by a new catalogue, nor opened as one.
    const QString duvod = QStringLiteral("Místo souboru katalogu \"") + SouborDatabaze() +
                          QStringLiteral("\" je složka stejného jména.");
    Varovani(QString(), duvod + QStringLiteral("\r\nPřejmenujte nebo přesuňte ji a spusťte program znovu."));
    ZobrazitZavrenySeznam(duvod);
    return true;
  }
  if (!QFileInfo::exists(SouborDatabaze())) {
    if (!VytvoritDatabazi(SouborDatabaze()) || !QFileInfo::exists(SouborDatabaze())) {
      Varovani(QString(), QStringLiteral("Nebyl nalezen soubor databáze \"") + SouborDatabaze() +
                              QStringLiteral("\" a pokus o jeho nové založení selhal.\r\nAplikace bude ukončena."));
      return false;
    }
  }

  PoleHledani = QStringLiteral("Titul");
  PoleTrideni = QStringLiteral("Id");
  laParametrSetrideni_->setText(QStringLiteral("Setříděno podle : Id"));
  PoleFiltru = QStringLiteral("Titul");
  VyrazFiltru.clear();
  laParametrFiltru_->setText(QStringLiteral("Filtr : není zadán"));

  OtevritKatalog();
  return true;
}

bool THlavni::OtevritKatalog() {
  try {
    PripojitAOtevrit();
  } catch (const std::exception& e) {
    // The window still opens, without the list: the commands that need it are disabled.
    DataSet1.Close();
    ZobrazitChybu(QStringLiteral("Katalog \"") + SouborDatabaze() + QStringLiteral("\" se nepodařilo otevřít.") +
                      RadaKChybeOtevreni(QString::fromLatin1(e.what())),
                  e);
    ZobrazitZavrenySeznam(FromAnsi(e.what()));
    return false;
  }
  laCisloZaznamu_->setToolTip(QStringLiteral("Pozice aktuálního záznamu"));
  ZmenaDat();
  return true;
}

void THlavni::ZobrazitZavrenySeznam(const QString& duvod) {
  laCisloZaznamu_->setToolTip(QStringLiteral("Katalog není otevřen: ") + duvod +
                              QStringLiteral("\nKlepnutím jej zkusíte otevřít znovu."));
  ZmenaDat();
}

bool THlavni::eventFilter(QObject* watched, QEvent* event) {
  // While the list is closed, a click on the counter tries to open the catalogue again.
  if (watched == laCisloZaznamu_ && event->type() == QEvent::MouseButtonRelease && !DataSet1.Active() &&
      !zavreno_ && !QFileInfo(SouborDatabaze()).isDir()) {
    OtevritKatalog();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void THlavni::PripojitAOtevrit() {
  Orvek3Database1.SetDatabaseFile(SouborDatabaze().toStdString());
  Orvek3Database1.SetDriver(SouborKnihovny().toStdString());
  Orvek3Database1.SetBusyTimeout(kCekaniNaZamek);
  Orvek3Database1.Connect();
  DataSet1.SetRequestLive(true);
  OtevritSeznam();
  NastavitAkce();
  NastavitSloupce();
}

void THlavni::OtevritSeznam() {
  const TCekani cekani;
  const TPozastaveni pozastaveni(DataSet1);
  try {
    DataSet1.Close();
    DataSet1.SetSQL(ToAnsi(SestavitPrikazSeznamu(PoleFiltru, VyrazFiltru, PoleTrideni)));
    DataSet1.OpenSQL();
    if (DataSet1.RecordCount() > 1) DataSet1.Last();
    DataSet1.First();
  } catch (...) {
    DataSet1.Close();  // never a part of the list shown as the whole
    throw;
  }
}

bool THlavni::ZmenitSeznam(const QString& poleFiltru, const QString& vyrazFiltru, const QString& poleTrideni,
                           const QString& textTrideni, const QString& textFiltru) {
  const QString predFiltrPole = PoleFiltru, predFiltrVyraz = VyrazFiltru, predTrideni = PoleTrideni;
  const QString predTextTrideni = laParametrSetrideni_->text(), predTextFiltru = laParametrFiltru_->text();
  // A read transaction holds the file's shared lock from before the list is closed until the
  // new one is read: while another program writes, the list in the grid stays as it is.
  bool transakce = false;
  if (DataSet1.Active()) {
    try {
      Orvek3Database1.ExecSQL("BEGIN");
      transakce = true;
      Orvek3Database1.ExecSQL("SELECT 1 FROM sqlite_master LIMIT 1");
    } catch (const std::exception& e) {
      if (transakce) Orvek3Database1.ExecSQL("ROLLBACK");
      ZobrazitChybu(QStringLiteral("Seznam filmů se nepodařilo znovu otevřít."), e);
      return false;
    }
  }
  const auto ukoncitTransakci = [&] {
    if (!transakce) return;
    transakce = false;
    try {
      Orvek3Database1.ExecSQL("COMMIT");
    } catch (const std::exception&) {
      Orvek3Database1.ExecSQL("ROLLBACK");
    }
  };
  PoleFiltru = poleFiltru;
  VyrazFiltru = vyrazFiltru;
  PoleTrideni = poleTrideni;
  laParametrSetrideni_->setText(textTrideni);
  laParametrFiltru_->setText(textFiltru);
  const auto otevrit = [this] {
    try {
      OtevritSeznam();
      return true;
    } catch (const std::exception& e) {
      ZobrazitChybu(QStringLiteral("Seznam filmů se nepodařilo znovu otevřít."), e);
      return false;
    }
  };
  if (otevrit()) {
    ukoncitTransakci();
    return true;
  }
  // The grid never stays empty and the labels never claim what is not in force.
  PoleFiltru = predFiltrPole;
  VyrazFiltru = predFiltrVyraz;
  PoleTrideni = predTrideni;
  laParametrSetrideni_->setText(predTextTrideni);
  laParametrFiltru_->setText(predTextFiltru);
  otevrit();
  ukoncitTransakci();
  return false;
}

// ---------------------------------------------------------------- fields and columns

QString THlavni::PopisekPole(const QString& nazev) const {
  // By name: a catalogue made elsewhere may hold its columns in another order.
  const QString jmeno = FromAnsi(DataSet1.FieldByName(ToAnsi(nazev)).FieldName());
  for (int i = 0; i < kPocetPoli; ++i)
    if (jmeno.compare(Pole(i), Qt::CaseInsensitive) == 0) return PopiskyPoli(i + 1);
  return jmeno;
}

QString THlavni::NazevPole(const QString& popisek) const {
  for (int i = 1; i <= kPocetPoli; ++i) {
    if (PopiskyPoli(i) != popisek) continue;
    if (const orvek3::TRecField* f = DataSet1.FindField(kPoleKatalogu[static_cast<size_t>(i - 1)].nazev))
      return FromAnsi(f->FieldName());
  }
  return {};
}

QStringList THlavni::NacistSeznam() const {
  // One reading of the file for all twenty slots; the first of a repeated key counts.
  const auto hodnoty = ProfileFile(SouborNastaveni()).ReadSectionValues(kOddilSeznam);
  QStringList seznam;
  for (int n = 1; n <= kPolozekSeznamu; ++n) {
    const QString klic = QStringLiteral("Polozka%1").arg(n);
    const auto it = std::find_if(hodnoty.begin(), hodnoty.end(),
                                 [&](const auto& h) { return h.first.compare(klic, Qt::CaseInsensitive) == 0; });
    const QString text = it == hodnoty.end() ? kPrazdnaPolozka : it->second;
    if (!text.isEmpty() && text != kPrazdnaPolozka) seznam << text;
  }
  return seznam;
}

void THlavni::UlozitSeznam(const QStringList& seznam) {
  if (seznam.isEmpty()) return;
  // The twenty slots go to the file in one write: the list is never stored half.
  std::vector<std::pair<QString, QString>> sloty;
  for (int n = 1; n <= kPolozekSeznamu; ++n)
    sloty.emplace_back(QStringLiteral("Polozka%1").arg(n), n <= seznam.size() ? seznam[n - 1] : kPrazdnaPolozka);
  ProfileFile ini(SouborNastaveni());
  if (!ini.WriteStrings(kOddilSeznam, sloty))
    Varovani(QString(), QStringLiteral("Historii hledání se nepodařilo uložit do souboru \"") + SouborNastaveni() +
                            QStringLiteral("\".\r\n") + ini.LastError());
}

int64_t THlavni::NoveId() {
  const auto cislo = [this](const char* sql) -> std::optional<int64_t> {
    OrQuery_Funkce.Close();
    OrQuery_Funkce.SetCommandText(sql);
    std::optional<int64_t> hodnota;
    try {
      OrQuery_Funkce.Open();
      if (OrQuery_Funkce.Active() && !OrQuery_Funkce.IsEmpty() && !OrQuery_Funkce.Field(0).IsNull())
        hodnota = OrQuery_Funkce.Field(0).AsLargeInt();
    } catch (...) {
      OrQuery_Funkce.Close();
      throw;
    }
    OrQuery_Funkce.Close();
    return hodnota;
  };
  const int64_t nejvyssi = cislo("SELECT MAX(Id) AS NejCislo FROM Tabulka").value_or(0);
  if (nejvyssi < std::numeric_limits<int64_t>::max()) return std::max<int64_t>(nejvyssi, 0) + 1;
  // The largest Id is taken (an imported one): the first free number above 0 instead.
  if (!cislo("SELECT 1 FROM Tabulka WHERE Id = 1")) return 1;
  if (const auto volne = cislo("SELECT t.Id + 1 FROM Tabulka t WHERE t.Id > 0 AND t.Id < 9223372036854775807 "
                               "AND NOT EXISTS (SELECT 1 FROM Tabulka u WHERE u.Id = t.Id + 1) ORDER BY t.Id LIMIT 1"))
    return *volne;
  throw std::runtime_error(ToAnsi(QStringLiteral("V katalogu už není volné číslo záznamu (Id) pro nový film.")));
}

void THlavni::NastavitSloupce() {
  std::vector<TModelMrizky::Sloupec> sloupce;
  std::vector<int> sirky;
  for (int i = 0; i < kPocetPoli; ++i) {
    if (Skryt[static_cast<size_t>(i)]) continue;
    const orvek3::TRecField* f = DataSet1.FindField(kPoleKatalogu[static_cast<size_t>(i)].nazev);
    if (f == nullptr) continue;
    sloupce.push_back({f->Index(), PopisekPole(Pole(i))});
    sirky.push_back(SirkyPoli[static_cast<size_t>(i)]);
  }
  model_->NastavitSloupce(std::move(sloupce));
  for (size_t c = 0; c < sirky.size(); ++c) DBGrid1->setColumnWidth(static_cast<int>(c), sirky[c]);
  model_->ZmenaRadku(model_->AktualniRadek());
}

const std::vector<int>& THlavni::PoleSloupcu() const {
  static thread_local std::vector<int> pole;
  pole = model_->PoleSloupcu();
  return pole;
}

QStringList THlavni::TitulkySloupcu() const {
  QStringList titulky;
  for (const TModelMrizky::Sloupec& s : model_->Sloupce()) titulky << s.titulek;
  return titulky;
}

void THlavni::NastavitAkce() {
  const bool otevreno = DataSet1.Active();
  for (const auto& [nazev, akce] : akce_)
    if (!PrikazBezSeznamu(nazev)) akce->setEnabled(otevreno);
  if (!otevreno) return;
  const int pozice = otevreno ? DataSet1.RecNo() : 0;
  const int pocet = otevreno ? DataSet1.RecordCount() : 0;
  Akce("Akce_HledatZaznamDalsi")->setEnabled(!HledanyVyraz.isEmpty());
  Akce("Akce_EditZaznamu")->setEnabled(pocet > 0);
  Akce("Akce_OdstranitZaznam")->setEnabled(pocet > 0);
  Akce("Akce_PrvniZaznam")->setEnabled(pozice > 1);
  Akce("Akce_PredchazejiciZaznam")->setEnabled(pozice > 1);
  Akce("Akce_PosledniZaznam")->setEnabled(pozice >= 0 && pozice < pocet);
  Akce("Akce_NasledujiciZaznam")->setEnabled(pozice >= 0 && pozice < pocet);
  const orvek3::TRecField* umisteni = otevreno ? DataSet1.FindField("Umisteni") : nullptr;
  Akce("Akce_Prehrat")->setEnabled(umisteni != nullptr && !umisteni->AsString().empty());
}

void THlavni::ZmenaDat() {
  const bool otevreno = DataSet1.Active();
  const int pozice = otevreno ? DataSet1.RecNo() : 0;
  const int pocet = otevreno ? DataSet1.RecordCount() : 0;
  laCisloZaznamu_->setText(otevreno ? QString::number(std::max(pozice, 0)) + QStringLiteral(" z ") +
                                          QString::number(pocet)
                                    : QStringLiteral("neotevřen"));
  NastavitAkce();
}

void THlavni::PresunoutNaRadek(int row) {
  if (!DataSet1.Active()) return;
  const int aktualni = DataSet1.ActiveRowIndex();
  if (aktualni < 0 || row == aktualni) return;
  DataSet1.MoveBy(row - aktualni);
}

// ---------------------------------------------------------------- column widths

void THlavni::SirkaSloupcuPodleZahlavi() {
  const QFontMetrics metriky(font());
  for (int c = 0; c < model_->columnCount(); ++c)
    DBGrid1->setColumnWidth(c, metriky.horizontalAdvance(model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 5);
}

void THlavni::SirkaSloupcuPodleObsahu() {
  if (!DataSet1.Active()) return;
  const TCekani cekani;
  const TProchazeni prochazeni(DataSet1);
  const QFontMetrics metriky(font());
  for (int c = 0; c < model_->columnCount(); ++c) {
    const orvek3::TRecField& pole = DataSet1.Field(model_->Sloupce()[static_cast<size_t>(c)].pole);
    int nejsirsi = 0;
    DataSet1.First();
    while (!DataSet1.Eof() && DataSet1.RecNo() < kMaxMerenychZaznamu) {
      nejsirsi = std::max(nejsirsi, metriky.horizontalAdvance(FromAnsi(pole.AsString())));
      DataSet1.Next();
    }
    DBGrid1->setColumnWidth(c, nejsirsi <= 350 ? nejsirsi + 5 : 355);
  }
}

void THlavni::SirkaSloupcuVychozi() {
  for (int c = 0; c < model_->columnCount(); ++c) DBGrid1->setColumnWidth(c, kJednotnaSirka);
}

// ---------------------------------------------------------------- shutdown

void THlavni::UlozitPriZavreni() {
  const auto& sloupce = model_->Sloupce();
  for (size_t c = 0; c < sloupce.size(); ++c) {
    const int pole = sloupce[c].pole;
    if (pole >= 0 && pole < kPocetPoli) SirkyPoli[static_cast<size_t>(pole)] = DBGrid1->columnWidth(static_cast<int>(c));
  }
  if (UkladatPozici && !isMaximized() && !isMinimized() && !isFullScreen()) {
    // One replacement of the file: a close cut off halfway leaves the previous close whole.
    std::vector<std::pair<QString, QString>> sirky;
    for (int i = 0; i < kPocetPoli; ++i) sirky.emplace_back(Pole(i), QString::number(SirkyPoli[static_cast<size_t>(i)]));
    ProfileFile ini(SouborNastaveni());
    const bool ok = ini.WriteSections({{kOddilFormular,
                                        {{QStringLiteral("Zleva"), QString::number(x())},
                                         {QStringLiteral("Zhora"), QString::number(y())},
                                         {QStringLiteral("Sirka"), QString::number(width())},
                                         {QStringLiteral("Vyska"), QString::number(height())}}},
                                       {QLatin1String(kOddilSirkyPoli), sirky}});
    if (!ok)
      Varovani(QString(), QStringLiteral("Nastavení okna se nepodařilo uložit do souboru \"") + SouborNastaveni() +
                              QStringLiteral("\".\r\n") + ini.LastError());
  }
  DataSet1.Close();
  Orvek3Database1.Disconnect();
}

void THlavni::closeEvent(QCloseEvent* event) {
  // A close request that arrives while an export or import walks the record set waits
  // for its end; closing would pull the connection from under it.
  if (TPrubeh::Probiha()) {
    event->ignore();
    return;
  }
  if (!zavreno_ && !ukoncit_) {
    zavreno_ = true;
    try {
      UlozitPriZavreni();
    } catch (const std::exception& e) {
      ZobrazitChybu(QString(), e);
    }
  }
  event->accept();
}

}  // namespace kalmetra
