// The main window in a fresh program folder each: start-up, settings, the grid, the
// actions and their rules, the column widths and what shutdown writes.
#include "ProgramovaSlozkaFixture.h"
#include "TestSupport.h"

#include <Aplikace.h>
#include <Hlavni_f.h>
#include <IniSoubor.h>
#include <Platforma.h>
#include <TextCodec.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

#include "ModalniOkno.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

class HlavniTest : public test::ProgramovaSlozkaFixture {
 protected:
  void TearDown() override { SetBeforeRenameHook({}); }

  QString Ini() const { return dir_ + QStringLiteral("Kalmetra.ini"); }
  QString Db() const { return dir_ + QStringLiteral("Kalmetra.sqlite"); }

  std::unique_ptr<THlavni> Start() { return std::make_unique<THlavni>(dir_); }

  // A catalogue of n films written through the data layer, Id 1..n.
  void MakeCatalogue(int n, const std::function<std::string(int)>& title = {}) {
    ASSERT_TRUE(VytvoritDatabazi(Db()));
    orvek3::TOrvek3Database db;
    db.SetDriver((dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)).toStdString());
    db.SetDatabaseFile(Db().toStdString());
    db.Connect();
    db.ExecSQL("BEGIN");
    orvek3::TParams p;
    p.Add("Id");
    p.Add("Titul");
    p.Add("Umisteni");
    for (int i = 1; i <= n; ++i) {
      p[0].SetAsLargeInt(i);
      p[1].SetAsString(title ? title(i) : ToAnsi(QStringLiteral("Film č. %1").arg(i)));
      p[2].SetAsString(i % 2 == 0 ? std::string("/filmy/") + std::to_string(i) + ".mkv" : std::string());
      db.ExecSQL("INSERT INTO Tabulka (Id, Titul, Umisteni) VALUES (:Id, :Titul, :Umisteni)", &p);
    }
    db.ExecSQL("COMMIT");
    db.Disconnect();
  }

  QStringList Captions(const THlavni& h) const {
    QStringList c;
    auto* model = h.DBGrid1->model();
    for (int i = 0; i < model->columnCount(); ++i) c << model->headerData(i, Qt::Horizontal).toString();
    return c;
  }

  bool Enabled(const THlavni& h, const char* name) const { return h.Akce(QLatin1String(name))->isEnabled(); }

};

TEST_F(HlavniTest, FirstStartCreatesTheCatalogueAndShowsNineColumns) {
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_FALSE(h->UkoncitAplikaci());
  EXPECT_TRUE(seam->Calls().empty());
  ASSERT_TRUE(QFileInfo::exists(Db()));
  EXPECT_EQ(QFileInfo(Db()).size(), 3072);
  EXPECT_FALSE(QFileInfo::exists(Ini()));  // nothing is written before the first write
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(h->size(), QSize(696, 480));
  EXPECT_EQ(h->pos(), QPoint((screen.width() - 696) / 2, (screen.height() - 480) / 2));
  EXPECT_EQ(h->minimumSize(), QSize(696, 480));
  EXPECT_EQ(h->windowTitle(), "Kalmetra");
  EXPECT_EQ(Captions(*h), QStringList({"Id", "Titul", "Rok", QStringLiteral("Stopáž"), QStringLiteral("Žánr"),
                                       QStringLiteral("Původ"), QStringLiteral("Režie"), QStringLiteral("Obsazení"),
                                       QStringLiteral("Komentář")}));
  const int widths[] = {40, 140, 40, 40, 100, 100, 100, 100, 80};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(h->DBGrid1->columnWidth(c), widths[c]) << c;
  EXPECT_FALSE(h->Akce("Akce_Prehrat")->isVisible());
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 0");
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Id"));
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : není zadán"));
  for (const char* a : {"Akce_EditZaznamu", "Akce_OdstranitZaznam", "Akce_PrvniZaznam", "Akce_PredchazejiciZaznam",
                        "Akce_NasledujiciZaznam", "Akce_PosledniZaznam", "Akce_Prehrat", "Akce_HledatZaznamDalsi"})
    EXPECT_FALSE(Enabled(*h, a)) << a;
  EXPECT_EQ(h->NoveId(), 1);
  EXPECT_EQ(h->DataSet1.CommandText(), "SELECT * FROM Tabulka ORDER BY Id COLLATE NATIVE\r\n");
  EXPECT_TRUE(h->DataSet1.RequestLive());
}

