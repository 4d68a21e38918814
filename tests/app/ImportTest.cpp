// The CSV import: splitting of a line, what each value does to its field, the round trip
// with the export, and imports stopped by a bad row.
#include "TestSupport.h"

#include <Export1.h>
#include <Import1.h>
#include <ImportRadku.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTableView>

#include <gtest/gtest.h>

#include "PlnyDisk.h"
#include "PrenosFixture.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::Ansi;
using test::CallKind;
using test::ScopedScriptedSeam;
using Values = std::array<std::string, 10>;

class ImportTest : public test::PrenosTest {
 protected:
  QString WriteFile(const QByteArray& bytes) {
    const QString path = dir_ + QStringLiteral("import %1.csv").arg(++files_);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  // The rows with null read as empty text.
  std::vector<std::vector<std::string>> Texts() const {
    auto rows = Rows();
    for (auto& row : rows)
      for (auto& v : row)
        if (v == "<null>") v.clear();
    return rows;
  }
  bool InTransaction(THlavni& h) const {
    const auto& db = h.Orvek3Database1;
    return db.Api().get_autocommit(db.Handle()) == 0;
  }
  int files_ = 0;
};

TEST_F(ImportTest, LinesSplitByPositionWithoutQuotingOrTrimming) {
  EXPECT_EQ(RozdelitRadek("1;Kolja;1996;105;drama;CZ;Svěrák;herci;pozn;/f/k.mkv"),
            (Values{"1", "Kolja", "1996", "105", "drama", "CZ", "Svěrák", "herci", "pozn", "/f/k.mkv"}));
  EXPECT_EQ(RozdelitRadek("5;druhá"), (Values{"5", "", "", "", "", "", "", "", "", "druhá"}));
  EXPECT_EQ(RozdelitRadek("1;2;3;4;5;6;7;8;9;10;11;12"), (Values{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10;11;12"}));
  EXPECT_EQ(RozdelitRadek(""), Values{});
  EXPECT_EQ(RozdelitRadek(";\"Tom; Jerry\"; 1940 "),
            (Values{"", "\"Tom", " Jerry\"", "", "", "", "", "", "", " 1940 "}));
  EXPECT_EQ(RozdelitRadek("jen\ttabulátory\tbez středníku"),
            (Values{"", "", "", "", "", "", "", "", "", "jen\ttabulátory\tbez středníku"}));
}

TEST_F(ImportTest, RoundTripThroughTheExportKeepsEveryFieldAndNumber) {
  std::vector<test::TestFilm> filmy = TriFilmy();
  filmy[1].texty[0] = QStringLiteral("Tom & Jerry <výběr>");  // the format cannot carry a ";"
  filmy.push_back({1234567890123, {QStringLiteral("Obecná škola"), {}, {}, {}, {}, {}, {}, {}, QStringLiteral("Ž")}});
  MakeCatalogue(filmy);
  const auto original = Texts();
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const QString csv = dir_ + QStringLiteral("prenos.csv");
  ExportovatText(h->DataSet1, true, ';', csv, h.get());
  h.reset();

  QFile::remove(Db());
  h = Start();  // a fresh, empty catalogue
  seam->QueueFile(FileDialogAnswer{csv, 1});
  h->Akce("Akce_ImportDat")->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  const FileDialogRequest& request = seam->Calls()[0].request;
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::OpenFile);
  EXPECT_EQ(request.title, QStringLiteral("Otevřít soubor csv"));
  ASSERT_EQ(request.types.size(), 1u);
  EXPECT_EQ(request.types[0].name, QStringLiteral("Databáze csv (*.csv)"));
  EXPECT_EQ(request.types[0].pattern, "*.csv");
  EXPECT_TRUE(request.fileName.isEmpty());
  EXPECT_TRUE(request.folder.isEmpty());

  EXPECT_EQ(Texts(), original);
  // The grid shows the new rows at once, the last one current.
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 4);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "4 z 4");
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 1234567890123);
  EXPECT_EQ(h->DBGrid1->currentIndex().row(), 3);
  EXPECT_FALSE(InTransaction(*h));
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Importing the same file again stops at its first row: that number exists.
  EXPECT_THROW(ImportovatCSV(*h, csv), orvek3::DatabaseError);
  EXPECT_EQ(Texts(), original);
  EXPECT_EQ(h->DataSet1.RecordCount(), 4);
}

