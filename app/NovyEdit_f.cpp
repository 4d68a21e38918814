#include "NovyEdit_f.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

#include "Aplikace.h"
#include "Ciselnik_f.h"
#include "Hlavni_f.h"
#include "Ikony.h"
#include "Interakce.h"
#include "Pomocne.h"
#include "Dialogy.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

constexpr int kSirka = 650;
constexpr int kRozestup = 24;  // row pitch
constexpr int kHorniRadekZanru = 96;
constexpr int kSpodniOkraj = 80;
constexpr int kXPopisku = 8;
constexpr int kSirkaPopisku = 88;
constexpr int kXPole = 104;
constexpr int kVyskaPole = 21;

// The nine text fields in the order they are written, Titul first (field 2 of Tabulka).
const char* NazevPole(size_t i) { return kPoleKatalogu[i + 1].nazev; }

const QString kOtazkaUlozit = QStringLiteral("Chcete tyto změny uložit?");
const QString kTitulekOtazkyUlozit = QStringLiteral("V textu byly provedeny změny");

}  // namespace

TNovyEdit::TNovyEdit(THlavni& hlavni, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), hlavni_(hlavni) {
  setObjectName(QStringLiteral("NovyEdit"));
  VytvoritOvladace();
  Rozvrhnout();
  const QString zanry = hlavni_.CestaProgramu + QLatin1String(kSouborZanru);
  if (!QFileInfo::exists(zanry)) VytvoritPrazdnySoubor(zanry);
  NacistZanry();
  TypySouboru = QStringLiteral(
      "Všechny soubory|*.*|asf|*.asf|avi|*.avi|divx|*.divx|flv|*.flv|mp4|*.mp4|mpeg|*.mpeg|vob|*.vob|wmv|*.wmv");
  Tl_OK->setEnabled(false);
}