TEST_F(HlavniTest, MissingSqliteLibraryWarnsAndEnds) {
  ASSERT_TRUE(QFile::remove(dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)));
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(h->UkoncitAplikaci());
  ASSERT_EQ(seam->Calls().size(), 1u);
  const auto& call = seam->Calls()[0];
  EXPECT_EQ(call.kind, CallKind::Message);
  EXPECT_EQ(call.icon, MessageIcon::Warning);
  EXPECT_EQ(call.caption, "Kalmetra");
  EXPECT_EQ(call.text, QStringLiteral("Nebyl nalezen soubor DLL \"") + dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME) +
                           QStringLiteral("\".\r\nAplikace bude ukončena."));
  h->close();
  h.reset();
  EXPECT_FALSE(QFileInfo::exists(Db()));
  EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(HlavniTest, DatabaseThatCannotBeCreatedWarnsAndEnds) {
  ScopedScriptedSeam seam;
  SetBeforeRenameHook([](const QString&) { return false; });  // the write fails as in a read-only folder
  auto h = Start();
  SetBeforeRenameHook({});
  EXPECT_TRUE(h->UkoncitAplikaci());
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Nebyl nalezen soubor databáze \"") + Db() +
                                       QStringLiteral("\" a pokus o jeho nové založení selhal.\r\nAplikace bude ukončena."));
  EXPECT_FALSE(QFileInfo::exists(Db()));
  EXPECT_EQ(QDir(dir_).entryList(QDir::Files), QStringList({KALMETRA_SQLITE_LIBNAME}));
}

TEST_F(HlavniTest, ReadOnlyFolderWarnsAndEnds) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_TRUE(QFile::setPermissions(dir_, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(h->UkoncitAplikaci());
  QFile::setPermissions(dir_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_TRUE(seam->Calls()[0].text.startsWith(QStringLiteral("Nebyl nalezen soubor databáze")));
}

TEST_F(HlavniTest, ExistingCatalogueOpensOrderedByIdAndReadWhole) {
  MakeCatalogue(1000);
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(seam->Calls().empty());
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 1000");
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 1000);
  EXPECT_EQ(h->DBGrid1->model()->data(h->DBGrid1->model()->index(999, 1)).toString(), QStringLiteral("Film č. 1000"));
  EXPECT_EQ(h->DataSet1.Field(0).AsLargeInt(), 1);
  EXPECT_EQ(h->NoveId(), 1001);
  EXPECT_TRUE(h->Akce("Akce_HledatZaznamDalsi") != nullptr);
}

TEST_F(HlavniTest, ActionRulesFollowThePosition) {
  MakeCatalogue(10);
  ScopedScriptedSeam seam;
  auto h = Start();
  auto state = [&] {
    return std::vector<bool>{Enabled(*h, "Akce_PrvniZaznam"), Enabled(*h, "Akce_PredchazejiciZaznam"),
                             Enabled(*h, "Akce_NasledujiciZaznam"), Enabled(*h, "Akce_PosledniZaznam"),
                             Enabled(*h, "Akce_EditZaznamu"), Enabled(*h, "Akce_OdstranitZaznam")};
  };
  EXPECT_EQ(state(), (std::vector<bool>{false, false, true, true, true, true}));
  EXPECT_FALSE(Enabled(*h, "Akce_Prehrat"));  // record 1 has no location (and the action is hidden)
  h->Akce("Akce_NasledujiciZaznam")->trigger();
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "2 z 10");
  EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true, true, true}));
  h->Akce("Akce_PosledniZaznam")->trigger();
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "10 z 10");
  EXPECT_EQ(state(), (std::vector<bool>{true, true, false, false, true, true}));
  EXPECT_EQ(h->DBGrid1->currentIndex().row(), 9);  // the grid follows the record set
  h->Akce("Akce_PrvniZaznam")->trigger();
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 10");
  // Choosing a row in the grid moves the record set.
  h->DBGrid1->setCurrentIndex(h->DBGrid1->model()->index(6, 1));
  EXPECT_EQ(h->DataSet1.RecNo(), 7);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "7 z 10");
  EXPECT_EQ(h->DBGrid1->model()->headerData(6, Qt::Vertical).toString(), QStringLiteral("\u25B6"));
  EXPECT_TRUE(h->DBGrid1->model()->headerData(5, Qt::Vertical).toString().isEmpty());
  h->HledanyVyraz = QStringLiteral("Film");
  h->NastavitAkce();
  EXPECT_TRUE(Enabled(*h, "Akce_HledatZaznamDalsi"));
}