TEST_F(ImportTest, ADuplicateNumberStopsTheImportAfterStoringTheRowsBeforeIt) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const QString file = WriteFile(Ansi(QStringLiteral("hlavička se nečte\r\n"
                                                     "10;Vesničko má středisková\r\n"
                                                     "11;Marečku, podejte mi pero!\r\n"
                                                     "7;Kolja znovu\r\n"
                                                     "12;Hoří, má panenko\r\n")));
  seam->QueueFile(FileDialogAnswer{file, 1});
  // As a menu click runs it: the error reaches the default report.
  h->Akce("Akce_ImportDat")->trigger();
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(seam->Calls()[1].kind, CallKind::Message);
  EXPECT_EQ(seam->Calls()[1].icon, MessageIcon::Warning);
  EXPECT_TRUE(seam->Calls()[1].text.contains("UNIQUE constraint failed: Tabulka.Id")) << seam->Calls()[1].text.toStdString();

  const auto rows = Texts();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[2][0], "7");
  EXPECT_EQ(rows[2][1], "Kolja");
  EXPECT_EQ(rows[3][0], "10");
  EXPECT_EQ(rows[3][1], "");
  EXPECT_EQ(rows[3][9], ToAnsi(QStringLiteral("Vesničko má středisková")));
  EXPECT_EQ(rows[4][0], "11");
  EXPECT_EQ(rows[4][9], ToAnsi(QStringLiteral("Marečku, podejte mi pero!")));
  EXPECT_FALSE(InTransaction(*h));

  // Nothing of the failing row stays pending: browse state, the last stored row current,
  // and the grid shows exactly the stored rows.
  EXPECT_EQ(h->DataSet1.State(), orvek3::TDataSetState::dsBrowse);
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 11);
  EXPECT_EQ(h->DataSet1.RecordCount(), 5);
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 5);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "5 z 5");
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // The window goes on working: moves and a further import.
  h->Akce("Akce_PrvniZaznam")->trigger();
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 5");
  ImportovatCSV(*h, WriteFile("x\n12;Hoří, má panenko\n"));
  EXPECT_EQ(Texts().size(), 6u);
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 6);
}

TEST_F(ImportTest, AMalformedNumberIsRefusedWithItsTextAndField) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const QString file = WriteFile("h\n20;Dobrý\n2x;Špatný\n21;Nečtený\n");
  try {
    ImportovatCSV(*h, file);
    ADD_FAILURE() << "no error";
  } catch (const orvek3::DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "DataSet1: '2x' is not a valid integer value for field 'Id'");
  }
  const auto rows = Texts();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3][0], "20");
  EXPECT_EQ(h->DataSet1.State(), orvek3::TDataSetState::dsBrowse);
  EXPECT_EQ(h->DataSet1.RecordCount(), 4);
  EXPECT_FALSE(InTransaction(*h));
}

TEST_F(ImportTest, AZeroByteInANumberIsShownInTheMessage) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  try {
    ImportovatCSV(*h, WriteFile(QByteArray("h\n2\0x;Nula\n", sizeof("h\n2\0x;Nula\n") - 1)));
    ADD_FAILURE() << "no error";
  } catch (const orvek3::DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "DataSet1: '2<NUL>x' is not a valid integer value for field 'Id'");
  }
}

TEST_F(ImportTest, EmptyAndOneLineFilesAppendNothingAndAMissingFileIsReported) {
  MakeCatalogue(TriFilmy());
  const auto original = Texts();
  test::ScopedScriptedSeam seam;
  auto h = Start();
  ImportovatCSV(*h, WriteFile(""));
  ImportovatCSV(*h, WriteFile("Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n"));
  ImportovatCSV(*h, WriteFile("1;jediný řádek je hlavička"));
  EXPECT_EQ(Texts(), original);
  EXPECT_EQ(h->DataSet1.RecordCount(), 3);
  const QString missing = dir_ + QStringLiteral("není.csv");
  try {
    ImportovatCSV(*h, missing);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(FromAnsi(e.what()).startsWith(QStringLiteral("Soubor \"") + missing + QStringLiteral("\" nelze otevřít.\r\n")));
  }
  EXPECT_EQ(Texts(), original);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  // A cancelled dialog does nothing.
  seam->QueueFile(std::nullopt);
  h->Akce("Akce_ImportDat")->trigger();
  EXPECT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(Texts(), original);
}