void TNovyEdit::VytvoritOvladace() {
  La_Id = new QLabel(this);
  La_Id->setObjectName(QStringLiteral("La_Id"));
  La_Id->setGeometry(kXPole, 6, 200, 17);
  La_Poznamka = new QLabel(this);
  La_Poznamka->setObjectName(QStringLiteral("La_Poznamka"));
  La_Poznamka->setGeometry(kXPole + 200, 6, kSirka - kXPole - 200 - 8, 17);
  La_Poznamka->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  const auto pole = [this](const char* nazev, int maximum) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(nazev));
    edit->setMaxLength(maximum);
    // Text the catalogue cannot store in Windows-1250 is refused as it is typed or pasted.
    edit->setValidator(new AnsiValidator(edit));
    connect(edit, &QLineEdit::textChanged, this, [this] { Tl_OK->setEnabled(true); });
    return edit;
  };
  Ed_Titul = pole("Ed_Titul", 80);
  Ed_Rok = pole("Ed_Rok", 4);
  Ed_Stopaz = pole("Ed_Stopaz", 4);
  Cb_Zanr = PsanySeznam(QStringLiteral("Cb_Zanr"), this);
  Cb_Zanr->lineEdit()->setMaxLength(30);
  connect(Cb_Zanr, &QComboBox::editTextChanged, this, [this] { Tl_OK->setEnabled(true); });
  connect(Cb_Zanr, &QComboBox::activated, this, [this] { Tl_OK->setEnabled(true); });
  Ed_Puvod = pole("Ed_Puvod", 30);
  Ed_Rezie = pole("Ed_Rezie", 30);
  Ed_Obsazeni = pole("Ed_Obsazeni", 255);
  Ed_Koment = pole("Ed_Koment", 255);
  Ed_Umisteni = pole("Ed_Umisteni", 255);

  const QWidget* ovladace[] = {Ed_Titul, Ed_Rok, Ed_Stopaz, Cb_Zanr, Ed_Puvod, Ed_Rezie, Ed_Obsazeni, Ed_Koment,
                               Ed_Umisteni};
  for (size_t i = 0; i < popisky_.size(); ++i) {
    const QString nazev = QLatin1String(NazevPole(i));
    auto* popisek = new QLabel(this);
    popisek->setObjectName(QStringLiteral("La_") + nazev);
    popisek->setAlignment(Qt::AlignRight | Qt::AlignTop);
    popisek->setText(hlavni_.DataSet1.Active() ? hlavni_.PopisekPole(nazev) : PopiskyPoli(static_cast<int>(i) + 2));
    popisek->setBuddy(const_cast<QWidget*>(ovladace[i]));
    popisky_[i] = popisek;
  }

  const auto tlacitko = [this](const char* nazev, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(nazev));
    b->setFocusPolicy(Qt::NoFocus);  // not in the focus order
    b->setAutoDefault(false);
    return b;
  };
  Tl_Titul = tlacitko("Tl_Titul", QStringLiteral("www"));
  Tl_Zanr = tlacitko("Tl_Zanr", QStringLiteral("..."));
  Tl_Umisteni = tlacitko("Tl_Umisteni", QStringLiteral("..."));
  connect(Tl_Titul, &QPushButton::clicked, this, [this] { HledatNaWebu(); });
  connect(Tl_Zanr, &QPushButton::clicked, this, [this] { UpravitZanry(); });
  connect(Tl_Umisteni, &QPushButton::clicked, this, [this] { VybratUmisteni(); });

  Tl_OK = new QPushButton(QStringLiteral("OK"), this);
  Tl_OK->setObjectName(QStringLiteral("Tl_OK"));
  Tl_OK->setDefault(true);
  Tl_Storno = new QPushButton(QStringLiteral("Storno"), this);
  Tl_Storno->setObjectName(QStringLiteral("Tl_Storno"));
  connect(Tl_OK, &QPushButton::clicked, this, [this] { UlozitZaznam(); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);

  cara_ = new QFrame(this);
  cara_->setFrameShape(QFrame::HLine);
  cara_->setFrameShadow(QFrame::Sunken);
  Pocitadlo = new QLabel(QStringLiteral("Počítadlo"), this);
  Pocitadlo->setObjectName(QStringLiteral("Pocitadlo"));

  nastroje_ = new QToolBar(this);
  nastroje_->setObjectName(QStringLiteral("ToolBar1"));
  nastroje_->setIconSize(QSize(16, 16));
  const auto nastroj = [this](const char* nazev, const IkonaAkceInfo& ikona, const QString& napoveda) {
    auto* b = new QToolButton(nastroje_);
    b->setObjectName(QLatin1String(nazev));
    b->setIcon(IkonaAkce(ikona));
    b->setToolTip(napoveda);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    nastroje_->addWidget(b);
    return b;
  };
  TB_PrvniZaznam = nastroj("TB_PrvniZaznam", ikony::Prvni, QStringLiteral("První záznam (Shift+Home)"));
  TB_PredchazejiciZaznam =
      nastroj("TB_PredchazejiciZaznam", ikony::Predchozi, QStringLiteral("Předcházející záznam (Shift+<)"));
  TB_NasledujiciZaznam =
      nastroj("TB_NasledujiciZaznam", ikony::Nasledujici, QStringLiteral("Následující záznam (Shift+>)"));
  TB_PosledniZaznam = nastroj("TB_PosledniZaznam", ikony::Posledni, QStringLiteral("Poslední záznam (Shift+End)"));
  nastroje_->addSeparator();
  TB_NovyZaznam = nastroj("TB_NovyZaznam", ikony::Novy, QStringLiteral("Nový záznam (Ins)"));
  connect(TB_PrvniZaznam, &QToolButton::clicked, this, [this] { PrvniZaznam(); });
  connect(TB_PredchazejiciZaznam, &QToolButton::clicked, this, [this] { PredchazejiciZaznam(); });
  connect(TB_NasledujiciZaznam, &QToolButton::clicked, this, [this] { NasledujiciZaznam(); });
  connect(TB_PosledniZaznam, &QToolButton::clicked, this, [this] { PosledniZaznam(); });
  connect(TB_NovyZaznam, &QToolButton::clicked, this, [this] { NovyZaznam(); });

  QWidget* poradi[] = {Ed_Titul, Ed_Rok, Ed_Stopaz, Cb_Zanr, Ed_Puvod, Ed_Rezie, Ed_Obsazeni, Ed_Koment,
                       Ed_Umisteni, Tl_OK, Tl_Storno};
  for (size_t i = 0; i + 1 < std::size(poradi); ++i) setTabOrder(poradi[i], poradi[i + 1]);
  // The dialog sees its keys before the focused control does.
  installEventFilter(this);
  for (QWidget* w : poradi) w->installEventFilter(this);
  Cb_Zanr->lineEdit()->installEventFilter(this);
}