TEST_F(HlavniTest, PlayActionIsShownAndFollowsTheLocation) {
  MakeCatalogue(3);
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteBool("UsporadaniPoli", "Skryt_Umisteni", false));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(h->Akce("Akce_Prehrat")->isVisible());
  EXPECT_EQ(Captions(*h).size(), 10);
  EXPECT_EQ(Captions(*h).last(), QStringLiteral("Umístění"));
  EXPECT_FALSE(Enabled(*h, "Akce_Prehrat"));
  h->DataSet1.Next();
  EXPECT_TRUE(Enabled(*h, "Akce_Prehrat"));
  // Only spaces still count as a location.
  h->DataSet1.Edit();
  h->DataSet1.FieldByName("Umisteni").SetAsString("   ");
  h->DataSet1.Post();
  EXPECT_TRUE(Enabled(*h, "Akce_Prehrat"));
}

TEST_F(HlavniTest, MenusAndToolbarHoldTheActionsInOrder) {
  ScopedScriptedSeam seam;
  auto h = Start();
  QStringList menus;
  for (QAction* m : h->menuBar()->actions()) menus << m->text();
  EXPECT_EQ(menus, QStringList({"Soubor", QStringLiteral("Úpravy"), "Data", QStringLiteral("Nástroje"),
                                QStringLiteral("Nápověda")}));
  auto items = [&](int i) {
    QStringList list;
    for (QAction* a : h->menuBar()->actions()[i]->menu()->actions()) list << (a->isSeparator() ? "-" : a->text());
    return list;
  };
  EXPECT_EQ(items(0), QStringList({QStringLiteral("Import databáze"), QStringLiteral("Export databáze"), "-",
                                   QStringLiteral("Náhled a tisk sestav"), "-", "Konec"}));
  EXPECT_EQ(items(4), QStringList({QStringLiteral("Nápověda"), "-", "O programu"}));
  EXPECT_EQ(items(2).size(), 13);
  auto* bar = h->findChild<QToolBar*>("ToolBar1");
  ASSERT_NE(bar, nullptr);
  QStringList tools;
  for (QAction* a : bar->actions()) tools << (a->isSeparator() ? "|" : a->objectName());
  EXPECT_EQ(tools.first(), "Akce_Konec");
  EXPECT_EQ(tools.last(), "Akce_Napoveda");
  EXPECT_EQ(tools.count("|"), 9);
  EXPECT_EQ(tools.size(), 30);
  EXPECT_EQ(h->createPopupMenu(), nullptr);  // the toolbar cannot be hidden by the user
  for (const char* name : {"Akce_ImportDat", "Akce_KopirovatTitul", "Akce_OProgramu", "Akce_Konfig", "Akce_Sestavy"}) {
    QAction* a = h->Akce(QLatin1String(name));
    ASSERT_NE(a, nullptr) << name;
    EXPECT_FALSE(a->icon().isNull()) << name;
  }
  EXPECT_EQ(h->Akce("Akce_NovyZaznam")->shortcut(), QKeySequence(Qt::Key_Insert));
  EXPECT_EQ(h->Akce("Akce_OdstranitZaznam")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  EXPECT_EQ(h->Akce("Akce_KopirovatText")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  EXPECT_EQ(h->Akce("Akce_ZrusitFiltr")->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
  EXPECT_EQ(h->Akce("Akce_HledatZaznamDalsi")->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(h->Akce("Akce_Konec")->toolTip(), QStringLiteral("Ukončení programu"));
  EXPECT_EQ(h->Akce("Akce_Filtr")->property("kategorie").toString(), "Data");
  // The status line.
  EXPECT_EQ(h->LaCisloZaznamu()->toolTip(), QStringLiteral("Pozice aktuálního záznamu"));
  EXPECT_EQ(h->LaParametrFiltru()->toolTip(), "Parametr filtru");
  EXPECT_GE(h->LaCisloZaznamu()->x(), 56);
  EXPECT_GT(h->LaParametrSetrideni()->x(), h->LaCisloZaznamu()->geometry().right());
  EXPECT_EQ(h->findChild<QWidget*>("SpodniNastrojPanel")->height(), 23);
}

TEST_F(HlavniTest, GridIsReadOnlyAndDoubleClickEdits) {
  MakeCatalogue(3);
  ScopedScriptedSeam seam;
  auto h = Start();
  const QModelIndex cell = h->DBGrid1->model()->index(1, 1);
  EXPECT_FALSE(h->DBGrid1->model()->flags(cell) & Qt::ItemIsEditable);
  EXPECT_FALSE(h->DBGrid1->model()->setData(cell, "x"));
  EXPECT_FALSE(h->DBGrid1->horizontalHeader()->sectionsClickable());
  EXPECT_EQ(h->DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
  QSignalSpy edits(h->Akce("Akce_EditZaznamu"), &QAction::triggered);
  // The command opens the record editor modally; close it at once.
  test::VModalnimOkne([](QDialog& editor) { EXPECT_EQ(editor.windowTitle(), QStringLiteral("Editace aktuálního záznamu")); });
  emit h->DBGrid1->doubleClicked(cell);
  EXPECT_EQ(edits.count(), 1);
}

TEST_F(HlavniTest, LabelsAndNamesOfFields) {
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_EQ(h->PopisekPole("Stopaz"), QStringLiteral("Stopáž"));
  EXPECT_EQ(h->PopisekPole("zanr"), QStringLiteral("Žánr"));
  EXPECT_EQ(h->NazevPole(QStringLiteral("Stopáž")), "Stopaz");
  EXPECT_EQ(h->NazevPole("Titul"), "Titul");
  EXPECT_EQ(h->NazevPole("Id"), "Id");
  EXPECT_EQ(h->NazevPole("Stopaz"), "");
  EXPECT_EQ(h->NazevPole("Zanr"), "");
  EXPECT_EQ(h->NazevPole("titul"), "");
  EXPECT_EQ(h->NazevPole("nic"), "");
  EXPECT_THROW(h->PopisekPole("Neni"), orvek3::DatabaseError);
}

TEST_F(HlavniTest, ListStatement) {
  EXPECT_EQ(SestavitPrikazSeznamu("Titul", "", "Id"), "SELECT * FROM Tabulka ORDER BY Id COLLATE NATIVE");
  EXPECT_EQ(SestavitPrikazSeznamu("Rezie", QStringLiteral("Menzel"), "Rok"),
            "SELECT * FROM Tabulka  WHERE Rezie LIKE '%Menzel%' ORDER BY Rok COLLATE NATIVE");
  EXPECT_EQ(SestavitPrikazSeznamu("Titul", "O'Brien", "Titul"),
            "SELECT * FROM Tabulka  WHERE Titul LIKE '%O''Brien%' ORDER BY Titul COLLATE NATIVE");
}

TEST_F(HlavniTest, ColumnWidthsByHeaderAndUniform) {
  ScopedScriptedSeam seam;
  auto h = Start();
  h->Akce("Akce_SirkaSloupcuPodleZahlavi")->trigger();
  const QFontMetrics fm(h->font());
  const QStringList captions = Captions(*h);
  for (int c = 0; c < captions.size(); ++c) EXPECT_EQ(h->DBGrid1->columnWidth(c), fm.horizontalAdvance(captions[c]) + 5);
  h->Akce("Akce_SirkaSloupcuVychozi")->trigger();
  for (int c = 0; c < captions.size(); ++c) EXPECT_EQ(h->DBGrid1->columnWidth(c), 66);
  // By content over an empty set: every visible column gets 5.
  h->Akce("Akce_SirkaSloupcuPodleObsahu")->trigger();
  for (int c = 0; c < captions.size(); ++c) EXPECT_EQ(h->DBGrid1->columnWidth(c), 5);
}

TEST_F(HlavniTest, ColumnWidthsByContentMeasureAtMost999RecordsAndKeepTheCurrentOne) {
  const std::string longTitle(70, 'W');
  MakeCatalogue(1200, [&](int i) { return i >= 1000 ? longTitle : "Film " + std::to_string(i); });
  ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.MoveBy(500);
  ASSERT_EQ(h->DataSet1.RecNo(), 501);
  h->Akce("Akce_SirkaSloupcuPodleObsahu")->trigger();
  const QFontMetrics fm(h->font());
  EXPECT_EQ(h->DataSet1.RecNo(), 501);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "501 z 1200");
  EXPECT_EQ(h->DBGrid1->columnWidth(0), fm.horizontalAdvance("999") + 5);
  int widest = 0;
  for (int i = 1; i < 1000; ++i) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString("Film " + std::to_string(i))));
  EXPECT_EQ(h->DBGrid1->columnWidth(1), widest + 5);
  EXPECT_EQ(h->DBGrid1->columnWidth(2), 5);  // no year anywhere
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HlavniTest, ColumnWidthByContentIsCappedAt355) {
  const std::string longTitle(80, 'W');
  MakeCatalogue(5, [&](int i) { return i == 3 ? longTitle : std::string("Krátký"); });
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_GT(QFontMetrics(h->font()).horizontalAdvance(QString::fromStdString(longTitle)), 350);
  h->Akce("Akce_SirkaSloupcuPodleObsahu")->trigger();
  EXPECT_EQ(h->DBGrid1->columnWidth(1), 355);
}

TEST_F(HlavniTest, ShutdownWritesGeometryAndWidthsAndTheNextStartUsesThem) {
  ScopedScriptedSeam seam;
  {
    auto h = Start();
    h->move(33, 44);
    h->resize(800, 555);
    h->DBGrid1->setColumnWidth(2, 77);  // Rok
    h->close();
  }
  ProfileFile ini(Ini());
  EXPECT_EQ(ini.ReadInteger("Formular", "Zleva", -1), 33);
  EXPECT_EQ(ini.ReadInteger("Formular", "Zhora", -1), 44);
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", -1), 800);
  EXPECT_EQ(ini.ReadInteger("Formular", "Vyska", -1), 555);
  EXPECT_EQ(ini.ReadInteger("SirkyPoli", "Rok", -1), 77);
  EXPECT_EQ(ini.ReadInteger("SirkyPoli", "Umisteni", -1), 60);  // hidden: kept
  EXPECT_EQ(ini.ReadSection("Formular"), QStringList({"Zleva", "Zhora", "Sirka", "Vyska"}));
  auto again = Start();
  EXPECT_EQ(again->pos(), QPoint(33, 44));
  EXPECT_EQ(again->size(), QSize(800, 555));
  EXPECT_EQ(again->DBGrid1->columnWidth(2), 77);
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(HlavniTest, CloseWritesTheWindowSettingsInOneReplacementKeepingOtherLines) {
  {
    QFile f(Ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("; moje poznamka\r\n[Formular]\r\nUkladatPozici=1\r\nZleva=5\r\n\r\n[Jine]\r\nklic=hodnota\r\n");
  }
  ScopedScriptedSeam seam;
  {
    auto h = Start();
    h->move(21, 31);
    h->resize(777, 501);
    h->DBGrid1->setColumnWidth(1, 150);  // Titul
    int replacements = 0;
    SetBeforeRenameHook([&](const QString&) {
      ++replacements;
      return true;
    });
    h->close();
    SetBeforeRenameHook({});
    EXPECT_EQ(replacements, 1);
  }
  ProfileFile ini(Ini());
  EXPECT_EQ(ini.ReadInteger("Formular", "Zleva", -1), 21);
  EXPECT_EQ(ini.ReadInteger("Formular", "Zhora", -1), 31);
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", -1), 777);
  EXPECT_EQ(ini.ReadInteger("Formular", "Vyska", -1), 501);
  EXPECT_EQ(ini.ReadInteger("SirkyPoli", "Titul", -1), 150);
  EXPECT_EQ(ini.ReadSection("SirkyPoli").size(), static_cast<qsizetype>(kPocetPoli));
  const QByteArray text = ReadAll(Ini());
  EXPECT_TRUE(text.startsWith("; moje poznamka\r\n[Formular]\r\nUkladatPozici=1\r\nZleva=21\r\nZhora=31\r\n"
                              "Sirka=777\r\nVyska=501\r\n\r\n[Jine]\r\nklic=hodnota\r\n[SirkyPoli]\r\n"))
      << text.toStdString();

  // A close whose replacement is cut off leaves the whole earlier close in place.
  {
    auto h = Start();
    h->move(60, 70);
    h->DBGrid1->setColumnWidth(1, 90);
    SetBeforeRenameHook([](const QString&) { return false; });
    h->close();
    SetBeforeRenameHook({});
  }
  EXPECT_EQ(ReadAll(Ini()), text);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_TRUE(seam->Calls()[0].text.startsWith(QStringLiteral("Nastavení okna se nepodařilo uložit do souboru \"") +
                                                Ini()));
}

TEST_F(HlavniTest, AnOversizedSettingsFileIsSetAsideAndTheProgramStartsWithDefaults) {
  QByteArray big = "[Formular]\r\nSirka=800\r\nVyska=600\r\n";
  while (big.size() <= 1024 * 1024) big += "; vypln vypln vypln vypln vypln vypln vypln vypln vypln vypln\r\n";
  {
    QFile f(Ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(big);
  }
  ScopedScriptedSeam seam;
  {
    auto h = Start();
    EXPECT_FALSE(h->UkoncitAplikaci());
    EXPECT_EQ(h->size(), QSize(696, 480));
    EXPECT_FALSE(QFileInfo::exists(Ini()));
    EXPECT_EQ(ReadAll(Ini() + QStringLiteral(".poskozeny")), big);
    ASSERT_EQ(seam->Calls().size(), 1u);
    EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("\"") + Ini() + QStringLiteral("\"")));
    EXPECT_TRUE(seam->Calls()[0].text.contains(Ini() + QStringLiteral(".poskozeny")));
    h->resize(800, 600);
    h->close();
  }
  EXPECT_EQ(ProfileFile(Ini()).ReadInteger("Formular", "Sirka", -1), 800);

  // A second one never replaces the file set aside before.
  {
    QFile f(Ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(big + "; druhy\r\n");
  }
  Start();
  EXPECT_EQ(ReadAll(Ini() + QStringLiteral(".poskozeny")), big);
  EXPECT_EQ(ReadAll(Ini() + QStringLiteral(".poskozeny2")), big + "; druhy\r\n");
  EXPECT_EQ(seam->Calls().size(), 2u);
}

TEST_F(HlavniTest, ShutdownWritesNothingWithoutSavingOrWhenMaximised) {
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteBool("Formular", "UkladatPozici", false));
  }
  const QByteArray before = ReadAll(Ini());
  ScopedScriptedSeam seam;
  {
    auto h = Start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(h->pos(), QPoint((screen.width() - 696) / 2, (screen.height() - 480) / 2));
    h->DBGrid1->setColumnWidth(1, 222);
    h->close();
  }
  EXPECT_EQ(ReadAll(Ini()), before);
  QFile::remove(Ini());
  {
    auto h = Start();
    h->showMaximized();
    h->close();
  }
  EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(HlavniTest, WidthsFromTheFileAreIgnoredWithoutUkladatTabulku) {
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteBool("Formular", "UkladatTabulku", false));
    ASSERT_TRUE(ini.WriteInteger("SirkyPoli", "Titul", 300));
    ASSERT_TRUE(ini.WriteInteger("Formular", "Sirka", 100));  // below the minimum
    ASSERT_TRUE(ini.WriteInteger("Formular", "Vyska", 50));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_EQ(h->DBGrid1->columnWidth(1), 140);
  EXPECT_EQ(h->size(), QSize(696, 480));
  h->close();
  EXPECT_EQ(ProfileFile(Ini()).ReadInteger("SirkyPoli", "Titul", -1), 140);
}

TEST_F(HlavniTest, DamagedSettingsGiveDefaultsWhereUnreadable) {
  QFile f(Ini());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("garbage without sections\r\nSirka=900\r\n[Formular]\r\nSirka=abc\r\nVyska=\r\nZleva=12x\r\n"
          "[SirkyPoli]\r\nTitul=1e3\r\nRok=55\r\n[UsporadaniPoli]\r\nSkryt_Zanr=ano\r\nSkryt_Rezie=1\r\n"
          "[Nastaveni]\r\nVychoziAdresaWWWW=http://filmy.cz/hledej?n\xe1zev=\r\n");
  f.close();
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_EQ(h->size(), QSize(696, 480));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(h->x(), (screen.width() - 696) / 2);
  EXPECT_EQ(h->DBGrid1->columnWidth(1), 140);
  EXPECT_EQ(h->SirkyPoli[2], 55);
  EXPECT_FALSE(h->Skryt[4]);  // "ano" is no integer
  EXPECT_TRUE(h->Skryt[6]);
  EXPECT_EQ(h->VychoziAdresaWWWW, QStringLiteral("http://filmy.cz/hledej?název="));
  EXPECT_FALSE(Captions(*h).contains(QStringLiteral("Režie")));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(HlavniTest, AFileThatIsNotADatabaseIsReportedAndLeftAlone) {
  QFile f(Db());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QByteArray junk(4096, 'x');
  junk.replace(0, 20, "Toto neni databaze.");
  f.write(junk);
  f.close();
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_FALSE(h->UkoncitAplikaci());
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Katalog \"") + Db() +
                                       QStringLiteral("\" se nepodařilo otevřít.\r\n") +
                                       QStringLiteral("Soubor katalogu je poškozený nebo to není katalog. Program "
                                                      "jej nezměnil; obnovte jej ze zálohy.\r\n") +
                                       QStringLiteral("file is not a database"));
  EXPECT_FALSE(h->DataSet1.Active());
  EXPECT_EQ(h->DBGrid1->model()->columnCount(), 0);
  h->close();
  h.reset();
  EXPECT_EQ(ReadAll(Db()), junk);
}

TEST_F(HlavniTest, AnErrorEscapingACommandIsReportedAndTheProgramGoesOn) {
  ScopedScriptedSeam seam;
  bool after = false;
  QTimer::singleShot(0, [] { throw orvek3::DatabaseError("DataSet1: Record not found"); });
  QTimer::singleShot(0, [&] { after = true; });
  QTest::qWait(50);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, "DataSet1: Record not found");
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(after);
  // A silent abort shows nothing.
  QTimer::singleShot(0, [] { throw orvek3::OperationAborted(); });
  QTest::qWait(20);
  EXPECT_EQ(seam->Calls().size(), 1u);
}

