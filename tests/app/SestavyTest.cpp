// The report list window over a real catalogue in a fresh program folder: the template
// list and its names, the details, and preview, print, PDF and design through the engine.
#include "ProgramovaSlozkaFixture.h"
#include "TestSupport.h"

#include <Hlavni_f.h>
#include <Sestavy_f.h>
#include <TextCodec.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

#include "ScriptedSeam.h"
#include "designer.h"
#include "preview.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

class SestavyTest : public test::ProgramovaSlozkaFixture {
 protected:
  void SetUp() override {
    ProgramovaSlozkaFixture::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(VytvoritDatabazi(dir_ + QStringLiteral("Kalmetra.sqlite")));
    orvek3::TOrvek3Database db;
    db.SetDriver((dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)).toStdString());
    db.SetDatabaseFile((dir_ + QStringLiteral("Kalmetra.sqlite")).toStdString());
    db.Connect();
    db.ExecSQL("BEGIN");
    orvek3::TParams p;
    for (const char* name : {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Rezie"}) p.Add(name);
    for (int i = 1; i <= 120; ++i) {
      p[0].SetAsLargeInt(i);
      // Titles sort differently from their Ids.
      p[1].SetAsString(ToAnsi(QStringLiteral("Řeka %1 – %2").arg((i * 37) % 120, 3, 10, QChar(u'0')).arg(i)));
      p[2].SetAsString(std::to_string(1960 + i % 60));
      p[3].SetAsString(std::to_string(90 + i % 30));
      p[4].SetAsString(ToAnsi(i % 2 ? QStringLiteral("Drama") : QStringLiteral("Komedie")));
      p[5].SetAsString(ToAnsi(QStringLiteral("Režisér %1").arg(i)));
      db.ExecSQL("INSERT INTO Tabulka (Id, Titul, Rok, Stopaz, Zanr, Rezie) VALUES (:Id, :Titul, :Rok, :Stopaz, :Zanr, :Rezie)",
                 &p);
    }
    db.ExecSQL("COMMIT");
    db.Disconnect();
  }
  void TearDown() override { TiskJeMozny() = brana_; }

  static QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QString Ses() const { return dir_ + QStringLiteral("Ses/"); }
  void Write(const QString& file, const QByteArray& bytes) {
    QDir().mkpath(Ses());
    QFile f(Ses() + file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void CopyShipped(const QString& file, const QString& as = {}) {
    QDir().mkpath(Ses());
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/") + file, Ses() + (as.isEmpty() ? file : as)));
  }
  QString Label(TSestavy& w, const char* name) { return w.findChild<QLabel*>(QLatin1String(name))->text(); }
  bool Enabled(TSestavy& w, const char* name) { return w.findChild<QPushButton*>(QLatin1String(name))->isEnabled(); }
  QTreeWidget* Tree(TSestavy& w) { return w.findChild<QTreeWidget*>(QStringLiteral("SeznamSestav")); }
  void Trigger(TSestavy& w, const char* action) { w.findChild<QAction*>(QLatin1String(action))->trigger(); }

  std::function<bool()> brana_ = TiskJeMozny();
};

TEST_F(SestavyTest, NameIsReadRawFromTheTemplateText) {
  Write(QStringLiteral("a.ksr"), "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<Report ReportOptions.Name=\"Filmy &amp; \xBEivot\" X=\"1\"/>\n");
  Write(QStringLiteral("b.ksr"), "<Report Version=\"1\"/>\n");
  Write(QStringLiteral("c.ksr"), "<Report\nReportOptions.Name=\"Bez konce\nkonec");
  EXPECT_EQ(NazevSestavy(Ses() + QStringLiteral("a.ksr")), QStringLiteral("Filmy &amp; ľivot"));
  EXPECT_EQ(NazevSestavy(Ses() + QStringLiteral("b.ksr")), QString());
  EXPECT_EQ(NazevSestavy(Ses() + QStringLiteral("c.ksr")), QStringLiteral("Bez konce\r\nkonec"));
  EXPECT_EQ(NazevSestavy(Ses() + QStringLiteral("chybi.ksr")), QString());
}

TEST_F(SestavyTest, EmptyFolderIsCreatedAndLeavesTheWindowEmpty) {
  ScopedScriptedSeam seam;
  THlavni h(dir_);
  ASSERT_FALSE(QDir(Ses()).exists());
  TSestavy w(h);
  EXPECT_TRUE(QDir(Ses()).exists());
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Generátor sestav"));
  EXPECT_EQ(w.size(), QSize(555, 378));
  EXPECT_EQ(Tree(w)->topLevelItemCount(), 0);
  for (const char* b : {"Tl_Tisk", "Tl_Nahled", "Tl_Editace"}) EXPECT_FALSE(Enabled(w, b)) << b;
  EXPECT_TRUE(Label(w, "La_Nazev").isEmpty());
  Trigger(w, "Akce_Nahled");
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Není vybrána žádná sestava"));
}

TEST_F(SestavyTest, ListDetailsSameNamesAndTheRootNode) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("SeznamFilmu.ksr"), QStringLiteral("a_seznam.ksr"));
  // A name with an entity, twice under two file names, and a template without a name.
  QByteArray entity = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
                      "<Report ReportOptions.Name=\"Tom &amp; Jerry\" ReportOptions.Author=\"Autor \x9A\" "
                      "ReportOptions.Description=\"\xE8\xE1st 1&#13;&#10;\xE8\xE1st 2\" Version=\"1\">\n"
                      "  <Page Width=\"210\" Height=\"297\"/>\n</Report>\n";
  Write(QStringLiteral("b_tom.ksr"), entity);
  Write(QStringLiteral("c_tom.ksr"), QByteArray(entity).replace("Autor", "Jiný"));
  Write(QStringLiteral("d_bez.ksr"), "<Report><Page Width=\"210\" Height=\"297\"/></Report>");
  Write(QStringLiteral("e_jiny.txt"), "ReportOptions.Name=\"Nepatří sem\"");
  QDir().mkpath(Ses() + QStringLiteral("slozka.ksr"));
  THlavni h(dir_);
  TSestavy w(h);
  QTreeWidget* tree = Tree(w);
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(root->text(0), QStringLiteral("Základní sestavy"));
  EXPECT_TRUE(root->font(0).bold());
  ASSERT_EQ(root->childCount(), 4);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Seznam filmů"));
  EXPECT_EQ(root->child(1)->text(0), QStringLiteral("Tom &amp; Jerry"));
  EXPECT_EQ(root->child(2)->text(0), QStringLiteral("Tom &amp; Jerry"));
  EXPECT_EQ(root->child(3)->text(0), QString());

  // The first template is selected and shown at once.
  EXPECT_EQ(tree->currentItem(), root->child(0));
  EXPECT_EQ(Label(w, "La_Nazev"), QStringLiteral("Seznam filmů"));
  EXPECT_EQ(Label(w, "La_Autor"), QStringLiteral("Kalmetra"));
  EXPECT_EQ(Label(w, "La_Soubor"), QStringLiteral("a_seznam.ksr"));
  EXPECT_TRUE(Label(w, "La_Popis").contains(QStringLiteral("\r\n")));
  for (const char* b : {"Tl_Tisk", "Tl_Nahled", "Tl_Editace"}) EXPECT_TRUE(Enabled(w, b)) << b;

  // Either of two equal names loads the file listed first; the engine decodes the name.
  tree->setCurrentItem(root->child(2));
  EXPECT_EQ(Label(w, "La_Nazev"), QStringLiteral("Tom & Jerry"));
  EXPECT_EQ(Label(w, "La_Soubor"), QStringLiteral("b_tom.ksr"));
  EXPECT_EQ(Label(w, "La_Autor"), QStringLiteral("Autor š"));
  EXPECT_EQ(Label(w, "La_Popis"), QStringLiteral("část 1\r\nčást 2"));

  tree->setCurrentItem(root);
  for (const char* l : {"La_Nazev", "La_Autor", "La_Soubor", "La_Popis"}) EXPECT_TRUE(Label(w, l).isEmpty()) << l;
  for (const char* b : {"Tl_Tisk", "Tl_Nahled", "Tl_Editace"}) EXPECT_FALSE(Enabled(w, b)) << b;

  // The nameless template is found by its empty name.
  tree->setCurrentItem(root->child(3));
  EXPECT_EQ(Label(w, "La_Soubor"), QStringLiteral("d_bez.ksr"));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(SestavyTest, BrokenTemplateIsReportedAndNothingIsWritten) {
  ScopedScriptedSeam seam;
  Write(QStringLiteral("rozbita.ksr"), "<Report ReportOptions.Name=\"Rozbitá\"><Page Width=\"210\" Height=\"297\">"
                                       "<Band Type=\"Zazrak\" Name=\"B\"/></Page></Report>");
  Write(QStringLiteral("uriznuta.ksr"), "<Report ReportOptions.Name=\"Uříznutá\"><Page");
  Write(QStringLiteral("vpole.ksr"), "<Report ReportOptions.Name=\"Pole\"><Page Width=\"210\" Height=\"297\">"
                                     "<Band Type=\"MasterData\" Height=\"5\"><Text Name=\"Reziser1\" Width=\"50\" Height=\"5\">"
                                     "[RptDataset1.\"Reziser\"]</Text></Band></Page></Report>");
  THlavni h(dir_);
  const QStringList before = QDir(dir_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  TSestavy w(h);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("rozbita.ksr"))) << seam->Calls()[0].text.toStdString();
  EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("„Zazrak“")));
  EXPECT_TRUE(Label(w, "La_Nazev").isEmpty());
  EXPECT_FALSE(Enabled(w, "Tl_Nahled"));
  Tree(w)->setCurrentItem(Tree(w)->topLevelItem(0)->child(1));
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_TRUE(seam->Calls()[1].text.contains(QStringLiteral("uriznuta.ksr")));
  EXPECT_TRUE(seam->Calls()[1].text.contains(QStringLiteral("XML")));
  // An unknown field shows as soon as the template is chosen, naming file, object and field.
  Tree(w)->setCurrentItem(Tree(w)->topLevelItem(0)->child(2));
  ASSERT_EQ(seam->Calls().size(), 3u);
  EXPECT_TRUE(seam->Calls()[2].text.contains(QStringLiteral("vpole.ksr")));
  EXPECT_TRUE(seam->Calls()[2].text.contains(QStringLiteral("Reziser1")));
  EXPECT_TRUE(seam->Calls()[2].text.contains(QStringLiteral("„Reziser“")));
  EXPECT_FALSE(Enabled(w, "Tl_Nahled"));
  EXPECT_EQ(QDir(dir_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST_F(SestavyTest, PreviewShowsTheGridsOrderFindsATitleAndKeepsTheCurrentFilm) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("SeznamFilmu.ksr"));
  THlavni h(dir_);
  h.PoleTrideni = QStringLiteral("Titul");
  h.OtevritSeznam();
  h.DataSet1.SetRecNo(17);
  const std::string current = h.DataSet1.FieldByName("Titul").AsString();
  TSestavy w(h);
  int shown = 0;
  rpt::Interaction().RunPreview = [&](rpt::TRptPreview& p) {
    ++shown;
    ASSERT_GE(p.PageCount(), 3);
    EXPECT_EQ(p.PageFieldText(), QStringLiteral("1 / %1").arg(p.PageCount()));
    const rpt::PreparedReport& r = w.RptReport1.Prepared();
    EXPECT_TRUE(r.PageText(0).contains(QStringLiteral("Řeka 000 – 120")));  // first by title
    EXPECT_TRUE(p.Find(QStringLiteral("řeka 119")));                          // case ignored
    EXPECT_EQ(p.Hits().size(), 1u);
    EXPECT_EQ(p.CurrentPage(), static_cast<int>(r.pages.size()) - 1);
    EXPECT_FALSE(p.Find(QStringLiteral("Nikde")));
    EXPECT_EQ(p.StatusText(), QStringLiteral("Text „Nikde“ nebyl nalezen."));
    p.SetZoom(rpt::ZoomMode::Factor, 1.0);
    p.ZoomStep(1);
    EXPECT_DOUBLE_EQ(p.Zoom(), 1.5);
    p.SetZoom(rpt::ZoomMode::WholePage);
    p.reject();  // Esc
  };
  Trigger(w, "Akce_Nahled");
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(h.DataSet1.RecNo(), 17);
  EXPECT_EQ(h.DataSet1.FieldByName("Titul").AsString(), current);
  EXPECT_FALSE(h.DataSet1.ControlsDisabled());
  // The zoom mode is remembered in the engine's settings file.
  QFile ini(dir_ + QStringLiteral("Sestavy.ini"));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("Zvetseni=stranka"));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(SestavyTest, PdfFromThePreviewHoldsTheTitlesInTheGridsOrder) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("SeznamFilmu.ksr"));
  THlavni h(dir_);
  h.PoleTrideni = QStringLiteral("Titul");
  h.OtevritSeznam();
  QStringList grid;
  for (h.DataSet1.First(); !h.DataSet1.Eof(); h.DataSet1.Next()) grid << FromAnsi(h.DataSet1.FieldByName("Titul").AsString());
  h.DataSet1.First();
  TSestavy w(h);
  const QString pdf = dir_ + QStringLiteral("vystup.pdf");
  seam->QueueFile(FileDialogAnswer{pdf, 1});
  rpt::Interaction().RunPreview = [](rpt::TRptPreview& p) { p.ExportPdf(); };
  Trigger(w, "Akce_Nahled");
  ASSERT_TRUE(QFile::exists(pdf));
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::SaveFile);
  const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  qsizetype at = -1;
  for (const QString& title : grid) {
    const qsizetype next = text.indexOf(title);
    ASSERT_GT(next, at) << title.toStdString();
    at = next;
  }
  const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Seznam filmů\\n"))));
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Author:\\s+Kalmetra\\n"))));
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+Kalmetra\\n"))));
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(w.RptReport1.Prepared().pages.size()))));
}