void TNovyEdit::Rozvrhnout() {
  const auto& skryt = hlavni_.Skryt;
  Ed_Titul->setGeometry(kXPole, 24, 470, kVyskaPole);
  Tl_Titul->setGeometry(kXPole + 476, 23, 60, kVyskaPole + 2);
  Ed_Rok->setGeometry(kXPole, 48, 50, kVyskaPole);
  Ed_Stopaz->setGeometry(kXPole, 72, 50, kVyskaPole);

  int y = kHorniRadekZanru;
  const bool zanr = !skryt[4];
  Cb_Zanr->setHidden(!zanr);
  Tl_Zanr->setHidden(!zanr);
  Cb_Zanr->setGeometry(kXPole, y, 240, kVyskaPole);
  Tl_Zanr->setGeometry(kXPole + 244, y - 1, 26, kVyskaPole + 2);
  if (zanr) y += kRozestup;
  struct Radek {
    QLineEdit* edit;
    size_t pole;  // index into Tabulka's fields
    int sirka;
  };
  const Radek radky[] = {{Ed_Puvod, 5, 240}, {Ed_Rezie, 6, 240}, {Ed_Obsazeni, 7, 536}, {Ed_Koment, 8, 536},
                         {Ed_Umisteni, 9, 504}};
  for (const Radek& r : radky) {
    const bool viditelne = !skryt[r.pole];
    r.edit->setHidden(!viditelne);
    if (viditelne) {
      r.edit->setGeometry(kXPole, y, r.sirka, kVyskaPole);
      y += kRozestup;
    }
  }
  Tl_Umisteni->setHidden(Ed_Umisteni->isHidden());
  Tl_Umisteni->setGeometry(kXPole + 508, Ed_Umisteni->y() - 1, 28, kVyskaPole + 2);

  const QWidget* ovladace[] = {Ed_Titul, Ed_Rok, Ed_Stopaz, Cb_Zanr, Ed_Puvod, Ed_Rezie, Ed_Obsazeni, Ed_Koment,
                               Ed_Umisteni};
  for (size_t i = 0; i < popisky_.size(); ++i) {
    popisky_[i]->setHidden(ovladace[i]->isHidden());
    popisky_[i]->setGeometry(kXPopisku, ovladace[i]->y() + 4, kSirkaPopisku, 17);
  }

  const int vyska = y + kSpodniOkraj;
  cara_->setGeometry(8, vyska - 46, kSirka - 16, 2);
  Pocitadlo->setGeometry(8, vyska - 32, 200, 17);
  nastroje_->setGeometry(230, vyska - 38, 140, 30);
  Tl_OK->setGeometry(kSirka - 170, vyska - 36, 75, 26);
  Tl_Storno->setGeometry(kSirka - 87, vyska - 36, 75, 26);
  setFixedSize(kSirka, vyska);
}

bool TNovyEdit::NovyRezim() const { return windowTitle() == QString::fromUtf8(kTitulekNovy); }

std::array<QString, 9> TNovyEdit::Texty() const {
  return {Ed_Titul->text(),    Ed_Rok->text(),      Ed_Stopaz->text(),    Cb_Zanr->currentText(), Ed_Puvod->text(),
          Ed_Rezie->text(),    Ed_Obsazeni->text(), Ed_Koment->text(),    Ed_Umisteni->text()};
}