TEST_F(ImportTest, ValuesAreCutToTheirLengthsAndEmptyNumbersComeFromTheDatabase) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const std::string longTitle(100, 'T');
  const QString file = WriteFile(QByteArray("hlavicka\n") +
                                 QByteArray::fromStdString(";" + longTitle + ";19999;123456;\"drama\";; x \r\n") +
                                 "\r\n" + "5;jen umisteni\r" + "");
  ImportovatCSV(*h, file);
  const auto rows = Texts();
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[2][0], "5");  // sorted by Id: 1, 2, 5, 7, 8, 9
  EXPECT_EQ(rows[2][9], "jen umisteni");
  for (size_t i = 1; i < 9; ++i) EXPECT_EQ(rows[2][i], "") << i;
  EXPECT_EQ(rows[4][0], "8");  // one more than the largest number at the time
  EXPECT_EQ(rows[4][1], std::string(80, 'T'));
  EXPECT_EQ(rows[4][2], "1999");
  EXPECT_EQ(rows[4][3], "1234");
  EXPECT_EQ(rows[4][4], "\"drama\"");
  EXPECT_EQ(rows[4][5], "");
  EXPECT_EQ(rows[4][6], "");
  EXPECT_EQ(rows[4][9], " x ");  // the rest of a line with fewer separators, untrimmed
  EXPECT_EQ(rows[5][0], "9");     // the empty line: a new number, all texts empty
  for (size_t i = 1; i < 10; ++i) EXPECT_EQ(rows[5][i], "") << i;
  // The grid shows the numbers the database gave, in the list's order, and the last
  // stored row is current.
  auto* model = h->DBGrid1->model();
  ASSERT_EQ(model->rowCount(), 6);
  QStringList ids;
  for (int r = 0; r < 6; ++r) ids << model->data(model->index(r, 0)).toString();
  EXPECT_EQ(ids, QStringList({"1", "2", "5", "7", "8", "9"}));
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 5);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "3 z 6");
  EXPECT_EQ(h->DBGrid1->currentIndex().row(), 2);
}

TEST_F(ImportTest, TheGridKeepsTheOrderAndTheFilterItsLabelsState) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->PoleFiltru = QStringLiteral("Titul");
  h->VyrazFiltru = QStringLiteral("Kolja");
  h->PoleTrideni = QStringLiteral("Titul");
  h->OtevritSeznam();
  ASSERT_EQ(h->DataSet1.RecordCount(), 1);
  ImportovatCSV(*h, WriteFile(Ansi(QStringLiteral("h\r\n30;Kolja se vrací;;;;;;;;\r\n31;Jiný film;;;;;;;;\r\n"
                                                  "32;Alois a Kolja;;;;;;;;\r\n"))));
  EXPECT_EQ(Texts().size(), 6u);
  auto* model = h->DBGrid1->model();
  ASSERT_EQ(model->rowCount(), 3);
  EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("Alois a Kolja"));
  EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("Kolja"));
  EXPECT_EQ(model->data(model->index(2, 1)).toString(), QStringLiteral("Kolja se vrací"));
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 32);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 3");
}

TEST_F(ImportTest, ATabSeparatedExportLandsWholeInTheLocation) {
  std::vector<test::TestFilm> filmy = TriFilmy();
  filmy[1].texty[0] = QStringLiteral("Tom & Jerry");
  MakeCatalogue(filmy);
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const QString txt = dir_ + QStringLiteral("seznam.txt");
  ExportovatText(h->DataSet1, false, '\t', txt, h.get());
  ImportovatCSV(*h, txt);
  const auto rows = Texts();
  // The first line is skipped; every further one is a location with a new number.
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3][0], "8");
  for (size_t i = 1; i < 9; ++i) EXPECT_EQ(rows[3][i], "") << i;
  EXPECT_EQ(rows[3][9], ToAnsi(QStringLiteral("2\tTom & Jerry\t1940\t\tanimovaný\tUSA\t\t\t\"kočka\" > myš\t")));
  EXPECT_EQ(rows[4][0], "9");
  EXPECT_EQ(rows[4][9], ToAnsi(QStringLiteral("7\tKolja\t1996\t105\tdrama\tČesko\tJan Svěrák\tZdeněk Svěrák\tOscar\t")));
  // A line that does hold a ";" is split there, and its first piece is no number.
  EXPECT_THROW(ImportovatCSV(*h, WriteFile("x\n2\tTom; Jerry\t1940\n")), orvek3::DatabaseError);
  EXPECT_EQ(Texts().size(), 5u);
}

}  // namespace
}  // namespace kalmetra

