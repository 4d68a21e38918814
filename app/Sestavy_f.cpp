#include "Sestavy_f.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>

#include "Hlavni_f.h"
#include "Interakce.h"
#include "Katalog.h"
#include "Pomocne.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

constexpr char kSouborNastaveniSestav[] = "Sestavy.ini";

QLabel* Popiska(QWidget* parent, const char* name, const QString& text, const QColor& color, const QRect& place) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  if (color.isValid()) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
  }
  label->setGeometry(place);
  return label;
}

QLabel* Hodnota(QWidget* parent, const char* name, const QRect& place) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(place);
  return label;
}

}  // namespace

std::function<bool()>& TiskJeMozny() {
  static std::function<bool()> brana = [] {
    if (!QPrinterInfo::availablePrinters().isEmpty()) return true;
    // The print dialog's PDF printer counts as a printer.
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    return pdf.outputFormat() == QPrinter::PdfFormat;
  };
  return brana;
}

QString NazevSestavy(const QString& cesta) {
  QFile file(cesta);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray text;
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QByteArray line = lines[i];
    if (line.endsWith('\r')) line.chop(1);
    if (i == lines.size() - 1 && line.isEmpty()) break;  // after the last line break
    if (i > 0) text += "\r\n";
    text += line;
  }
  static const QByteArray kKlic = "ReportOptions.Name=\"";
  const qsizetype at = text.indexOf(kKlic);
  if (at < 0) return {};
  const qsizetype start = at + kKlic.size();
  const qsizetype end = text.indexOf('"', start);
  const QByteArray raw = end < 0 ? text.mid(start) : text.mid(start, end - start);
  return FromAnsi(raw.toStdString());
}