TEST_F(HlavniTest, SharedHistoryIsReadWithoutEmptySlotsAndWrittenWhole) {
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka1", "none"));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka2", QStringLiteral("Menzel")));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka3", ""));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka20", QStringLiteral("Kočár")));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka21", QStringLiteral("navíc")));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_EQ(h->NacistSeznam(), QStringList({QStringLiteral("Menzel"), QStringLiteral("Kočár")}));
  const QByteArray before = ReadAll(Ini());
  h->UlozitSeznam({});
  EXPECT_EQ(ReadAll(Ini()), before);
  h->UlozitSeznam({"a", "b", "c"});
  ProfileFile ini(Ini());
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(ini.ReadString("Seznam", QStringLiteral("Polozka%1").arg(n), "?"),
              n == 1 ? "a" : n == 2 ? "b" : n == 3 ? "c" : "none") << n;
  EXPECT_EQ(h->NacistSeznam(), QStringList({"a", "b", "c"}));
  QStringList many;
  for (int i = 0; i < 25; ++i) many << QStringLiteral("t%1").arg(i);
  h->UlozitSeznam(many);
  EXPECT_EQ(h->NacistSeznam().size(), 20);
  EXPECT_EQ(h->NacistSeznam().last(), "t19");
}

TEST_F(HlavniTest, HelpAndAbout) {
  ScopedScriptedSeam seam;
  auto h = Start();
  h->Akce("Akce_OProgramu")->trigger();
  h->Akce("Akce_Napoveda")->trigger();
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(seam->Calls()[0].caption, "O programu");
  EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("Verze programu :  2.0")));
  EXPECT_EQ(seam->Calls()[1].kind, CallKind::OpenWithDesktop);
  EXPECT_TRUE(seam->Calls()[1].text.endsWith(QStringLiteral("Napoveda.html"))) << seam->Calls()[1].text.toStdString();
}

}  // namespace
}  // namespace kalmetra