namespace kalmetra {
namespace {

TEST_F(ImportTest, RowsTheFilterHidesAfterAnImportAreCountedInAMessage) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->PoleFiltru = QStringLiteral("Titul");
  h->VyrazFiltru = QStringLiteral("Kolja");
  h->OtevritSeznam();
  // The last stored row is hidden: the message counts what was stored and what is not shown.
  ImportovatCSV(*h, WriteFile(Ansi(QStringLiteral("h\r\n;Kolja se vrací;;;;;;;;\r\n;Jiný film;;;;;;;;\r\n;Obecná škola;;;;;;;;\r\n"))));
  EXPECT_EQ(Texts().size(), 6u);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
  EXPECT_EQ(seam->Calls()[0].text,
            QStringLiteral("Uloženo záznamů: 3. Filtr „Kolja“ [Titul] z nich 2 neukazuje; uvidíte je po zrušení filtru."));
  // When the last stored row is shown, it is current.
  ImportovatCSV(*h, WriteFile(Ansi(QStringLiteral("h\r\n;Pelíšky;;;;;;;;\r\n;Kolja po letech;;;;;;;;\r\n"))));
  EXPECT_EQ(h->DataSet1.FieldByName("Titul").AsUnicode(), u"Kolja po letech");
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(seam->Calls()[1].text,
            QStringLiteral("Uloženo záznamů: 2. Filtr „Kolja“ [Titul] z nich 1 neukazuje; uvidíte je po zrušení filtru."));
  // Without a filter nothing is said.
  h->VyrazFiltru.clear();
  h->OtevritSeznam();
  ImportovatCSV(*h, WriteFile(Ansi(QStringLiteral("h\r\n;Ostře sledované vlaky;;;;;;;;\r\n"))));
  EXPECT_EQ(seam->Calls().size(), 2u);
}

}  // namespace
}  // namespace kalmetra

namespace kalmetra {
namespace {

TEST_F(ImportTest, AnImportCutShortByAFullDiskKeepsTheEarlierBatchesAndSaysHowMany) {
  test::PlnyDisk disk(dir_ + QStringLiteral("disk"), "4m");
  if (!disk.Pripojeno()) GTEST_SKIP() << disk.Duvod().toStdString();
  const QString soubor = disk.Cesta(QStringLiteral("Kalmetra.sqlite"));
  ASSERT_TRUE(VytvoritDatabazi(soubor));
  orvek3::TOrvek3Database db;
  db.SetDriver((dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)).toStdString());
  db.SetDatabaseFile(soubor.toStdString());
  db.Connect();
  orvek3::TOrvek3Query ds(&db);
  ds.SetSQL("SELECT * FROM Tabulka");
  ds.Open();
  disk.Naplnit(600 * 1024);
  // About 4 MB of rows for some 600 kB of room.
  std::string obsah = "hlavička\r\n";
  for (int i = 1; i <= 20000; ++i)
    obsah += ";Film " + std::to_string(i) + ";2000;90;drama;CZ;" + std::string(60, 'r') + ";" + std::string(60, 'o') +
             ";;/filmy/" + std::to_string(i) + ".mkv\r\n";
  std::exception_ptr chyba;
  const UlozeneRadky ulozeno = UlozitRadky(ds, RadkyImportu(obsah), {}, chyba, 500);
  ASSERT_TRUE(chyba);
  QString zprava;
  try {
    std::rethrow_exception(chyba);
  } catch (const std::exception& e) {
    zprava = FromAnsi(e.what());
  }
  // Whole batches stayed, and the message says which lines they are.
  EXPECT_GT(ulozeno.pocet, 0);
  EXPECT_EQ(ulozeno.pocet % 500, 0);
  EXPECT_TRUE(zprava.contains(QStringLiteral("Uloženo je prvních %1 záznamů souboru (řádky 2 až %2)")
                                  .arg(ulozeno.pocet)
                                  .arg(ulozeno.pocet + 1)))
      << zprava.toStdString();
  EXPECT_EQ(db.Api().get_autocommit(db.Handle()), 1);
  orvek3::TOrvek3Query q(&db);
  q.SetSQL("SELECT count(*), max(Id) FROM Tabulka");
  q.OpenSQL();
  EXPECT_EQ(q.Field(0).AsLargeInt(), ulozeno.pocet);
  ASSERT_TRUE(ulozeno.posledni);
  EXPECT_EQ(q.Field(1).AsLargeInt(), *ulozeno.posledni);
}

}  // namespace
}  // namespace kalmetra