void TNovyEdit::Zamknout(size_t pole, bool zamknout) {
  zamceno_[pole] = zamknout;
  QWidget* ovladace[] = {Ed_Titul, Ed_Rok, Ed_Stopaz, Cb_Zanr, Ed_Puvod, Ed_Rezie, Ed_Obsazeni, Ed_Koment,
                         Ed_Umisteni};
  QWidget* w = ovladace[pole];
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setReadOnly(zamknout);
  else w->setEnabled(!zamknout);
  w->setToolTip(zamknout ? QStringLiteral("Text pole obsahuje znaky mimo znakovou sadu Windows-1250, "
                                          "proto jej zde nelze upravit; zůstane uložen beze změny.")
                         : QString());
  popisky_[pole]->setToolTip(w->toolTip());
  QStringList zamcena;
  for (size_t i = 0; i < zamceno_.size(); ++i)
    if (zamceno_[i]) zamcena << popisky_[i]->text();
  La_Poznamka->setText(zamcena.isEmpty() ? QString()
                                         : QStringLiteral("Jen ke čtení (znaky mimo Windows-1250): ") +
                                               zamcena.join(QStringLiteral(", ")));
  La_Poznamka->setToolTip(w->toolTip());
}

void TNovyEdit::NastavitTexty(const std::array<QString, 9>& texty) {
  nacteno_ = texty;
  for (size_t i = 0; i < zamceno_.size(); ++i)
    if (zamceno_[i]) Zamknout(i, false);
  Ed_Titul->setText(texty[0]);
  Ed_Rok->setText(texty[1]);
  Ed_Stopaz->setText(texty[2]);
  Cb_Zanr->setEditText(texty[3]);
  Ed_Puvod->setText(texty[4]);
  Ed_Rezie->setText(texty[5]);
  Ed_Obsazeni->setText(texty[6]);
  Ed_Koment->setText(texty[7]);
  Ed_Umisteni->setText(texty[8]);
}

void TNovyEdit::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (zobrazeno_) return;
  zobrazeno_ = true;
  if (NovyRezim()) {
    for (QToolButton* b : {TB_PrvniZaznam, TB_PredchazejiciZaznam, TB_NasledujiciZaznam, TB_PosledniZaznam})
      b->setEnabled(false);
    La_Id->clear();
    Pocitadlo->setText(QStringLiteral("Počítadlo"));
  } else {
    NacistZaznam();
  }
  Ed_Titul->setFocus(Qt::TabFocusReason);
  Ed_Titul->selectAll();
}

void TNovyEdit::NacistZaznam() {
  Pocitadlo->setText(QStringLiteral("Záznam: ") + hlavni_.LaCisloZaznamu()->text());
  orvek3::TOrvek3Query& data = hlavni_.DataSet1;
  std::array<QString, 9> texty;
  std::array<bool, 9> zamknout{};
  if (data.Active()) {
    La_Id->setText(FromAnsi(data.FieldByName("Id").AsString()));
    for (size_t i = 0; i < texty.size(); ++i) {
      const orvek3::TRecField& pole = data.FieldByName(NazevPole(i));
      zamknout[i] = !pole.TextFitsAnsi();
      texty[i] = zamknout[i] ? QString::fromStdU16String(pole.AsUnicode()) : FromAnsi(pole.AsString());
    }
  } else {
    La_Id->clear();
  }
  NastavitTexty(texty);
  for (size_t i = 0; i < texty.size(); ++i) Zamknout(i, zamknout[i]);
  TB_PrvniZaznam->setEnabled(hlavni_.Akce(QStringLiteral("Akce_PrvniZaznam"))->isEnabled());
  TB_PredchazejiciZaznam->setEnabled(hlavni_.Akce(QStringLiteral("Akce_PredchazejiciZaznam"))->isEnabled());
  TB_NasledujiciZaznam->setEnabled(hlavni_.Akce(QStringLiteral("Akce_NasledujiciZaznam"))->isEnabled());
  TB_PosledniZaznam->setEnabled(hlavni_.Akce(QStringLiteral("Akce_PosledniZaznam"))->isEnabled());
  Tl_OK->setEnabled(false);
}