TEST_F(SestavyTest, PrintGoesThroughThePrintDialog) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("KartaFilmu.ksr"));
  THlavni h(dir_);
  TSestavy w(h);
  const QString out = dir_ + QStringLiteral("tisk.pdf");
  int asked = 0;
  rpt::Interaction().ChoosePrinter = [&](QPrinter& printer, int pages) {
    ++asked;
    EXPECT_EQ(pages, 15);  // 120 cards, 8 a page
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out);
    printer.setFromTo(2, 3);
    return true;
  };
  Trigger(w, "Akce_Tisk");
  EXPECT_EQ(asked, 1);
  const QString info = RunTool(QStringLiteral("pdfinfo"), {out});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("(A4)")));
  const QString text = RunTool(QStringLiteral("pdftotext"), {out, QStringLiteral("-")});
  EXPECT_TRUE(text.contains(QStringLiteral("Strana 2 z 15")));
  EXPECT_FALSE(text.contains(QStringLiteral("Strana 1 z 15")));
}

TEST_F(SestavyTest, DesignerSavesANewReportThatTheListShowsWithItsCzechName) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("SeznamFilmu.ksr"));
  const QByteArray shipped = ReadFile(Ses() + QStringLiteral("SeznamFilmu.ksr"));
  THlavni h(dir_);
  {
    TSestavy w(h);
    int designed = 0;
    rpt::Interaction().RunDesigner = [&](rpt::TRptDesignerWindow& d) {
      ++designed;
      EXPECT_EQ(d.Doc().ReportName(), QStringLiteral("Seznam filmů"));
      // The catalogue's fields are offered by the grid's captions.
      auto* fields = d.findChild<QListWidget*>(QStringLiteral("SeznamPoli"));
      ASSERT_TRUE(fields);
      ASSERT_FALSE(fields->findItems(QStringLiteral("Režie"), Qt::MatchExactly).isEmpty());
      d.AddFieldToCurrentBand(QStringLiteral("Rezie"));
      d.Doc().SetReportOptions(QStringLiteral("Přehled režií"), QStringLiteral("Já"), {});
      // Saved as a name without extension: the designer adds ".ksr" in "Ses".
      seam->QueueFile(FileDialogAnswer{Ses() + QStringLiteral("Prehled"), 1});
      EXPECT_TRUE(d.SaveAs());
      d.reject();
      EXPECT_EQ(d.result(), QDialog::Rejected);
    };
    Trigger(w, "Akce_Editace");
    EXPECT_EQ(designed, 1);
    ASSERT_EQ(seam->Calls().size(), 1u);
    EXPECT_EQ(seam->Calls()[0].kind, CallKind::SaveFile);
    EXPECT_EQ(seam->Calls()[0].request.folder, QDir(Ses()).absolutePath());
  }
  EXPECT_EQ(ReadFile(Ses() + QStringLiteral("SeznamFilmu.ksr")), shipped);
  const QByteArray saved = ReadFile(Ses() + QStringLiteral("Prehled.ksr"));
  EXPECT_TRUE(saved.contains("ReportOptions.Name=\"P\xF8" "ehled re\x9Ei\xED\""));
  EXPECT_TRUE(saved.contains(">[RptDataset1.\"Rezie\"]</Text>"));

  // The next time the list opens, the new report is there under its Czech name and
  // previews over the catalogue with the added field.
  TSestavy again(h);
  QTreeWidgetItem* root = Tree(again)->topLevelItem(0);
  QStringList names;
  for (int i = 0; i < root->childCount(); ++i) names << root->child(i)->text(0);
  ASSERT_TRUE(names.contains(QStringLiteral("Přehled režií"))) << names.join(u',').toStdString();
  Tree(again)->setCurrentItem(root->child(static_cast<int>(names.indexOf(QStringLiteral("Přehled režií")))));
  EXPECT_EQ(Label(again, "La_Nazev"), QStringLiteral("Přehled režií"));
  int previewed = 0;
  rpt::Interaction().RunPreview = [&](rpt::TRptPreview&) {
    ++previewed;
    // Added to the data band, so every film shows its director.
    EXPECT_TRUE(again.RptReport1.Prepared().PageText(0).contains(QStringLiteral("Režisér 1\n")));
    EXPECT_TRUE(again.RptReport1.Prepared().PageText(0).contains(QStringLiteral("Režisér 2\n")));
  };
  Trigger(again, "Akce_Nahled");
  EXPECT_EQ(previewed, 1);
}