TSestavy::TSestavy(THlavni& hlavni) : QDialog(&hlavni), hlavni_(hlavni) {
  setObjectName(QStringLiteral("Sestavy"));
  setWindowTitle(QStringLiteral("Generátor sestav"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(555, 378);

  auto* seznam = new QLabel(QStringLiteral("Seznam sestav"), this);
  seznam->setObjectName(QStringLiteral("La_SeznamSestav"));
  seznam->setGeometry(8, 6, 250, 16);
  SeznamSestav = new QTreeWidget(this);
  SeznamSestav->setObjectName(QStringLiteral("SeznamSestav"));
  SeznamSestav->setGeometry(8, 24, 260, 304);
  SeznamSestav->setHeaderHidden(true);
  SeznamSestav->setRootIsDecorated(false);
  SeznamSestav->setItemsExpandable(false);
  SeznamSestav->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Selection stays visible without focus.
  QPalette pal = SeznamSestav->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  SeznamSestav->setPalette(pal);

  Popiska(this, "Popiska_Nazev", QStringLiteral("Název sestavy:"), QColor(128, 0, 0), QRect(280, 24, 110, 18));
  Popiska(this, "Popiska_Autor", QStringLiteral("Autor sestavy:"), QColor(), QRect(280, 48, 110, 18));
  Popiska(this, "La_Popiska_Soubor", QStringLiteral("Jméno souboru:"), QColor(), QRect(280, 72, 110, 18));
  Popiska(this, "Popiska_Popis", QStringLiteral("Popis sestavy:"), QColor(0, 0, 255), QRect(280, 100, 110, 18));
  La_Nazev = Hodnota(this, "La_Nazev", QRect(392, 24, 155, 18));
  La_Autor = Hodnota(this, "La_Autor", QRect(392, 48, 155, 18));
  La_Soubor = Hodnota(this, "La_Soubor", QRect(392, 72, 155, 18));
  La_Popis = Hodnota(this, "La_Popis", QRect(280, 122, 267, 206));
  La_Popis->setWordWrap(true);
  La_Popis->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  struct Tlacitko {
    const char* tlacitko;
    const char* akce;
    const char16_t* text;
    void (TSestavy::*prikaz)();
  };
  const Tlacitko tlacitka[] = {{"Tl_Tisk", "Akce_Tisk", u"Tisk", &TSestavy::Akce_Tisk},
                               {"Tl_Nahled", "Akce_Nahled", u"Náhled", &TSestavy::Akce_Nahled},
                               {"Tl_Editace", "Akce_Editace", u"Editace", &TSestavy::Akce_Editace},
                               {"Tl_Konec", "Akce_Storno", u"Storno", nullptr}};
  QPushButton** cile[] = {&Tl_Tisk, &Tl_Nahled, &Tl_Editace, &Tl_Konec};
  int x = 8;
  for (int i = 0; i < 4; ++i) {
    auto* akce = new QAction(QString::fromUtf16(tlacitka[i].text), this);
    akce->setObjectName(QLatin1String(tlacitka[i].akce));
    if (tlacitka[i].prikaz) connect(akce, &QAction::triggered, this, [this, p = tlacitka[i].prikaz] { (this->*p)(); });
    else connect(akce, &QAction::triggered, this, &QDialog::reject);
    addAction(akce);
    auto* b = new QPushButton(akce->text(), this);
    b->setObjectName(QLatin1String(tlacitka[i].tlacitko));
    b->setGeometry(x, 342, 90, 27);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, akce, &QAction::trigger);
    *cile[i] = b;
    x += 98;
  }
  Tl_Konec->move(457, 342);

  // Engine messages go through the program's seam like every other message.
  previousInteraction_ = rpt::Interaction();
  rpt::Interaction().ShowError = [](const QString& text) { Varovani(QString(), text); };
  rpt::Interaction().ShowInfo = [](const QString& text) { Informace(text); };
  rpt::Interaction().ChoosePdfFile = [](const QString& navrh) {
    FileDialogRequest r;
    r.title = QStringLiteral("Export do PDF");
    r.types = {FileType{QStringLiteral("Dokument PDF (*.pdf)"), QStringLiteral("*.pdf")}};
    r.fileName = QFileInfo(navrh).fileName();
    r.folder = QFileInfo(navrh).absolutePath();
    const auto odpoved = Seam().ChooseFileToSave(r);
    return odpoved ? odpoved->path : QString();
  };

  rpt::Interaction().Ask = [](const QString& text) {
    return Seam().Ask(MessageIcon::Question, QStringLiteral("Návrhář sestav"), text) == kAnswerYes;
  };
  rpt::Interaction().AskCancel = [](const QString& text) {
    switch (Seam().AskYesNoCancel(MessageIcon::Question, QStringLiteral("Návrhář sestav"), text)) {
      case kAnswerYes: return rpt::EngineInteraction::Answer::Yes;
      case kAnswerNo: return rpt::EngineInteraction::Answer::No;
      default: return rpt::EngineInteraction::Answer::Cancel;
    }
  };
  rpt::Interaction().ChooseTemplateFile = [](const QString& slozka, const QString& navrh) {
    FileDialogRequest r;
    r.title = QStringLiteral("Uložit sestavu jako");
    r.types = {FileType{QStringLiteral("Sestavy (*.ksr)"), QStringLiteral("*.ksr")}};
    r.fileName = navrh;
    r.folder = slozka;
    const auto odpoved = Seam().ChooseFileToSave(r);
    return odpoved ? odpoved->path : QString();
  };
  rpt::Interaction().ChooseImageFile = [](const QString& slozka) {
    FileDialogRequest r;
    r.title = QStringLiteral("Vložit obrázek");
    r.types = {FileType{QStringLiteral("Obrázky (*.png;*.jpg;*.jpeg)"), QStringLiteral("*.png;*.jpg;*.jpeg")}};
    r.folder = slozka;
    const auto odpoved = Seam().ChooseFileToOpen(r);
    return odpoved ? odpoved->path : QString();
  };

  RptDataset1.SetUserName(QStringLiteral("RptDataset1"));
  RptDataset1.SetCloseDataSource(false);
  RptReport1.DataSet = &RptDataset1;
  RptReport1.DataSetName = QStringLiteral("RptDataset1");
  RptReport1.PDFExport = &RptPDFExport1;
  RptReport1.Designer = &RptDesigner1;

  // Creation steps: the folder, empty details, the data set, the settings file, the list.
  QDir().mkpath(SlozkaSestav());
  VyprazdnitUdaje();
  RptDataset1.SetDataSet(&hlavni_.DataSet1);
  RptReport1.IniFile = hlavni_.CestaProgramu + QLatin1String(kSouborNastaveniSestav);
  connect(SeznamSestav, &QTreeWidget::currentItemChanged, this, [this] { ZmenaVyberu(); });
  NacistSeznamSestav(SeznamSestav);

  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

TSestavy::~TSestavy() { rpt::Interaction() = previousInteraction_; }

QString TSestavy::SlozkaSestav() const { return hlavni_.CestaProgramu + QLatin1String(kSlozkaSestav); }

void TSestavy::NacistSeznamSestav(QTreeWidget* strom) {
  const QDir slozka(SlozkaSestav());
  const QStringList soubory =
      slozka.entryList({QStringLiteral("*.ksr")}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& soubor : soubory) {
    if (soubor.isEmpty()) continue;
    PolozkySestav.push_back({soubor, NazevSestavy(slozka.filePath(soubor))});
    QCoreApplication::processEvents();
  }
  if (PolozkySestav.empty()) return;
  auto* koren = new QTreeWidgetItem(strom, {QStringLiteral("Základní sestavy")});
  koren->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  QFont tucne = strom->font();
  tucne.setBold(true);
  koren->setFont(0, tucne);
  for (const PolozkaSestavy& p : PolozkySestav) {
    auto* uzel = new QTreeWidgetItem(koren, {p.Nazev});
    uzel->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
  }
  strom->expandAll();
  strom->setCurrentItem(koren->child(0));
}

QString TSestavy::SouborSestavy(const QString& nazev) const {
  for (const PolozkaSestavy& p : PolozkySestav)
    if (p.Nazev == nazev) return p.JmenoSouboru;
  return {};
}

void TSestavy::VyprazdnitUdaje() {
  La_Nazev->clear();
  La_Autor->clear();
  La_Soubor->clear();
  La_Popis->clear();
  Tl_Tisk->setEnabled(false);
  Tl_Nahled->setEnabled(false);
  Tl_Editace->setEnabled(false);
}

void TSestavy::ZmenaVyberu() {
  QTreeWidgetItem* uzel = SeznamSestav->currentItem();
  if (uzel && uzel->parent()) {
    const QString soubor = SouborSestavy(uzel->text(0));
    const QString cesta = SlozkaSestav() + QLatin1Char('/') + soubor;
    if (!soubor.isEmpty() && QFileInfo(cesta).isFile()) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      const bool nacteno = RptReport1.LoadFromFile(cesta, true);
      QApplication::restoreOverrideCursor();
      // A template that does not run over the catalogue still opens in the designer,
      // where it can be mended.
      if (nacteno || RptReport1.Designable()) {
        La_Nazev->setText(RptReport1.ReportOptions.Name);
        La_Autor->setText(RptReport1.ReportOptions.Author);
        La_Soubor->setText(QFileInfo(RptReport1.FileName).fileName());
        La_Popis->setText(RptReport1.ReportOptions.Description.join(QStringLiteral("\r\n")));
        Tl_Tisk->setEnabled(nacteno);
        Tl_Nahled->setEnabled(nacteno);
        Tl_Editace->setEnabled(true);
        return;
      }
    }
  }
  VyprazdnitUdaje();
}

bool TSestavy::VybranUzel() const {
  if (SeznamSestav->currentItem()) return true;
  Informace(QStringLiteral("Není vybrána žádná sestava"));
  return false;
}

void TSestavy::Akce_Nahled() {
  if (VybranUzel() && Tl_Nahled->isEnabled()) RptReport1.ShowReport();
}

void TSestavy::Akce_Tisk() {
  if (VybranUzel() && Tl_Tisk->isEnabled()) RptReport1.Print();
}

void TSestavy::Akce_Editace() {
  // Only on the chosen template: a blank report here could be saved over it.
  if (!VybranUzel() || !Tl_Editace->isEnabled() || !RptReport1.Designable()) return;
  RptReport1.DesignReport();
  // The template may have been saved with a fault or mended.
  const bool spustitelna = RptReport1.Loaded();
  Tl_Tisk->setEnabled(spustitelna);
  Tl_Nahled->setEnabled(spustitelna);
  Tl_Editace->setEnabled(RptReport1.Designable());
}

void Akce_Sestavy(THlavni& hlavni) {
  if (!TiskJeMozny()()) {
    Informace(QStringLiteral("V systému Windows není nainstalovaná žádná tiskárna."));
    return;
  }
  TSestavy okno(hlavni);
  okno.exec();
}

}  // namespace kalmetra