bool TNovyEdit::UlozitZaznam() {
  if (!Tl_OK->isEnabled()) return true;
  if (hlavni_.ZobrazDialogUloz && Dotaz(kTitulekOtazkyUlozit, kOtazkaUlozit, 1) != kAnswerYes) return true;

  const std::array<QString, 9> texty = Texty();
  const bool novy = NovyRezim();
  std::array<std::string, 9> hodnoty;
  std::array<bool, 9> zmeneno{};
  for (size_t i = 0; i < texty.size(); ++i) {
    // An edit leaves the fields the user did not change as they are stored.
    zmeneno[i] = !zamceno_[i] && (novy || texty[i] != nacteno_[i]);
    if (!zmeneno[i]) continue;
    QString nepodporovane;
    if (!TryToAnsi(texty[i], hodnoty[i], &nepodporovane)) {
      Varovani(QString(), QStringLiteral("Pole \"") + PopiskyPoli(static_cast<int>(i) + 2) +
                              QStringLiteral("\" obsahuje znaky, které katalog nedokáže uložit: ") + nepodporovane);
      return false;
    }
  }

  orvek3::TOrvek3Query& data = hlavni_.DataSet1;
  try {
    if (novy) data.Append();
    else data.Edit();
    for (size_t i = 0; i < hodnoty.size(); ++i)
      if (zmeneno[i]) data.FieldByName(NazevPole(i)).SetAsString(hodnoty[i]);
    data.Post();
  } catch (const std::exception& chyba) {
    // The row was not stored: drop the pending insert or edit so the grid and the file
    // agree, and keep the typed text in the dialog.
    if (data.Active()) data.Cancel();
    ZobrazitChybu(QString(), chyba);
    return false;
  }
  Tl_OK->setEnabled(false);
  nacteno_ = texty;
  if (novy) {
    setWindowTitle(QString::fromUtf8(kTitulekEditace));
    La_Id->setText(FromAnsi(data.FieldByName("Id").AsString()));
  }
  Ed_Titul->setFocus(Qt::OtherFocusReason);
  return true;
}

void TNovyEdit::Navigovat(const char* akce) {
  if (!UlozitZaznam()) return;
  // A disabled command does nothing, so at the ends the same row is loaded again.
  hlavni_.Akce(QLatin1String(akce))->trigger();
  NacistZaznam();
}

void TNovyEdit::PrvniZaznam() { Navigovat("Akce_PrvniZaznam"); }
void TNovyEdit::PredchazejiciZaznam() { Navigovat("Akce_PredchazejiciZaznam"); }
void TNovyEdit::NasledujiciZaznam() { Navigovat("Akce_NasledujiciZaznam"); }
void TNovyEdit::PosledniZaznam() { Navigovat("Akce_PosledniZaznam"); }

void TNovyEdit::NovyZaznam() {
  if (!UlozitZaznam()) return;
  setWindowTitle(QString::fromUtf8(kTitulekNovy));
  La_Id->clear();
  NastavitTexty({});
  Tl_OK->setEnabled(false);
  Ed_Titul->setFocus(Qt::OtherFocusReason);
}

void TNovyEdit::HledatNaWebu() {
  if (hlavni_.VychoziAdresaWWWW.isEmpty()) {
    Informace(QStringLiteral("Není zadaná žádná výchozí internetová adresa pro filmovou databázi."));
    return;
  }
  // Normally the whole title; a selected part when there is one. An empty text would only
  // wipe what the user had on the clipboard.
  const QString titul = Ed_Titul->hasSelectedText() ? Ed_Titul->selectedText() : Ed_Titul->text();
  if (!titul.isEmpty()) Seam().SetClipboardText(titul);
  OtevritSoubor(hlavni_.VychoziAdresaWWWW);
}

void TNovyEdit::VybratUmisteni() {
  FileDialogRequest pozadavek;
  pozadavek.types = ParseFileTypes(TypySouboru);
  pozadavek.typeIndex = 1;
  const std::optional<FileDialogAnswer> odpoved = Seam().ChooseFileToOpen(pozadavek);
  if (!odpoved) return;
  // The location is stored as Windows-1250 text of at most 255 characters; a path that
  // does not fit would be stored wrong and could never be played.
  QString nepodporovane;
  std::string ansi;
  if (!TryToAnsi(odpoved->path, ansi, &nepodporovane)) {
    Varovani(QString(), QStringLiteral("Cestu \"") + odpoved->path +
                            QStringLiteral("\" nelze uložit, obsahuje znaky mimo kódování Windows-1250: ") +
                            nepodporovane);
    return;
  }
  if (odpoved->path.size() > Ed_Umisteni->maxLength()) {
    Varovani(QString(), QStringLiteral("Cesta \"") + odpoved->path + QStringLiteral("\" je delší než ") +
                            QString::number(Ed_Umisteni->maxLength()) + QStringLiteral(" znaků."));
    return;
  }
  Ed_Umisteni->setText(odpoved->path);
}