TEST_F(SestavyTest, ClosingTheDesignerWithChangesAsksAndNoKeepsTheFile) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("KartaFilmu.ksr"));
  const QByteArray shipped = ReadFile(Ses() + QStringLiteral("KartaFilmu.ksr"));
  THlavni h(dir_);
  TSestavy w(h);
  rpt::Interaction().RunDesigner = [&](rpt::TRptDesignerWindow& d) {
    d.Doc().SelectAll();
    d.Doc().MoveSelection(2, 0);
    seam->QueueAnswer(kAnswerNo);
    d.reject();
    EXPECT_EQ(d.result(), QDialog::Rejected);
  };
  Trigger(w, "Akce_Editace");
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::Question);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Sestava „Karta filmu“ byla změněna. Chcete změny uložit?"));
  EXPECT_EQ(ReadFile(Ses() + QStringLiteral("KartaFilmu.ksr")), shipped);
  // The designer's place and grid live in the engine's settings file.
  EXPECT_TRUE(ReadFile(dir_ + QStringLiteral("Sestavy.ini")).contains("[Navrhar]"));
}

TEST_F(SestavyTest, ATemplateWithAnUnknownFieldStillOpensInTheDesignerNeverABlankOne) {
  ScopedScriptedSeam seam;
  CopyShipped(QStringLiteral("SeznamFilmu.ksr"));
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  THlavni h(dir_);
  TSestavy w(h);
  auto titul = [](rpt::DesignerDoc& doc) -> rpt::ObjRef {
    for (int b = 0; b < doc.BandCount(); ++b)
      for (int i = 0; i < static_cast<int>(doc.Band(b).children.size()); ++i)
        if (doc.Band(b).children[i].Attr(QStringLiteral("Name")) == QLatin1String("Titul1")) return {b, i};
    return {};
  };
  int designed = 0;
  // A mistyped field, saved all the same.
  rpt::Interaction().RunDesigner = [&](rpt::TRptDesignerWindow& d) {
    ++designed;
    ASSERT_TRUE(d.Doc().SetObjectText(titul(d.Doc()), QStringLiteral("[RptDataset1.\"Titl\"]")));
    seam->QueueAnswer(kAnswerYes);
    EXPECT_TRUE(d.Save());
    d.reject();
  };
  Trigger(w, "Akce_Editace");
  ASSERT_EQ(designed, 1);
  ASSERT_GE(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::Question);
  EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("„Titl“"))) << seam->Calls()[0].text.toStdString();
  EXPECT_TRUE(ReadFile(path).contains("[RptDataset1.\"Titl\"]"));
  EXPECT_FALSE(Enabled(w, "Tl_Nahled"));
  EXPECT_FALSE(Enabled(w, "Tl_Tisk"));
  ASSERT_TRUE(Enabled(w, "Tl_Editace"));

  // Design opens that template, not a blank one, and mending it makes it run again.
  rpt::Interaction().RunDesigner = [&](rpt::TRptDesignerWindow& d) {
    ++designed;
    EXPECT_EQ(d.Doc().FileName(), path);
    EXPECT_EQ(d.Doc().ReportName(), QStringLiteral("Seznam filmů"));
    const rpt::ObjRef ref = titul(d.Doc());
    ASSERT_GE(ref.band, 0);
    EXPECT_EQ(d.Doc().Object(ref).text, QStringLiteral("[RptDataset1.\"Titl\"]"));
    ASSERT_TRUE(d.Doc().SetObjectText(ref, QStringLiteral("[RptDataset1.\"Titul\"]")));
    EXPECT_TRUE(d.Save());
    d.reject();
  };
  Trigger(w, "Akce_Editace");
  EXPECT_EQ(designed, 2);
  EXPECT_TRUE(ReadFile(path).contains("[RptDataset1.\"Titul\"]"));
  EXPECT_TRUE(Enabled(w, "Tl_Nahled"));

  // Chosen afresh, a template with an unknown field is reported and can still be designed.
  Write(QStringLiteral("vpole.ksr"), "<Report ReportOptions.Name=\"Pole\"><Page Width=\"210\" Height=\"297\">"
                                     "<Band Type=\"MasterData\" Height=\"5\"><Text Name=\"Reziser1\" Width=\"50\" Height=\"5\">"
                                     "[RptDataset1.\"Reziser\"]</Text></Band></Page></Report>");
  TSestavy again(h);
  QTreeWidgetItem* root = Tree(again)->topLevelItem(0);
  for (int i = 0; i < root->childCount(); ++i)
    if (root->child(i)->text(0) == QStringLiteral("Pole")) Tree(again)->setCurrentItem(root->child(i));
  EXPECT_EQ(Label(again, "La_Nazev"), QStringLiteral("Pole"));
  EXPECT_FALSE(Enabled(again, "Tl_Nahled"));
  ASSERT_TRUE(Enabled(again, "Tl_Editace"));
  rpt::Interaction().RunDesigner = [&](rpt::TRptDesignerWindow& d) {
    ++designed;
    EXPECT_EQ(d.Doc().FileName(), Ses() + QStringLiteral("vpole.ksr"));
    EXPECT_EQ(d.Doc().Object({0, 0}).text, QStringLiteral("[RptDataset1.\"Reziser\"]"));
  };
  Trigger(again, "Akce_Editace");
  EXPECT_EQ(designed, 3);
}

TEST_F(SestavyTest, ReportCommandChecksForPrintingFirst) {
  ScopedScriptedSeam seam;
  THlavni h(dir_);
  TiskJeMozny() = [] { return false; };
  h.Akce(QStringLiteral("Akce_Sestavy"))->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("V systému Windows není nainstalovaná žádná tiskárna."));
  EXPECT_FALSE(QDir(Ses()).exists());

  TiskJeMozny() = [] { return true; };
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      shown = d->windowTitle();
      d->reject();
    }
  });
  h.Akce(QStringLiteral("Akce_Sestavy"))->trigger();
  EXPECT_EQ(shown, QStringLiteral("Generátor sestav"));
  EXPECT_TRUE(QDir(Ses()).exists());
}

}  // namespace
}  // namespace kalmetra