void TNovyEdit::UpravitZanry() {
  TCiselnik ciselnik(this);
  ciselnik.setWindowTitle(QStringLiteral("Číselník - Žánr"));
  if (!ciselnik.NacistSoubor(hlavni_.CestaProgramu + QLatin1String(kSouborZanru))) return;
  if (ciselnik.exec() == QDialog::Accepted) NacistZanry();
}

void TNovyEdit::NacistZanry() {
  const QString soubor = hlavni_.CestaProgramu + QLatin1String(kSouborZanru);
  QStringList zanry;
  QString chyba;
  if (!NacistCiselnik(soubor, zanry, &chyba)) {
    Varovani(QString(), QStringLiteral("Číselník \"") + soubor + QStringLiteral("\" se nepodařilo načíst.\r\n") + chyba);
    return;
  }
  // Reloading the list is no change of the record.
  const QSignalBlocker blokovat(Cb_Zanr);
  const QString text = Cb_Zanr->currentText();
  Cb_Zanr->clear();
  Cb_Zanr->addItems(zanry);
  Cb_Zanr->setEditText(text);
}

bool TNovyEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* klavesa = static_cast<QKeyEvent*>(event);
  switch (klavesa->key()) {
    case Qt::Key_Up:
      focusNextPrevChild(false);
      return true;
    case Qt::Key_Down:
      focusNextPrevChild(true);
      return true;
    case Qt::Key_Insert:
      NovyZaznam();
      return true;
    default:
      break;
  }
  if (klavesa->modifiers() & Qt::ShiftModifier) {
    switch (klavesa->key()) {
      case Qt::Key_Home:
        PrvniZaznam();
        return true;
      case Qt::Key_Left:
        PredchazejiciZaznam();
        return true;
      case Qt::Key_Right:
        NasledujiciZaznam();
        return true;
      case Qt::Key_End:
        PosledniZaznam();
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- commands

void NovyZaznam(THlavni& hlavni) {
  TNovyEdit editor(hlavni, &hlavni);
  editor.setWindowTitle(QString::fromUtf8(kTitulekNovy));
  editor.exec();
}

void EditZaznamu(THlavni& hlavni) {
  TNovyEdit editor(hlavni, &hlavni);
  editor.setWindowTitle(QString::fromUtf8(kTitulekEditace));
  editor.exec();
}

void OdstranitZaznam(THlavni& hlavni) {
  orvek3::TOrvek3Query& data = hlavni.DataSet1;
  // Editing an empty set would insert a row: there is nothing to empty.
  if (!data.Active() || data.IsEmpty()) return;
  if (Dotaz(QStringLiteral("Mazání záznamu"), QStringLiteral("Opravdu chcete odstranit aktuální záznam?"), 2) !=
      kAnswerYes)
    return;
  try {
    data.Edit();
    for (size_t i = 0; i < 9; ++i) data.FieldByName(NazevPole(i)).SetAsString(std::string());
    data.Post();
  } catch (const std::exception& chyba) {
    if (data.Active()) data.Cancel();
    ZobrazitChybu(QString(), chyba);
  }
}

void CislovatNovyZaznam(THlavni& hlavni) { hlavni.DataSet1.FieldByName("Id").SetAsLargeInt(hlavni.NoveId()); }

namespace {

class TDvojklikMrizky : public QObject {
 public:
  TDvojklikMrizky(THlavni& hlavni, QObject* parent) : QObject(parent), hlavni_(hlavni) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A cell's double click reaches the editor through the edit command; this one
    // catches the clicks beside the cells, above all in an empty grid.
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        !hlavni_.DBGrid1->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid()) {
      EditZaznamu(hlavni_);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  THlavni& hlavni_;
};

}  // namespace

void NastavitDvojklikMrizky(THlavni& hlavni) {
  hlavni.DBGrid1->viewport()->installEventFilter(new TDvojklikMrizky(hlavni, hlavni.DBGrid1));
}

}  // namespace kalmetra
